#pragma once
// The signal editor: Pascal highlighting, the classic key bindings, ten numbered bookmarks
// shown in a 20-pixel gutter, and the transfers of text, caret and bookmarks to and from a
// signal.

#include "ui/QsciIncludes.h"

#include <array>
#include <utility>

namespace kvaril {

class TSignal;

class TSignalEditor : public QsciScintilla {
    Q_OBJECT
  public:
    explicit TSignalEditor(QWidget* parent);

    // 1-based line and column as the user sees them (tabs expanded).
    int CaretLine() const;
    int CaretColumn() const;
    void SetCaret(int line, int column);

    bool HasBookmark(int k) const;
    int BookmarkLine(int k) const;  // 1-based, 0 when not set
    int BookmarkColumn(int k) const;
    void SetBookmark(int k, int line, int column);
    void ClearBookmark(int k);
    void GotoBookmark(int k);

    // Shows the signal: text, bookmarks, caret; empty undo history; not modified.
    void LoadFrom(const TSignal& signal);
    // The editor's lines joined with CR LF after each, as Windows-1251.
    std::string TextCp1251(bool* lossless = nullptr) const;
    // Caret and bookmarks into the signal (the text is the caller's business).
    void StorePlaceInto(TSignal& signal) const;

    void SetEditorFont(const QFont& font);

    // The place of a compiler message: a squiggle from `column` to the end of the word there
    // and a mark in the margin. One at a time; gone with ClearErrorMark or a new text.
    void MarkError(int line, int column);
    void ClearErrorMark();
    int ErrorMarkLine() const;  // 1-based, 0 when there is none
    // The underlined characters of the line (0-based start, length), or {-1, 0}.
    std::pair<int, int> ErrorMarkRange() const;

    // QScintilla can clear its modified flag but not set it; a loaded library signal must
    // count as edited, so the flag is kept here too.
    bool IsTextModified() const { return isModified() || forcedModified_; }
    void SetTextModified(bool modified);

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  Q_SIGNALS:
    void ContextMenuRequested(const QPoint& globalPos);

  private:
    void SetupLexer(const QFont& font);
    void SetupKeys();
    // Ctrl+digit and Shift+Ctrl+digit: the bookmark number, or -1.
    static int BookmarkKey(const QKeyEvent* event, bool* set);

    std::array<int, 10> bookmarkColumns_{};
    bool forcedModified_ = false;
};

}  // namespace kvaril
