#pragma once
// What an empty workbench shows in place of the editor: how to add a signal, the examples to
// open with a click, and where help is.

#include <QStringList>
#include <QWidget>

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

  Q_SIGNALS:
    void AddRequested();
    void OpenRequested(const QString& path);  // one of the listed examples
    void HelpRequested();

  private:
    QLabel* lblStart_;
    QStringList examples_;
};

}  // namespace kvaril
