#include "ui/EditCommands.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QLineEdit>
#include <QScopeGuard>
#include <QSettings>
#include <algorithm>

#include "editing/TextSearch.h"
#include "ui/Dialogs.h"
#include "ui/DlgFont.h"
#include "ui/FrmMain.h"
#include "ui/FrmOperators.h"
#include "ui/QtText.h"
#include "ui/SignalEditor.h"
#include "ui/Workbench.h"

namespace kvaril {

TEditCommands::TEditCommands(TFormMain& window)
    : w_(window), operators_(new TfrmOperators(&window)) {}

TEditCommands::~TEditCommands() = default;

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

}  // namespace

bool TEditCommands::CheckTexts(bool forReplace) {
    if (w_.edSearch->text().isEmpty()) {
        w_.ShowStatus("Не задана строка поиска");
        w_.Dialogs().Beep();
        return false;
    }
    if (forReplace && w_.edSearch->text() == w_.edReplace->text()) {
        w_.ShowStatus("Строка поиска совпадает со строкой замены");
        w_.Dialogs().Beep();
        return false;
    }
    return true;
}

void TEditCommands::Find() {
    if (!w_.EditorAvailable() || !CheckTexts(false)) return;
    TSignalEditor* ed = w_.edSignal;
    const QString needle = w_.edSearch->text();
    const auto [line, column] = Caret(ed);
    std::optional<TTextPos> found =
        w_.pnlSearch->isVisible() ? FindInLines(EditorLines(ed), line, column + 1, ToCp1251(needle))
                                  : std::nullopt;
    if (!found) {
        w_.ShowStatus("Подстрока <" + needle + "> не найдена");
        w_.Dialogs().Beep();
        return;
    }
    w_.ShowStatus("Найдена подстрока: <" + needle + ">");
    ed->setCursorPosition(found->Line, found->Column - 1);
    ed->setFocus();
}

void TEditCommands::ReplaceAt(int line, int column) {
    TSignalEditor* ed = w_.edSignal;
    const QString needle = w_.edSearch->text(), replacement = w_.edReplace->text();
    // A deletion and an insertion, each undoable.
    ed->setSelection(line, column - 1, line, column - 1 + static_cast<int>(needle.size()));
    ed->removeSelectedText();
    if (!replacement.isEmpty()) {
        ed->insertAt(replacement, line, column - 1);
        ed->setCursorPosition(line, column - 1 + static_cast<int>(replacement.size()));
    } else {
        ed->setCursorPosition(line, column - 1);
    }
}

void TEditCommands::Replace() {
    if (!w_.EditorAvailable() || !CheckTexts(true)) return;
    TSignalEditor* ed = w_.edSignal;
    const QString needle = w_.edSearch->text();
    const auto [line, column] = Caret(ed);
    std::optional<TTextPos> found =
        w_.pnlSearch->isVisible() ? FindInLines(EditorLines(ed), line, column, ToCp1251(needle))
                                  : std::nullopt;
    if (!found) {
        w_.ShowStatus("Подстрока <" + needle + "> не найдена");
        w_.Dialogs().Beep();
        return;
    }
    ReplaceAt(found->Line, found->Column);
    w_.ShowStatus("Сделана замена <" + needle + "> на <" + w_.edReplace->text() + ">");
    ed->SetTextModified(true);
    w_.Workbench().Signals.Modified = true;
    ed->setFocus();
}

void TEditCommands::ReplaceAll() {
    if (!w_.EditorAvailable() || !CheckTexts(true)) return;
    TSignalEditor* ed = w_.edSignal;
    const QString needle = w_.edSearch->text();
    const std::string needleCp = ToCp1251(needle);
    ed->setCursorPosition(0, 0);
    int column = 1, count = 0;
    ed->beginUndoAction();
    for (;;) {
        const auto [line, ignored] = Caret(ed);
        std::optional<TTextPos> found = FindInLines(EditorLines(ed), line, column, needleCp);
        if (!found) break;
        ReplaceAt(found->Line, found->Column);
        ++count;
        column = Caret(ed).second;
    }
    ed->endUndoAction();
    if (count == 0) {
        w_.ShowStatus("Подстрока <" + needle + "> не найдена");
        w_.Dialogs().Beep();
        return;
    }
    w_.ShowStatus("Сделано замен: " + QString::number(count));
    ed->SetTextModified(true);
    w_.Workbench().Signals.Modified = true;
    ed->setFocus();
}

void TEditCommands::InsertOperator() {
    if (!w_.EditorAvailable()) return;
    TSignalEditor* ed = w_.edSignal;
    const auto [line, column] = Caret(ed);
    const long pos = ed->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
    const int x =
        static_cast<int>(ed->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, pos));
    const int y =
        static_cast<int>(ed->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0, pos));
    const QPoint at = ed->viewport()->mapToGlobal(QPoint(x, y + 12));
    if (operators_->Choose(w_.Workbench().Signals, w_.SelectedTab(), column, at) !=
        QDialog::Accepted)
        return;
    const TExpansion e = operators_->Expanded();
    QString text = FromCp1251(e.Text);
    text.replace("\r\n", "\n");  // the platform's line ends on the clipboard
    QApplication::clipboard()->setText(text);
    ed->paste();
    if (e.MarkColumn > 0) ed->setCursorPosition(line - 1, e.MarkColumn - 1);
    ed->setFocus();
}

QFont BuiltInEditorFont() { return EditorFontOf("Courier New", 11); }

void LoadEditorFont(QSettings& settings, QFont& font, int* charset) {
    settings.beginGroup("Options/Font");
    const auto finish = qScopeGuard([&settings] { settings.endGroup(); });
    const QVariant name = settings.value("Name");
    if (!name.isValid()) return;
    font.setFamily(name.toString());
    bool ok = false;
    const int size = settings.value("Size").toInt(&ok);
    if (!ok || size <= 0) return;
    font.setPointSize(std::clamp(size, kMinFontSize, kMaxFontSize));
    // The character set means nothing to a Unicode font; it is kept for the next save.
    const int stored = settings.value("Charset").toInt(&ok);
    if (ok && charset && stored >= 0 && stored <= 255) *charset = stored;
}

void SaveEditorFont(QSettings& settings, const QFont& font, int charset) {
    settings.beginGroup("Options/Font");
    settings.setValue("Name", font.family());
    settings.setValue("Size", font.pointSize());
    settings.setValue("Charset", charset);
    settings.endGroup();
    settings.sync();
}

void TEditCommands::ChooseFont() {
    std::optional<QFont> chosen = w_.Dialogs().Font(&w_, w_.EditorFont);
    if (!chosen) return;
    // Only the family and the size come back; the style stays the editor's own.
    const QFont font = EditorFontOf(chosen->family(), chosen->pointSize());
    w_.EditorFont = font;
    w_.edSignal->SetEditorFont(font);
    QSettings settings("Dornek", "Kvaril");
    SaveEditorFont(settings, font, w_.EditorCharset);
}

}  // namespace kvaril
