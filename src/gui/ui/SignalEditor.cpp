#include "ui/SignalEditor.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPalette>
#include <QRegularExpression>

#include "common/QtText.h"
#include "document/uSignal.h"

namespace kvaril {

namespace {

constexpr int kBookmarkMargin = 0;
constexpr int kErrorMarker = 10;
constexpr int kMarkerMask = 0x3FF | (1 << kErrorMarker);
constexpr int kErrorIndicator = 8;  // the first indicator that lexers leave alone

QPixmap ErrorPicture() {
    QPixmap pixmap(14, 14);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 0, 0));
    p.drawEllipse(QRectF(1, 1, 12, 12));
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(QPointF(7, 3.5), QPointF(7, 8));
    p.drawPoint(QPointF(7, 10.5));
    return pixmap;
}

bool IsWordChar(QChar c) { return c.isLetterOrNumber() || c == '_'; }

// A small picture of the bookmark's digit for the gutter.
QPixmap BookmarkPicture(int k) {
    QPixmap pixmap(14, 14);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0, 0, 128));
    p.setBrush(QColor(255, 255, 160));
    p.drawRoundedRect(QRectF(0.5, 0.5, 13, 13), 2, 2);
    QFont font;
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(0, 0, 14, 14), Qt::AlignCenter, QString::number(k));
    return pixmap;
}

}  // namespace

TSignalEditor::TSignalEditor(QWidget* parent) : QsciScintilla(parent) {
    setUtf8(true);
    // Lines end with LF inside the editor, so that copied text reaches the clipboard with the
    // platform's line ends; the signal's text gets CR LF when it is stored (TextCp1251).
    setEolMode(QsciScintilla::EolUnix);
    setTabWidth(8);
    setIndentationsUseTabs(false);
    // Blocks indent by two, as the skeletons and templates do.
    setIndentationWidth(2);
    setAutoIndent(true);
    setCaretLineVisible(false);
    setBraceMatching(QsciScintilla::NoBraceMatch);
    // The horizontal scroll bar follows the longest line instead of a fixed width.
    SendScintilla(SCI_SETSCROLLWIDTH, 1);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, true);

    // One symbol margin for the ten bookmarks, in the button-face colour.
    setMarginType(kBookmarkMargin, QsciScintilla::SymbolMargin);
    setMarginWidth(kBookmarkMargin, 20);
    setMarginMarkerMask(kBookmarkMargin, kMarkerMask);
    setMarginsBackgroundColor(palette().color(QPalette::Button));
    for (int m = 1; m < 5; ++m) setMarginWidth(m, 0);
    for (int k = 0; k < 10; ++k) markerDefine(BookmarkPicture(k), k);
    markerDefine(ErrorPicture(), kErrorMarker);
    indicatorDefine(QsciScintilla::SquiggleIndicator, kErrorIndicator);
    setIndicatorForegroundColor(QColor(220, 0, 0), kErrorIndicator);

    // "Courier New", 15 pixels high: 11 points on a 96-dpi screen. QScintilla works in points.
    QFont font("Courier New");
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(11);
    SetupLexer(font);
    SetupKeys();
}

