#include "ui/EditCommands.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QSettings>
#include <algorithm>

#include "common/Dialogs.h"
#include "common/DlgFont.h"
#include "common/QtText.h"
#include "common/Settings.h"
#include "common/Workbench.h"
#include "editing/TextSearch.h"
#include "ui/FrmOperators.h"
#include "ui/MainWindowPort.h"
#include "ui/SearchPanel.h"
#include "ui/SignalEditor.h"

namespace kvaril {

TEditCommands::TEditCommands(TMainWindowPort& window, TSignalEditor& editor,
                             const TSearchPanel& search)
    : w_(window),
      editor_(editor),
      search_(search),
      operators_(new TfrmOperators(window.Window())),
      font_(BuiltInEditorFont()) {}

TEditCommands::~TEditCommands() = default;

void TEditCommands::RestoreEditorFont(QSettings& settings) {
    LoadEditorFont(settings, font_, &charset_);
    editor_.SetEditorFont(font_);
}

namespace {

std::vector<std::string> EditorLines(const TSignalEditor* editor) {
    std::vector<std::string> lines;
    for (int l = 0; l < editor->lines(); ++l) {
        QString text = editor->text(l);
        while (text.endsWith('\n') || text.endsWith('\r')) text.chop(1);
        lines.push_back(ToCp1251(text));
    }
    return lines;
}

// The caret as (1-based line, 1-based character column).
std::pair<int, int> Caret(const TSignalEditor* editor) {
    int line, index;
    editor->getCursorPosition(&line, &index);
    return {line + 1, index + 1};
}

// Find and replace go on once from the first line; the status says when they did.
QString WrappedNote(const TFound& found) {
    return found.Wrapped ? " (поиск продолжен с начала текста)" : "";
}

}  // namespace

bool TEditCommands::CheckTexts(bool forReplace) {
    if (search_.SearchText().isEmpty()) {
        w_.ShowStatus("Не задана строка поиска");
        w_.Dialogs().Beep();
        return false;
    }
    if (forReplace && search_.SearchText() == search_.ReplaceText()) {
        w_.ShowStatus("Строка поиска совпадает со строкой замены");
        w_.Dialogs().Beep();
        return false;
    }
    return true;
}

void TEditCommands::Find() {
    if (!w_.EditorAvailable() || !CheckTexts(false)) return;
    const QString needle = search_.SearchText();
    const auto [line, column] = Caret(&editor_);
    std::optional<TFound> found = search_.isVisible() ? FindWrapping(EditorLines(&editor_), line,
                                                                     column + 1, ToCp1251(needle))
                                                      : std::nullopt;
    if (!found) {
        w_.ShowStatus("Подстрока <" + needle + "> не найдена");
        w_.Dialogs().Beep();
        return;
    }
    w_.ShowStatus("Найдена подстрока: <" + needle + ">" + WrappedNote(*found));
    // Selected, with the caret before it: the next find starts after it, a replace takes it.
    const int start = found->Pos.Column - 1;
    editor_.setSelection(found->Pos.Line, start + static_cast<int>(needle.size()), found->Pos.Line,
                         start);
    editor_.setFocus();
}

void TEditCommands::ReplaceAt(int line, int column) {
    const QString needle = search_.SearchText(), replacement = search_.ReplaceText();
    // A deletion and an insertion, each undoable.
    editor_.setSelection(line, column - 1, line, column - 1 + static_cast<int>(needle.size()));
    editor_.removeSelectedText();
    if (!replacement.isEmpty()) {
        editor_.insertAt(replacement, line, column - 1);
        editor_.setCursorPosition(line, column - 1 + static_cast<int>(replacement.size()));
    } else {
        editor_.setCursorPosition(line, column - 1);
    }
}

void TEditCommands::Replace() {
    if (!w_.EditorAvailable() || !CheckTexts(true)) return;
    const QString needle = search_.SearchText();
    const auto [line, column] = Caret(&editor_);
    std::optional<TFound> found =
        search_.isVisible() ? FindWrapping(EditorLines(&editor_), line, column, ToCp1251(needle))
                            : std::nullopt;
    if (!found) {
        w_.ShowStatus("Подстрока <" + needle + "> не найдена");
        w_.Dialogs().Beep();
        return;
    }
    ReplaceAt(found->Pos.Line, found->Pos.Column);
    w_.ShowStatus("Сделана замена <" + needle + "> на <" + search_.ReplaceText() + ">" +
                  WrappedNote(*found));
    editor_.SetTextModified(true);
    w_.Workbench().Signals.Modified = true;
    editor_.setFocus();
}

void TEditCommands::ReplaceAll() {
    if (!w_.EditorAvailable() || !CheckTexts(true)) return;
    const QString needle = search_.SearchText();
    const std::string needleCp = ToCp1251(needle);
    editor_.setCursorPosition(0, 0);
    int column = 1, count = 0;
    editor_.beginUndoAction();
    for (;;) {
        const auto [line, ignored] = Caret(&editor_);
        std::optional<TTextPos> found = FindInLines(EditorLines(&editor_), line, column, needleCp);
        if (!found) break;
        ReplaceAt(found->Line, found->Column);
        ++count;
        column = Caret(&editor_).second;
    }
    editor_.endUndoAction();
    if (count == 0) {
        w_.ShowStatus("Подстрока <" + needle + "> не найдена");
        w_.Dialogs().Beep();
        return;
    }
    w_.ShowStatus("Сделано замен: " + QString::number(count));
    editor_.SetTextModified(true);
    w_.Workbench().Signals.Modified = true;
    editor_.setFocus();
}

void TEditCommands::InsertOperator() {
    if (!w_.EditorAvailable()) return;
    const auto [line, column] = Caret(&editor_);
    const long pos = editor_.SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
    const int x =
        static_cast<int>(editor_.SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, pos));
    const int y =
        static_cast<int>(editor_.SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0, pos));
    const QPoint at = editor_.viewport()->mapToGlobal(QPoint(x, y + 12));
    if (operators_->Choose(w_.Workbench().Signals, w_.SelectedTab(), column, at) !=
        QDialog::Accepted)
        return;
    const TExpansion e = operators_->Expanded();
    QString text = FromCp1251(e.Text);
    text.replace("\r\n", "\n");  // the platform's line ends on the clipboard
    QApplication::clipboard()->setText(text);
    editor_.paste();
    if (e.MarkColumn > 0) editor_.setCursorPosition(line - 1, e.MarkColumn - 1);
    editor_.setFocus();
}

