// The session's stepped cursor, Δ readout and statistics span.

#include <algorithm>
#include <cmath>

#include "analysis/SignalStats.h"
#include "document/uSignal.h"
#include "model/uCommon.h"
#include "model/uSignalsData.h"
#include "osc/BeamGroups.h"
#include "osc/OscSession.h"
#include "osc/uBeam.h"

namespace kvaril {

void TOscSession::ResetAnalysis() {
    stepTime_ = -1;
    lastMeasureTime_ = -1;
    pickedReference_ = -1;
}

bool TOscSession::Stepping() const {
    const TView* view = Current();
    return view && !Measuring() && stepTime_ >= 0 && stepTime_ >= view->T0() &&
           stepTime_ <= view->T1();
}

double TOscSession::DisplayTime() const {
    if (Measuring()) return measureTime_;
    if (Stepping()) return stepTime_;
    const TView* view = Current();
    return view ? view->T0() : -1;
}

void TOscSession::Step(TCursorStep step) {
    CommitEntry();
    const TView* view = Current();
    const double q = signals_.QuantTime();
    if (!view || Measuring() || !(q > 0)) return;
    // The quanta the window shows; the cursor never leaves them.
    const TQuantRange shown =
        QuantRangeOf(q, signals_.Data().SampleCount(), view->T0(), view->T1());
    if (shown.Count() == 0) return;
    double from = view->T0();
    if (Stepping())
        from = stepTime_;
    else if (lastMeasureTime_ >= view->T0() && lastMeasureTime_ <= view->T1())
        from = lastMeasureTime_;
    int64_t k = Round(from / static_cast<long double>(q));
    switch (step) {
        case TCursorStep::Left:
            k -= 1;
            break;
        case TCursorStep::Right:
            k += 1;
            break;
        case TCursorStep::LeftTen:
            k -= 10;
            break;
        case TCursorStep::RightTen:
            k += 10;
            break;
        case TCursorStep::Home:
            k = shown.First;
            break;
        case TCursorStep::End:
            k = shown.Last;
            break;
    }
    k = std::clamp<int64_t>(k, shown.First, shown.Last);
    // A quantum at the window's edge may lie a rounding hair outside it: keep it inside.
    stepTime_ =
        std::clamp(static_cast<double>(k * static_cast<long double>(q)), view->T0(), view->T1());
}

void TOscSession::EndStepping() { stepTime_ = -1; }

int TOscSession::ShownCursorColumn() const {
    if (Measuring()) return cursorX_;
    if (!Stepping()) return -1;
    const TView* view = Current();
    const double width = view->T1() - view->T0();
    if (!(width > 0)) return -1;
    const long double x = (stepTime_ - view->T0()) / width * graphWidth_;
    return ClampColumn(static_cast<int>(Round(x)));
}

void TOscSession::PickReferenceMarker(int label) {
    const TView* view = Current();
    pickedReference_ = view && label >= 0 && label < view->TimeLabelCount() ? label : -1;
}

TDeltaReadout TOscSession::Delta() const {
    const TView* view = Current();
    if (!view) return {};
    const TBeamGrouping grouping(*view);
    return MakeDeltaReadout(grouping, view, signals_, DisplayTime(), pickedReference_);
}

void TOscSession::SetSpan(const std::string& text) { spanText_ = text; }

bool TOscSession::SpanTimes(double& t0, double& t1) const {
    const TView* view = Current();
    if (!view) {
        t0 = t1 = 0;
        return false;
    }
    return ResolveSpan(*view, spanText_, t0, t1);
}

std::vector<TStatsRow> TOscSession::StatsRows() const {
    const TView* view = Current();
    if (!view) return {};
    double t0 = 0, t1 = 0;
    SpanTimes(t0, t1);
    return kvaril::StatsRows(TBeamGrouping(*view), view, signals_, t0, t1);
}

void TOscSession::LayoutGrid(int width, int height, TGridLayout& grid) const {
    kvaril::LayoutGrid(osc_, Current(), signals_.Data(), signals_.QuantTime(), width, height, grid,
                       LayoutOptions());
}

TSpectrumRequest TOscSession::SpectrumRequest() const {
    TSpectrumRequest r;
    const TView* view = Current();
    if (!view) return r;
    r.Span = SpanTimes(r.T0, r.T1) ? spanText_ : kWindowSpan;
    r.Beams = ChooseBeams(TBeamGrouping(*view), selection_);
    return r;
}

}  // namespace kvaril