void TSignalEditor::SetupLexer(const QFont& font) {
    auto* lexer = new QsciLexerPascal(this);
    const QColor text = palette().color(QPalette::WindowText);
    const QColor paper = palette().color(QPalette::Base);
    lexer->setDefaultFont(font);
    lexer->setDefaultColor(text);
    lexer->setDefaultPaper(paper);
    for (int style = 0; style <= 127; ++style) {
        if (lexer->description(style).isEmpty()) continue;
        lexer->setFont(font, style);
        lexer->setColor(text, style);
        lexer->setPaper(paper, style);
    }
    QFont italic = font;
    italic.setItalic(true);
    for (int style : {QsciLexerPascal::Comment, QsciLexerPascal::CommentParenthesis,
                      QsciLexerPascal::CommentLine}) {
        lexer->setColor(QColor(0, 128, 0), style);
        lexer->setFont(italic, style);
    }
    // Compiler directives ({$R+}) are comments to the reader.
    for (int style : {QsciLexerPascal::PreProcessor, QsciLexerPascal::PreProcessorParenthesis}) {
        lexer->setColor(QColor(0, 128, 0), style);
        lexer->setFont(italic, style);
    }
    QFont bold = font;
    bold.setBold(true);
    lexer->setColor(QColor(0, 0, 255), QsciLexerPascal::Keyword);
    lexer->setFont(bold, QsciLexerPascal::Keyword);
    for (int style : {QsciLexerPascal::SingleQuotedString, QsciLexerPascal::UnclosedString,
                      QsciLexerPascal::Character})
        lexer->setColor(QColor(128, 0, 0), style);
    // Enter keeps the previous line's indentation: no guessing from begin and end.
    lexer->setAutoIndentStyle(QsciScintilla::AiMaintain);
    QsciLexer* old = this->lexer();
    setLexer(lexer);
    if (old) old->deleteLater();
}

void TSignalEditor::SetEditorFont(const QFont& font) { SetupLexer(font); }

void TSignalEditor::SetupKeys() {
    QsciCommandSet* commands = standardCommands();
    // A key can belong to one command only: take it from whoever has it first.
    auto bind = [commands](QsciCommand::Command command, int key, int alternate = 0) {
        for (int k : {key, alternate}) {
            if (!k) continue;
            if (QsciCommand* owner = commands->boundTo(k)) {
                if (owner->key() == k) owner->setKey(0);
                if (owner->alternateKey() == k) owner->setAlternateKey(0);
            }
        }
        QsciCommand* c = commands->find(command);
        c->setKey(key);
        c->setAlternateKey(alternate);
    };
    const int ctrl = Qt::CTRL, shift = Qt::SHIFT, alt = Qt::ALT;
    bind(QsciCommand::Home, Qt::Key_Home);
    bind(QsciCommand::HomeExtend, shift | Qt::Key_Home);
    bind(QsciCommand::StutteredPageUp, ctrl | Qt::Key_PageUp);
    bind(QsciCommand::StutteredPageUpExtend, ctrl | shift | Qt::Key_PageUp);
    bind(QsciCommand::StutteredPageDown, ctrl | Qt::Key_PageDown);
    bind(QsciCommand::StutteredPageDownExtend, ctrl | shift | Qt::Key_PageDown);
    bind(QsciCommand::SelectionCopy, ctrl | Qt::Key_C, ctrl | Qt::Key_Insert);
    bind(QsciCommand::Paste, ctrl | Qt::Key_V, shift | Qt::Key_Insert);
    bind(QsciCommand::SelectionCut, ctrl | Qt::Key_X, shift | Qt::Key_Delete);
    bind(QsciCommand::Undo, ctrl | Qt::Key_Z, alt | Qt::Key_Backspace);
    bind(QsciCommand::Redo, ctrl | shift | Qt::Key_Z, shift | alt | Qt::Key_Backspace);
    bind(QsciCommand::Newline, Qt::Key_Return, ctrl | Qt::Key_M);
    bind(QsciCommand::SelectAll, ctrl | Qt::Key_A);
    bind(QsciCommand::Tab, Qt::Key_Tab, ctrl | shift | Qt::Key_I);
    bind(QsciCommand::Backtab, shift | Qt::Key_Backtab, ctrl | shift | Qt::Key_U);
    bind(QsciCommand::DeleteWordRight, ctrl | Qt::Key_T);
    bind(QsciCommand::LineDelete, ctrl | Qt::Key_Y);
    bind(QsciCommand::DeleteLineRight, ctrl | shift | Qt::Key_Y);
    bind(QsciCommand::DeleteWordLeft, ctrl | Qt::Key_Backspace);
    bind(QsciCommand::LineScrollUp, ctrl | Qt::Key_Up);
    bind(QsciCommand::LineScrollDown, ctrl | Qt::Key_Down);
}

