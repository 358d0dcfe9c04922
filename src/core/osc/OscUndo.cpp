#include "osc/OscUndo.h"

#include <algorithm>

#include "base/ValueStream.h"
#include "document/DocumentFile.h"
#include "document/uBeam.h"

namespace kvaril {

namespace {

// Counts a change in progress for as long as its body runs, however the body ends.
class TDepthGuard {
  public:
    explicit TDepthGuard(int& depth) : depth_(depth) { ++depth_; }
    ~TDepthGuard() { --depth_; }
    TDepthGuard(const TDepthGuard&) = delete;
    TDepthGuard& operator=(const TDepthGuard&) = delete;

  private:
    int& depth_;
};

}  // namespace

void TOscUndo::Reset() {
    history_.Clear();
    savedKnown_ = !osc_.Modified;
    if (savedKnown_) savedState_ = Capture().Osc;
}

void TOscUndo::Change(TStepKind kind, const std::function<void()>& body) {
    if (depth_ > 0 || history_.Joins(kind)) {
        TDepthGuard inside(depth_);
        body();
        return;
    }
    const bool wasModified = osc_.Modified;
    TOscState before = Capture();
    {
        TDepthGuard inside(depth_);
        body();
    }
    if (Capture() == before) return;
    if (!wasModified) {
        savedState_ = before.Osc;
        savedKnown_ = true;
    }
    history_.Push(std::move(before), kind);
}

TOscState TOscUndo::Capture() const {
    // Writing the state is what saving does, which clears the flag; the flag is not ours here.
    const bool modified = osc_.Modified;
    MemorySink sink;
    {
        TValueWriter writer(sink);
        osc_.WriteTo(writer);
        writer.FlushBuffer();
    }
    osc_.Modified = modified;
    return {std::move(sink.bytes), screen_};
}

void TOscUndo::Restore(const TOscState& state) {
    MemorySource source(state.Osc);
    TValueReader reader(source);
    osc_.Clear();
    osc_.ReadFrom(reader, kDocumentVersion);
    screen_ = osc_.ViewCount() == 0 ? -1 : std::clamp(state.Screen, 0, osc_.ViewCount() - 1);
    osc_.Modified = !savedKnown_ || state.Osc != savedState_;
}

bool TOscUndo::Undo() {
    if (!CanUndo()) return false;
    Restore(history_.Undo(Capture()));
    return true;
}

bool TOscUndo::Redo() {
    if (!CanRedo()) return false;
    Restore(history_.Redo(Capture()));
    return true;
}

}  // namespace kvaril
