#pragma once
// The editing aids of the main window: find and replace in the current signal, the operator
// templates, and the editor font with its stored setting.

#include <QFont>
#include <QString>
#include "ui/MainWindowPort.h"

class QSettings;

namespace kvaril {

class TSearchPanel;
class TSignalEditor;
class TfrmOperators;

class TEditCommands {
  public:
    // Works on the window's signal editor with the texts of its search panel.
    TEditCommands(TMainWindowPort& window, TSignalEditor& editor, const TSearchPanel& search);
    ~TEditCommands();

    // The stored editor font into the editor; errors leave what was set before them.
    void RestoreEditorFont(QSettings& settings);
    const QFont& EditorFont() const { return font_; }

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

    TMainWindowPort& w_;
    TSignalEditor& editor_;
    const TSearchPanel& search_;
    TfrmOperators* operators_;
    QFont font_;
    int charset_ = 204;  // stored with the font; Russian
};

// The editor font as stored under Options/Font: Name, Size (kept within 8 to 22), Charset
// (Russian, 204, unless stored otherwise). A missing or unreadable value ends the loading;
// what was set before it stays.
void LoadEditorFont(QSettings& settings, QFont& font, int* charset = nullptr);
void SaveEditorFont(QSettings& settings, const QFont& font, int charset = 204);
QFont BuiltInEditorFont();

}  // namespace kvaril
