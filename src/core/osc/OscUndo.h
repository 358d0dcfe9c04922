#pragma once
// Undo and redo of the oscilloscope's view: every change runs through Change, which records the
// state it left as one step of the history (or joins the open step of a continuous gesture).
// Whether the document counts as modified follows the state: undoing back to the state it was
// saved with clears the flag again.

#include <functional>
#include <string>

#include "osc/OscHistory.h"

namespace kvaril {

class TOsc;

class TOscUndo {
  public:
    // `screen` is the session's current screen, captured and restored with the screens.
    TOscUndo(TOsc& osc, int& screen) : osc_(osc), screen_(screen) {}

    // A new run: the history starts empty, and the state as it is counts as saved unless the
    // document is already modified.
    void Reset();

    // Runs `body` as one undoable change of `kind` (nested changes join the outer one).
    void Change(TStepKind kind, const std::function<void()>& body);
    void CloseStep() { history_.CloseStep(); }

    bool CanUndo() const { return history_.CanUndo(); }
    bool CanRedo() const { return history_.CanRedo(); }
    // Whether a state was restored; the caller then drops what belonged to the state left.
    bool Undo();
    bool Redo();

  private:
    TOscState Capture() const;
    void Restore(const TOscState& state);

    TOsc& osc_;
    int& screen_;
    TOscHistory history_;
    int depth_ = 0;
    bool savedKnown_ = false;  // savedState_ holds the state the document was saved with
    std::string savedState_;
};

}  // namespace kvaril
