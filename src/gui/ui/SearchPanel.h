#pragma once
// The search and replace panel above the editor: the text to find and the text to put in its
// place. Enter in the search field asks for the next occurrence.

#include <QWidget>

class QLineEdit;

namespace kvaril {

class TSearchPanel : public QWidget {
    Q_OBJECT
  public:
    explicit TSearchPanel(QWidget* parent);

    QString SearchText() const;
    QString ReplaceText() const;
    // The panel has just been shown: a single-line selection of the editor is what the user
    // wants to find; otherwise the last text is selected, so that typing replaces it.
    void StartSearch(const QString& selected);

  Q_SIGNALS:
    void FindNextRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QLineEdit* edSearch_;
    QLineEdit* edReplace_;
};

}  // namespace kvaril
