#include "osc/OscHistory.h"

#include <utility>

namespace kvaril {

void TOscHistory::Clear() {
    undo_.clear();
    redo_.clear();
    bytes_ = 0;
    open_ = TStepKind::Discrete;
}

void TOscHistory::Push(TOscState before, TStepKind kind) {
    for (const TOscState& s : redo_) bytes_ -= s.Osc.size();
    redo_.clear();
    bytes_ += before.Osc.size();
    undo_.push_back(std::move(before));
    open_ = kind;
    Trim();
}

void TOscHistory::Trim() {
    while (undo_.size() > kMaxSteps || (undo_.size() > kMinSteps && bytes_ > kMaxBytes)) {
        bytes_ -= undo_.front().Osc.size();
        undo_.pop_front();
    }
}

TOscState TOscHistory::Undo(TOscState current) {
    open_ = TStepKind::Discrete;
    TOscState state = std::move(undo_.back());
    undo_.pop_back();
    bytes_ += current.Osc.size();
    bytes_ -= state.Osc.size();
    redo_.push_back(std::move(current));
    return state;
}

TOscState TOscHistory::Redo(TOscState current) {
    open_ = TStepKind::Discrete;
    TOscState state = std::move(redo_.back());
    redo_.pop_back();
    bytes_ += current.Osc.size();
    bytes_ -= state.Osc.size();
    undo_.push_back(std::move(current));
    return state;
}

}  // namespace kvaril
