#include "osc/OscCursors.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "document/uSignal.h"
#include "export/DataRange.h"
#include "model/uCommon.h"
#include "model/uSignalsData.h"
#include "osc/BeamGroups.h"
#include "osc/OscContext.h"
#include "osc/uBeam.h"

namespace kvaril {

// ---- the measurement cursor and the time labels

void TOscCursors::Press(int x, bool onStrip) {
    context_.CloseStep();
    context_.CommitEntry();
    if (Measuring() || !context_.Current()) return;
    measureOnStrip_ = onStrip;
    stepTime_ = -1;  // the mouse takes the cursor over
    cursorX_ = context_.ClampColumn(x);
    measureTime_ = context_.TimeAtColumn(cursorX_);
}

void TOscCursors::Move(int x) {
    if (!Measuring()) return;
    cursorX_ = context_.ClampColumn(x);
    measureTime_ = context_.TimeAtColumn(cursorX_);
}

void TOscCursors::Release(int x, bool onStrip, int markWidth) {
    if (!Measuring()) return;
    if (!measureOnStrip_) lastMeasureTime_ = measureTime_;
    EndMeasurement();
    TView* view = context_.Current();
    if (!onStrip || !measureOnStrip_ || !view) return;
    pickedReference_ = -1;  // the labels' numbers shift
    context_.Change(TStepKind::Discrete, [&] {
        const double t = context_.TimeAtColumn(context_.ClampColumn(x));
        const double t2 = context_.TimeAtColumn(context_.ClampColumn(x + markWidth));
        const double h = (t2 - t) / 2;
        const int i = view->FindTimeLabel(t - h, t2 - h);
        if (i < 0) {
            auto label = std::make_unique<TTimeLabel>(context_.Osc);
            label->SetTime(t);
            view->AddTimeLabel(std::move(label));
        } else {
            view->DeleteTimeLabel(i);
        }
    });
}

std::vector<TLabelMark> TOscCursors::LayoutLabels() const {
    return kvaril::LayoutLabels(context_.Current(), context_.Signals.QuantTime(),
                                context_.GraphWidth());
}

void TOscCursors::EndMeasurement() {
    cursorX_ = -1;
    measureTime_ = -1;
}

void TOscCursors::Reset() {
    stepTime_ = -1;
    lastMeasureTime_ = -1;
    pickedReference_ = -1;
}

// ---- the stepped cursor and the Δ readout

bool TOscCursors::Stepping() const {
    const TView* view = context_.Current();
    return view && !Measuring() && stepTime_ >= 0 && stepTime_ >= view->T0() &&
           stepTime_ <= view->T1();
}

double TOscCursors::DisplayTime() const {
    if (Measuring()) return measureTime_;
    if (Stepping()) return stepTime_;
    const TView* view = context_.Current();
    return view ? view->T0() : -1;
}

namespace {

int64_t SteppedQuantum(int64_t k, TCursorStep step, const TQuantRange& shown) {
    switch (step) {
        case TCursorStep::Left:
            return k - 1;
        case TCursorStep::Right:
            return k + 1;
        case TCursorStep::LeftTen:
            return k - 10;
        case TCursorStep::RightTen:
            return k + 10;
        case TCursorStep::Home:
            return shown.First;
        case TCursorStep::End:
            return shown.Last;
    }
    return k;
}

}  // namespace

void TOscCursors::Step(TCursorStep step) {
    context_.CommitEntry();
    const TView* view = context_.Current();
    const double q = context_.Signals.QuantTime();
    if (!view || Measuring() || !(q > 0)) return;
    // The quanta the window shows; the cursor never leaves them.
    const TQuantRange shown = QuantsOfRun(context_.Signals, view->T0(), view->T1(),
                                          context_.Signals.Data().SampleCount());
    if (shown.Count() == 0) return;
    double from = view->T0();
    if (Stepping())
        from = stepTime_;
    else if (lastMeasureTime_ >= view->T0() && lastMeasureTime_ <= view->T1())
        from = lastMeasureTime_;
    const int64_t k =
        std::clamp<int64_t>(SteppedQuantum(Round(from / static_cast<long double>(q)), step, shown),
                            shown.First, shown.Last);
    // A quantum at the window's edge may lie a rounding hair outside it: keep it inside.
    stepTime_ =
        std::clamp(static_cast<double>(k * static_cast<long double>(q)), view->T0(), view->T1());
}

int TOscCursors::ShownCursorColumn() const {
    if (Measuring()) return cursorX_;
    if (!Stepping()) return -1;
    const TView* view = context_.Current();
    const double width = view->T1() - view->T0();
    if (!(width > 0)) return -1;
    const long double x = (stepTime_ - view->T0()) / width * context_.GraphWidth();
    return context_.ClampColumn(static_cast<int>(Round(x)));
}

void TOscCursors::PickReferenceMarker(int label) {
    const TView* view = context_.Current();
    pickedReference_ = view && label >= 0 && label < view->TimeLabelCount() ? label : -1;
}

TDeltaReadout TOscCursors::Delta() const {
    const TView* view = context_.Current();
    if (!view) return {};
    const TBeamGrouping grouping(*view);
    return MakeDeltaReadout(grouping, view, context_.Signals, DisplayTime(), pickedReference_);
}

}  // namespace kvaril
