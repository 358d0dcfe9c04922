#include "osc/OscCursors.h"

#include "osc/CursorSnap.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "base/Cp1251.h"
#include "base/uCommon.h"
#include "document/uBeam.h"
#include "document/uSignal.h"
#include "export/DataRange.h"
#include "osc/BeamGroups.h"
#include "osc/OscContext.h"
#include "osc/OscTime.h"
#include "osc/SweepOverlay.h"
#include "store/uSignalsData.h"

namespace kvaril {

// ---- the measurement cursor and the time labels

void TOscCursors::Press(int x, bool onStrip, int markWidth) {
    context_.CloseStep();
    context_.CommitEntry();
    if (Measuring() || !context_.Current()) return;
    measureOnStrip_ = onStrip;
    stepTime_ = -1;  // the mouse takes the cursor over
    cursorX_ = context_.ClampColumn(x);
    measureTime_ = context_.TimeAtColumn(cursorX_);
    if (onStrip && markerLines_) {
        dragLabel_ = MarkerAt(x, markWidth);
        dragFromX_ = x;
        dragMoved_ = false;
    }
}

void TOscCursors::Move(int x) {
    if (!Measuring()) return;
    cursorX_ = context_.ClampColumn(x);
    measureTime_ = context_.TimeAtColumn(cursorX_);
    // A marker's label follows a drag once the pointer has left the press by a few columns.
    constexpr int kDragStart = 3;
    TView* view = context_.Current();
    if (dragLabel_ < 0 || !view || dragLabel_ >= view->TimeLabelCount()) return;
    if (!dragMoved_ && std::abs(x - dragFromX_) < kDragStart) return;
    dragMoved_ = true;
    const double t = SnapToQuantum(measureTime_, context_.Signals.QuantTime(),
                                   context_.Signals.Data().SampleCount());
    if (view->TimeLabel(dragLabel_).Time() == t) return;
    pickedReference_ = -1;  // the labels' numbers may shift
    // One undoable step from press to release; the label keeps its place in time order.
    context_.Change(TStepKind::Pan, [&] {
        auto label = std::make_unique<TTimeLabel>(context_.Osc);
        label->SetTime(t);
        const TTimeLabel* moved = label.get();
        view->DeleteTimeLabel(dragLabel_);
        view->AddTimeLabel(std::move(label));
        for (int i = 0; i < view->TimeLabelCount(); ++i)
            if (&view->TimeLabel(i) == moved) dragLabel_ = i;
    });
}

int TOscCursors::MarkerAt(int x, int markWidth) const {
    const TView* view = context_.Current();
    if (!view) return -1;
    const double t = context_.TimeAtColumn(context_.ClampColumn(x));
    const double t2 = context_.TimeAtColumn(context_.ClampColumn(x + markWidth));
    const double h = (t2 - t) / 2;
    return view->FindTimeLabel(t - h, t2 - h);
}

void TOscCursors::Release(int x, bool onStrip, int markWidth) {
    if (!Measuring()) return;
    if (dragMoved_) {  // a marker was moved: nothing is added or removed
        EndMeasurement();
        context_.CloseStep();
        return;
    }
    dragLabel_ = -1;
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
    dragLabel_ = -1;
    dragMoved_ = false;
    dragCursor_ = -1;
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

// ---- the A/B cursors

namespace {

// The value table's rule for readouts: magnitudes below 1e-8 read 0.
std::string CursorValueText(double v) {
    if (std::fabs(v) < 0.00000001) v = 0;
    return FormatFloat4(v);
}

}  // namespace

std::string TCursorReadout::Header() const {
    std::string text = "A: " + TimeA + "   B: " + TimeB + "   Δt: " + DeltaTime;
    if (!InverseDelta.empty()) text += "   1/Δt: " + InverseDelta + " Гц";
    return text;
}

const std::optional<TCursorPair>& TOscCursors::Pair() const {
    const TView* view = context_.Current();
    const int64_t n = context_.Signals.Data().SampleCount();
    if (pairShown_ && !pair_ && view && n > 0)
        pair_ = DefaultCursorTimes(*view, context_.Signals.QuantTime(), n);
    return pair_;
}

void TOscCursors::ShowCursorPair(bool on) {
    pairShown_ = on;
    dragCursor_ = -1;
    const TView* view = context_.Current();
    if (!on || !view || !pair_) return;
    const auto inside = [view](double t) { return t >= view->T0() && t <= view->T1(); };
    if (!inside(pair_->A) && !inside(pair_->B)) pair_.reset();  // placed anew where one looks
}

std::optional<TCursorPair> TOscCursors::CursorTimes() const { return Pair(); }

void TOscCursors::SetCursorTimes(double a, double b) {
    const double q = context_.Signals.QuantTime();
    const int64_t n = context_.Signals.Data().SampleCount();
    pair_ = TCursorPair{SnapToQuantum(a, q, n), SnapToQuantum(b, q, n)};
}

int TOscCursors::CursorPairColumn(int which) const {
    const TView* view = context_.Current();
    if (!pairShown_ || !view || !Pair()) return -1;
    const double t = which == 1 ? pair_->B : pair_->A;
    return ColumnOfTime(*view, t, context_.GraphWidth()).value_or(-1);
}

int TOscCursors::CursorNear(int x, int reach) const {
    int best = -1, bestDistance = reach + 1;
    for (int which : {0, 1}) {
        const int column = CursorPairColumn(which);
        if (column < 0) continue;
        const int distance = std::abs(column - x);
        if (distance < bestDistance) {
            best = which;
            bestDistance = distance;
        }
    }
    return best;
}

bool TOscCursors::PressCursor(int x, int reach) {
    context_.CloseStep();
    context_.CommitEntry();
    if (Measuring()) return false;
    const int which = CursorNear(x, reach);
    if (which < 0) return false;
    dragCursor_ = which;
    active_ = which;
    return true;
}

int TOscCursors::ExtremumSignal() const {
    const TView* view = context_.Current();
    if (!view) return -1;
    const TBeamGrouping grouping(*view);
    if (selection_)
        for (int s : *selection_)
            for (int r = 0; r < grouping.RowCount(); ++r)
                if (grouping.Row(r)->Beam->SignalIndex() == s) return s;
    return grouping.RowCount() > 0 ? grouping.Row(0)->Beam->SignalIndex() : -1;
}

double TOscCursors::CursorTimeAt(int x, bool toExtremum) const {
    const TView* view = context_.Current();
    const TSignalsData& data = context_.Signals.Data();
    const double q = context_.Signals.QuantTime();
    const int64_t n = data.SampleCount();
    const double t = context_.TimeAtColumn(std::clamp(x, 0, context_.GraphWidth()));
    if (!view || !(q > 0) || n <= 0) return t;
    const TQuantRange shown = QuantsOfRun(context_.Signals, view->T0(), view->T1(), n);
    int64_t k = std::clamp<int64_t>(Round(t / static_cast<long double>(q)), 0, n - 1);
    if (shown.Count() > 0) k = std::clamp<int64_t>(k, shown.First, shown.Last);
    const int s = toExtremum ? ExtremumSignal() : -1;
    if (s >= 0 && s < data.SignalCount() && shown.Count() > 0) {
        k = NearestExtremum(data.Row(s), n, k, shown);
    }
    return static_cast<double>(k * static_cast<long double>(q));
}

void TOscCursors::MoveCursor(int x, bool toExtremum) {
    if (dragCursor_ < 0 || !Pair()) return;
    const double t = CursorTimeAt(x, toExtremum);
    (dragCursor_ == 1 ? pair_->B : pair_->A) = t;
}

void TOscCursors::ReleaseCursor() { dragCursor_ = -1; }

void TOscCursors::StepCursor(TCursorStep step) {
    context_.CommitEntry();
    const TView* view = context_.Current();
    const double q = context_.Signals.QuantTime();
    const int64_t n = context_.Signals.Data().SampleCount();
    if (!view || !(q > 0) || n <= 0 || !Pair()) return;
    TQuantRange shown = QuantsOfRun(context_.Signals, view->T0(), view->T1(), n);
    if (shown.Count() == 0) shown = {0, static_cast<int>(n - 1)};
    double& t = active_ == 1 ? pair_->B : pair_->A;
    const int64_t k = SteppedQuantum(Round(t / static_cast<long double>(q)), step, shown);
    t = static_cast<double>(std::clamp<int64_t>(k, 0, n - 1) * static_cast<long double>(q));
}

TCursorReadout TOscCursors::Readout(const TSweepShown* sweep) const {
    const TView* view = context_.Current();
    if (!view || !Pair()) return {};
    return CursorReadoutOf(*view, context_.Signals, *pair_, sweep);
}

TCursorReadout CursorReadoutOf(const TView& view, const TSignals& signals, const TCursorPair& pair,
                               const TSweepShown* sweep) {
    TCursorReadout out;
    const double q = signals.QuantTime();
    out.A = pair.A;
    out.B = pair.B;
    out.TimeA = FormatOscTime(q, out.A);
    out.TimeB = FormatOscTime(q, out.B);
    const double dt = out.B - out.A;
    out.DeltaTime = FormatOscTime(q, dt);
    // Both cursors stand on quanta: below half a quantum they read the same sample.
    if (std::fabs(dt) >= q / 2) out.InverseDelta = FormatFloat4(1 / dt);
    // After a sweep every run shown is read, named as the legend names it; otherwise the run.
    std::vector<TOverlayRun> runs;
    if (sweep) runs = OverlayRuns(*sweep, signals.Count(), signals.QuantCount());
    if (runs.empty()) runs.push_back({0, {}, &signals});
    const TBeamGrouping grouping(view);
    for (int r = 0; r < grouping.RowCount(); ++r) {
        const TBeamRowRef* ref = grouping.Row(r);
        const int s = ref->Beam->SignalIndex();
        const std::string name =
            s < signals.Count() ? Cp1251ToUtf8(signals.Items(s).Name()) : std::string();
        for (const TOverlayRun& run : runs) {
            TCursorBeamRow row;
            row.Name = run.Label.empty() ? name : name + ": " + run.Label;
            row.ColorIndex = ref->IndexInGroup;
            double a = 0, b = 0;
            if (SampleAt(*run.Signals, s, out.A, a) && SampleAt(*run.Signals, s, out.B, b)) {
                row.A = CursorValueText(a);
                row.B = CursorValueText(b);
                row.Delta = CursorValueText(b - a);
            }
            out.Rows.push_back(std::move(row));
        }
    }
    return out;
}

std::optional<std::pair<double, double>> TOscCursors::ShownInterval() const {
    const std::optional<TCursorPair> times = CursorTimes();
    if (!times || !pairShown_) return std::nullopt;
    return std::pair<double, double>{times->A, times->B};
}

std::vector<TMarkLine> TOscCursors::MarkLines() const {
    std::optional<TCursorPair> pair;
    if (pairShown_) pair = Pair();
    return LayoutMarkLines(context_.Current(), context_.GraphWidth(), markerLines_, pair);
}

}  // namespace kvaril
