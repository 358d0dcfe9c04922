#pragma once
// The undo and redo history of the oscilloscope's view: whole states of the screens (as the
// document stores them) with the current screen, so that undo restores a state exactly. A
// continuous gesture (a drag, a wheel burst, typing into the beam table) makes one step.

#include <cstddef>
#include <deque>
#include <string>

namespace kvaril {

struct TOscState {
    std::string Osc;  // the oscilloscope part of the document, as it would be saved
    int Screen = -1;
    bool operator==(const TOscState&) const = default;
};

// What made a step; the continuous kinds join into the open step of the same kind.
enum class TStepKind { Discrete, Pan, Wheel, Scroll, BeamEdit };

class TOscHistory {
  public:
    // A hundred steps at least; more only while the states stay small.
    static constexpr size_t kMinSteps = 100;
    static constexpr size_t kMaxSteps = 200;
    static constexpr size_t kMaxBytes = size_t{256} << 20;

    void Clear();
    // Whether a change of `kind` joins the step already open.
    bool Joins(TStepKind kind) const { return kind != TStepKind::Discrete && open_ == kind; }
    // A change happened; `before` is the state it left. Redo is gone.
    void Push(TOscState before, TStepKind kind);
    // The open step takes no more changes.
    void CloseStep() { open_ = TStepKind::Discrete; }

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    size_t UndoCount() const { return undo_.size(); }
    // Give the current state, get the one to restore.
    TOscState Undo(TOscState current);
    TOscState Redo(TOscState current);

  private:
    void Trim();

    std::deque<TOscState> undo_, redo_;
    size_t bytes_ = 0;
    TStepKind open_ = TStepKind::Discrete;
};

}  // namespace kvaril
