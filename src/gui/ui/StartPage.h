#pragma once
// What an empty workbench shows in place of the editor: how to add a signal, the examples to
// open with a click, and where help is.

#include <QStringList>
#include <QWidget>
#include <functional>

class QLabel;

namespace kvaril {

class TStartPage : public QWidget {
    Q_OBJECT
  public:
    explicit TStartPage(QWidget* parent);

    // The example documents (*.sig) of `folder`, by name.
    void ShowExamples(const QString& folder);
    const QStringList& Examples() const { return examples_; }
    // What a click on a link does: the link's target is "add", "help" or an example's path.
    void Activate(const QString& link);

    std::function<void()> OnAdd;
    std::function<void(const QString& path)> OnOpen;
    std::function<void()> OnHelp;

    QLabel* lblStart;

  private:
    QStringList examples_;
};

}  // namespace kvaril
