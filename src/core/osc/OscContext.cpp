#include "osc/OscContext.h"

#include <algorithm>

#include "document/uBeam.h"
#include "document/uSignal.h"

namespace kvaril {

TOscContext::TOscContext(TOsc& osc, TSignals& signals)
    : Osc(osc), Signals(signals), undo_(osc, current_) {}

TView* TOscContext::Current() const {
    return current_ >= 0 && current_ < Osc.ViewCount() ? &Osc.View(current_) : nullptr;
}

void TOscContext::SetGraphWidth(int width) { graphWidth_ = std::max(1, width); }

double TOscContext::TimeAtColumn(int x) const {
    const TView* view = Current();
    if (!view) return -1;
    return view->T0() + (view->T1() - view->T0()) * x / graphWidth_;
}

int TOscContext::ClampColumn(int x) const { return std::max(1, std::min(x, graphWidth_ - 1)); }

TTimeFrame TOscContext::Frame() const {
    return {Signals.QuantTime(), Signals.TotalTime(), minInterval_};
}

void TOscContext::Warn(const std::string& text) {
    ++warnings_;
    status_ = text;
}

}  // namespace kvaril
