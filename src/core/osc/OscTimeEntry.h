#pragma once
// The session's time entry: a click on a text of the time panel opens it for the start, the end
// or the length of the window, the user types or picks an expression, and the next operation of
// any kind commits it. An open entry belongs to the screen it was opened on, so its text is never
// applied to another screen.

#include <string>
#include <vector>

#include "document/OscEnums.h"

namespace kvaril {

class TOscContext;

class TOscTimeEntry {
  public:
    // Registers itself as the entry every change commits first.
    explicit TOscTimeEntry(TOscContext& context);

    // A click on a text of the time panel: commits an open entry, or opens one.
    void Click(TEntryMode mode);
    bool Open() const { return open_; }
    TEntryMode Mode() const { return mode_; }
    const std::string& Text() const { return text_; }
    std::vector<std::string> Suggestions() const;
    void SetText(const std::string& text);  // exactly what the user typed or picked
    void Commit();
    // Drops an open entry without applying it (a new run, an undone state).
    void Discard();

  private:
    TOscContext& context_;
    bool open_ = false;
    TEntryMode mode_ = TEntryMode::Start;
    int screen_ = -1;
    std::string text_;
};

}  // namespace kvaril