int TSignalEditor::BookmarkKey(const QKeyEvent* event, bool* set) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (!(mods & Qt::ControlModifier) || (mods & Qt::AltModifier)) return -1;
    *set = mods & Qt::ShiftModifier;
    // With Shift the key arrives as a symbol ("!" for 1); the digit row's scan codes do not
    // change: 10 to 18 for 1 to 9, 19 for 0.
    const quint32 scan = event->nativeScanCode();
    if (scan >= 10 && scan <= 19) return scan == 19 ? 0 : static_cast<int>(scan) - 9;
    if (!*set && event->key() >= Qt::Key_0 && event->key() <= Qt::Key_9)
        return event->key() - Qt::Key_0;
    return -1;
}

bool TSignalEditor::event(QEvent* event) {
    // Keys that are no editor command must reach keyPressEvent before a window shortcut.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        bool set = false;
        if (BookmarkKey(key, &set) >= 0 ||
            (key->key() == Qt::Key_N &&
             (key->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier)) {
            event->accept();
            return true;
        }
    }
    return QsciScintilla::event(event);
}

void TSignalEditor::keyPressEvent(QKeyEvent* event) {
    bool set = false;
    const int k = BookmarkKey(event, &set);
    if (k >= 0) {
        if (set)
            SetBookmark(k, CaretLine(), CaretColumn());
        else
            GotoBookmark(k);
        return;
    }
    if (event->key() == Qt::Key_N &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier) {
        // An empty line at the caret; the caret stays where it is.
        int line, index;
        getCursorPosition(&line, &index);
        insertAt("\n", line, index);
        setCursorPosition(line, index);
        return;
    }
    // A line break and its indentation are one step for undo.
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool lineBreak = ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
                            !(mods & Qt::ControlModifier)) ||
                           (event->key() == Qt::Key_M && mods == Qt::ControlModifier);
    if (lineBreak) beginUndoAction();
    QsciScintilla::keyPressEvent(event);
    if (lineBreak) endUndoAction();
}

void TSignalEditor::contextMenuEvent(QContextMenuEvent* event) {
    Q_EMIT ContextMenuRequested(event->globalPos());
}

int TSignalEditor::CaretLine() const {
    int line, index;
    getCursorPosition(&line, &index);
    return line + 1;
}

int TSignalEditor::CaretColumn() const {
    const long pos = SendScintilla(SCI_GETCURRENTPOS);
    return static_cast<int>(SendScintilla(SCI_GETCOLUMN, pos)) + 1;
}

void TSignalEditor::SetCaret(int line, int column) {
    const int lineIndex = std::clamp(line - 1, 0, std::max(lines() - 1, 0));
    const long pos = SendScintilla(SCI_FINDCOLUMN, lineIndex, std::max(column - 1, 0));
    SendScintilla(SCI_GOTOPOS, pos);
}

bool TSignalEditor::HasBookmark(int k) const {
    return const_cast<TSignalEditor*>(this)->markerFindNext(0, 1u << k) >= 0;
}

int TSignalEditor::BookmarkLine(int k) const {
    const int line = const_cast<TSignalEditor*>(this)->markerFindNext(0, 1u << k);
    return line < 0 ? 0 : line + 1;
}

int TSignalEditor::BookmarkColumn(int k) const { return bookmarkColumns_[static_cast<size_t>(k)]; }

void TSignalEditor::SetBookmark(int k, int line, int column) {
    markerDeleteAll(k);
    markerAdd(line - 1, k);
    bookmarkColumns_[static_cast<size_t>(k)] = column;
}

void TSignalEditor::ClearBookmark(int k) { markerDeleteAll(k); }

void TSignalEditor::GotoBookmark(int k) {
    const int line = BookmarkLine(k);
    if (line > 0) SetCaret(line, BookmarkColumn(k));
}

