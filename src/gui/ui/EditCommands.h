#pragma once
// The editing aids of the main window: find and replace in the current signal, the operator
// templates, and the editor font with its stored setting.

#include <QFont>
#include <QString>

class QSettings;

namespace kvaril {

class TFormMain;
class TfrmOperators;

class TEditCommands {
  public:
    explicit TEditCommands(TFormMain& window);
    ~TEditCommands();

    void Find();
    void Replace();
    void ReplaceAll();
    void InsertOperator();
    void ChooseFont();

    // The pop-up, shown modally by InsertOperator (for tests to answer).
    TfrmOperators& Operators() { return *operators_; }

  private:
    bool CheckTexts(bool forReplace);
    void ReplaceAt(int line, int column);  // 0-based line, 1-based column

    TFormMain& w_;
    TfrmOperators* operators_;
};

// The editor font as stored under Options/Font: Name, Size (kept within 8 to 22), Charset
// (Russian, 204, unless stored otherwise). A missing or unreadable value ends the loading;
// what was set before it stays.
void LoadEditorFont(QSettings& settings, QFont& font, int* charset = nullptr);
void SaveEditorFont(QSettings& settings, const QFont& font, int charset = 204);
QFont BuiltInEditorFont();

}  // namespace kvaril
