// The session's history of view states and its reference runs.

#include <algorithm>

#include "document/DocumentFile.h"
#include "document/ValueStream.h"
#include "model/RunHistory.h"
#include "osc/OscSession.h"
#include "osc/uBeam.h"

namespace kvaril {

TOscState TOscSession::Capture() const {
    // Writing the state is what saving does, which clears the flag; the flag is not ours here.
    const bool modified = osc_.Modified;
    MemorySink sink;
    {
        TValueWriter writer(sink);
        osc_.WriteTo(writer);
        writer.FlushBuffer();
    }
    osc_.Modified = modified;
    return {std::move(sink.bytes), current_};
}

void TOscSession::Restore(const TOscState& state) {
    entryOpen_ = false;
    entryScreen_ = -1;
    EndMeasurement();
    MemorySource source(state.Osc);
    TValueReader reader(source);
    osc_.Clear();
    osc_.ReadFrom(reader, kDocumentVersion);
    current_ = osc_.ViewCount() == 0 ? -1 : std::clamp(state.Screen, 0, osc_.ViewCount() - 1);
    osc_.Modified = !savedKnown_ || state.Osc != savedState_;
    status_.clear();
    UpdateMaxValue();
}

void TOscSession::Undo() {
    if (!CanUndo()) return;
    Restore(history_.Undo(Capture()));
}

void TOscSession::Redo() {
    if (!CanRedo()) return;
    Restore(history_.Redo(Capture()));
}

// ---- reference runs

std::vector<TRunChoice> TOscSession::ReferenceChoices() const {
    std::vector<TRunChoice> choices{{0, "нет"}};
    if (!runs_) return choices;
    const TStoredRun* newest = runs_->Newest();
    for (const TStoredRun* run : runs_->Runs())
        if (run != newest)
            choices.push_back({run->Id, RunChoiceText(*run, run->Id == runs_->PinnedId())});
    return choices;
}

void TOscSession::SetReference(int id) {
    CommitEntry();
    referenceId_ = id > 0 ? id : -1;
}

const TStoredRun* TOscSession::Reference() const {
    if (!runs_ || referenceId_ < 0) return nullptr;
    const TStoredRun* run = runs_->Find(referenceId_ > 0 ? referenceId_ : runs_->PinnedId());
    if (!run && referenceId_ > 0) run = runs_->Find(runs_->PinnedId());  // the chosen one is gone
    return run == runs_->Newest() ? nullptr : run;
}

bool TOscSession::CanPinReference() const { return runs_ && runs_->Newest(); }

void TOscSession::PinReference() {
    if (!CanPinReference()) return;
    const TStoredRun* run = Reference();
    runs_->Pin(run ? run->Id : runs_->Newest()->Id);
}

const std::vector<const double*>* TOscSession::ReferenceRows() const {
    const TStoredRun* run = Reference();
    if (!run) return nullptr;
    // Runs are never changed once stored, so their id and the current run's id say everything.
    const long key =
        static_cast<long>(run->Id) * 65536 + (runs_->Newest() ? runs_->Newest()->Id : 0);
    if (key != referenceKey_) {
        referenceRows_ = kvaril::ReferenceRows(signals_, *run);
        referenceKey_ = key;
    }
    return &referenceRows_;
}

}  // namespace kvaril
