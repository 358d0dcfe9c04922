#include "osc/OscReferences.h"

#include "model/RunHistory.h"
#include "osc/OscContext.h"

namespace kvaril {

std::vector<TRunChoice> TOscReferences::Choices() const {
    std::vector<TRunChoice> choices{{0, "нет"}};
    if (!runs_) return choices;
    const TStoredRun* newest = runs_->Newest();
    for (const TStoredRun* run : runs_->Runs())
        if (run != newest)
            choices.push_back({run->Id, RunChoiceText(*run, run->Id == runs_->PinnedId())});
    return choices;
}

void TOscReferences::SetReference(int id) {
    context_.CommitEntry();
    referenceId_ = id > 0 ? id : -1;
}

const TStoredRun* TOscReferences::Reference() const {
    if (!runs_ || referenceId_ < 0) return nullptr;
    const TStoredRun* run = runs_->Find(referenceId_ > 0 ? referenceId_ : runs_->PinnedId());
    if (!run && referenceId_ > 0) run = runs_->Find(runs_->PinnedId());  // the chosen one is gone
    return run == runs_->Newest() ? nullptr : run;
}

bool TOscReferences::CanPin() const { return runs_ && runs_->Newest(); }

void TOscReferences::Pin() {
    if (!CanPin()) return;
    const TStoredRun* run = Reference();
    runs_->Pin(run ? run->Id : runs_->Newest()->Id);
}

const std::vector<const double*>* TOscReferences::Rows() const {
    const TStoredRun* run = Reference();
    if (!run) return nullptr;
    // Runs are never changed once stored, so their id and the current run's id say everything.
    const long key =
        static_cast<long>(run->Id) * 65536 + (runs_->Newest() ? runs_->Newest()->Id : 0);
    if (key != rowsKey_) {
        rows_ = ReferenceRows(context_.Signals, *run);
        rowsKey_ = key;
    }
    return &rows_;
}

}  // namespace kvaril
