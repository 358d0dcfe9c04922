#pragma once
// "Вывод модели": what the last run's model printed (Writeln) and the files it left in its
// scratch folder, under the editor. Hidden while there is nothing to show; the user may close it.

#include <QWidget>
#include <string>
#include <vector>

class QLabel;
class QPlainTextEdit;

namespace kvaril {

class TModelOutputPane : public QWidget {
    Q_OBJECT
  public:
    explicit TModelOutputPane(QWidget* parent);

    // Shows the pane when the model printed or wrote anything, else hides it.
    void Show(const std::string& printed, const std::vector<std::string>& files,
              const std::string& folder);

  private:
    QPlainTextEdit* edOutput_;
    QLabel* lblFiles_;
    QString folder_;
};

}  // namespace kvaril