void TSignalEditor::MarkError(int line, int column) {
    ClearErrorMark();
    if (lines() == 0) return;
    const int lineIndex = std::clamp(line - 1, 0, lines() - 1);
    const long lineStart = SendScintilla(SCI_POSITIONFROMLINE, lineIndex);
    const long lineEnd = SendScintilla(SCI_GETLINEENDPOSITION, lineIndex);
    const long start = SendScintilla(SCI_FINDCOLUMN, lineIndex, std::max(column - 1, 0));
    const QString rest =
        text(lineIndex).mid(static_cast<int>(SendScintilla(SCI_COUNTCHARACTERS, lineStart, start)));
    int length = 0;
    while (length < rest.size() && IsWordChar(rest[length])) ++length;
    // Not on a word (a missing semicolon, say): the one character there, if any.
    if (length == 0 && start < lineEnd) length = 1;
    const long end = SendScintilla(SCI_POSITIONRELATIVE, start, length);
    SendScintilla(SCI_SETINDICATORCURRENT, kErrorIndicator);
    if (end > start) SendScintilla(SCI_INDICATORFILLRANGE, start, end - start);
    markerAdd(lineIndex, kErrorMarker);
}

void TSignalEditor::ClearErrorMark() {
    markerDeleteAll(kErrorMarker);
    SendScintilla(SCI_SETINDICATORCURRENT, kErrorIndicator);
    SendScintilla(SCI_INDICATORCLEARRANGE, 0, SendScintilla(SCI_GETLENGTH));
}

int TSignalEditor::ErrorMarkLine() const {
    const int line = const_cast<TSignalEditor*>(this)->markerFindNext(0, 1u << kErrorMarker);
    return line < 0 ? 0 : line + 1;
}

std::pair<int, int> TSignalEditor::ErrorMarkRange() const {
    auto* self = const_cast<TSignalEditor*>(this);
    const long length = self->SendScintilla(SCI_GETLENGTH);
    for (long pos = 0; pos < length;) {
        const long end = self->SendScintilla(SCI_INDICATOREND, kErrorIndicator, pos);
        if (self->SendScintilla(SCI_INDICATORVALUEAT, kErrorIndicator, pos) != 0) {
            const long line = self->SendScintilla(SCI_LINEFROMPOSITION, pos);
            const long lineStart = self->SendScintilla(SCI_POSITIONFROMLINE, line);
            return {static_cast<int>(self->SendScintilla(SCI_COUNTCHARACTERS, lineStart, pos)),
                    static_cast<int>(self->SendScintilla(SCI_COUNTCHARACTERS, pos, end))};
        }
        if (end <= pos) break;
        pos = end;
    }
    return {-1, 0};
}

void TSignalEditor::LoadFrom(const TSignal& signal) {
    ClearErrorMark();
    for (int k = 0; k < 10; ++k) ClearBookmark(k);
    QString text = FromCp1251(signal.GetText());
    text.replace("\r\n", "\n");
    setText(text);
    for (int k = 0; k < 10; ++k) {
        const TBookmark& b = signal.Bookmarks[static_cast<size_t>(k)];
        if (b.IsSet) SetBookmark(k, b.Y, b.X);
    }
    SetCaret(signal.CaretY, signal.CaretX);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SetTextModified(false);
}

void TSignalEditor::SetTextModified(bool modified) {
    forcedModified_ = modified;
    if (!modified) setModified(false);
}

std::string TSignalEditor::TextCp1251(bool* lossless) const {
    // The editor ends lines as it was told (CR LF); each line gets one, the last included.
    QStringList lines = text().split(QRegularExpression("\r\n|\r|\n"));
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    QString joined;
    for (const QString& line : lines) joined += line + "\r\n";
    return ToCp1251(joined, lossless);
}

void TSignalEditor::StorePlaceInto(TSignal& signal) const {
    signal.CaretX = CaretColumn();
    signal.CaretY = CaretLine();
    for (int k = 0; k < 10; ++k) {
        TBookmark& b = signal.Bookmarks[static_cast<size_t>(k)];
        b.IsSet = HasBookmark(k);
        if (b.IsSet) {
            b.Y = BookmarkLine(k);
            b.X = BookmarkColumn(k);
        }
    }
}

}  // namespace kvaril
