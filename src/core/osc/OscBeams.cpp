#include "osc/OscBeams.h"

#include <algorithm>
#include <cmath>

#include "base/uCommon.h"
#include "document/BeamSettingText.h"
#include "document/uBeam.h"
#include "document/uSignal.h"
#include "osc/BeamGroups.h"
#include "osc/BeamTable.h"
#include "osc/OscContext.h"
#include "store/uSignalsData.h"

namespace kvaril {

std::vector<std::string> TOscBeams::SignalNames() const {
    return SignalNamesUtf8(context_.Signals);
}

void TOscBeams::SetSelection(const std::set<int>& selected) {
    context_.CloseStep();
    context_.CommitEntry();
    selection_ = selected;
    UpdateMaxValue();
}

std::string TOscBeams::BeamText(TBeamRow row) const {
    return BeamSettingText(context_.Current(), selection_, row, context_.Signals.Data()).Text;
}

void TOscBeams::UpdateMaxValue() {
    // The readout keeps its text while nothing is selected.
    const TBeamSettingText t =
        BeamSettingText(context_.Current(), selection_, TBeamRow::Gain, context_.Signals.Data());
    if (t.MaxValueLabel) maxValueText_ = *t.MaxValueLabel;
}

void TOscBeams::Clear() {
    selection_.clear();
    maxValueText_.clear();
}

void TOscBeams::StartEdit(TBeamRow row) {
    context_.CloseStep();
    context_.CommitEntry();
    context_.SetStatus(BeamRowText(row).Hint);
}

void TOscBeams::Edit(TBeamRow row, const std::string& text) {
    context_.Change(TStepKind::BeamEdit, [&] {
        if (TView* view = context_.Current()) ApplyBeamEdit(*view, selection_, row, text);
    });
    UpdateMaxValue();
}

void TOscBeams::EndEdit(TBeamRow row, const std::string& text) {
    Edit(row, text);
    context_.CloseStep();
    context_.SetStatus("");
}

void TOscBeams::CancelEdit() {
    context_.CloseStep();
    context_.SetStatus("");
}

void TOscBeams::ToOneGroup() {
    context_.Change(TStepKind::Discrete, [&] {
        context_.CommitEntry();
        if (TView* view = context_.Current()) BeamsToOneGroup(*view, selection_);
    });
}

void TOscBeams::ToManyGroups() {
    context_.Change(TStepKind::Discrete, [&] {
        context_.CommitEntry();
        if (TView* view = context_.Current()) BeamsToManyGroups(*view);
    });
}

namespace {

// The largest finite magnitude of `row` over the quanta i0..i1.
double LargestMagnitude(const double* row, int64_t i0, int64_t i1) {
    double m = 0;
    for (int64_t i = i0; i <= i1; ++i)
        if (std::isfinite(row[i]) && std::fabs(row[i]) > m) m = std::fabs(row[i]);
    return m;
}

}  // namespace

void TOscBeams::FitToWindow() {
    context_.Change(TStepKind::Discrete, [&] {
        context_.CommitEntry();
        TView* view = context_.Current();
        const TSignalsData& data = context_.Signals.Data();
        const double q = context_.Signals.QuantTime();
        if (!view || !(q > 0) || data.SampleCount() == 0) return;
        // The quanta the traces show: from the window's start up to the last before its end.
        const int64_t last = data.SampleCount() - 1;
        const int64_t i0 =
            std::clamp<int64_t>(Round(view->T0() / static_cast<long double>(q)), 0, last);
        const int64_t i1 =
            std::clamp<int64_t>(Round(view->T1() / static_cast<long double>(q)) - 1, i0, last);
        for (int index : selection_) {
            if (index < 0 || index >= view->BeamCount()) continue;
            TBeam& beam = view->Beam(index);
            if (beam.SignalIndex() >= data.SignalCount()) continue;
            const double m = LargestMagnitude(data.Row(beam.SignalIndex()), i0, i1);
            if (!(m > 1e-10)) continue;  // nothing to fill the band with
            // With the offset kept, the largest magnitude reaches the band's nearer edge.
            const double room = std::fabs(beam.Offset()) < 1 ? 1 - std::fabs(beam.Offset()) : 1;
            beam.SetGain(room / m);
        }
    });
    UpdateMaxValue();
}

}  // namespace kvaril