QFont BuiltInEditorFont() { return EditorFontOf("Courier New", 11); }

void LoadEditorFont(QSettings& store, QFont& font, int* charset) {
    if (!store.contains(settings::kFontName.Key)) return;
    font.setFamily(ReadSetting(store, settings::kFontName));
    const int size = ReadSetting(store, settings::kFontSize);
    if (size <= 0) return;
    font.setPointSize(std::clamp(size, kMinFontSize, kMaxFontSize));
    // The character set means nothing to a Unicode font; it is kept for the next save.
    bool ok = false;
    const int stored = store.value(settings::kFontCharset.Key).toInt(&ok);
    if (ok && charset && stored >= 0 && stored <= 255) *charset = stored;
}

void SaveEditorFont(QSettings& store, const QFont& font, int charset) {
    store.setValue(settings::kFontName.Key, font.family());
    store.setValue(settings::kFontSize.Key, font.pointSize());
    store.setValue(settings::kFontCharset.Key, charset);
    store.sync();
}

void TEditCommands::ChooseFont() {
    std::optional<QFont> chosen = w_.Dialogs().Font(w_.Window(), font_);
    if (!chosen) return;
    // Only the family and the size come back; the style stays the editor's own.
    const QFont font = EditorFontOf(chosen->family(), chosen->pointSize());
    font_ = font;
    editor_.SetEditorFont(font);
    QSettings store = OpenSettings();
    SaveEditorFont(store, font, charset_);
}

}  // namespace kvaril
