#include "osc/OscReadings.h"

#include "document/uBeam.h"
#include "document/uSignal.h"
#include "osc/BeamGroups.h"
#include "osc/BeamPalette.h"
#include "osc/OscBeams.h"
#include "osc/OscContext.h"
#include "osc/OscCursors.h"
#include "osc/OscPicture.h"
#include "osc/OscReferences.h"
#include "osc/OscTime.h"
#include "store/uSignalsData.h"

namespace kvaril {

std::vector<TOverlayRun> TOscReadings::Runs() const {
    const TSweepShown* sweep = references_.Sweep();
    if (!sweep) return {};
    return OverlayRuns(*sweep, context_.Signals.Data().SignalCount(),
                       context_.Signals.QuantCount());
}

std::vector<TRgb> TOscReadings::RunColors(int colorIndex, size_t runs) const {
    const TColorScheme scheme = picture_.Scheme();
    return SweepRamp(scheme, BeamColorOf(scheme, picture_.BeamColors(), colorIndex),
                     static_cast<int>(runs));
}

std::vector<TValueRow> TOscReadings::ValueRows() const {
    std::vector<TValueRow> rows;
    const TView* view = context_.Current();
    if (!view) return rows;
    const TBeamGrouping grouping(*view);
    rows.resize(static_cast<size_t>(grouping.RowCount()));
    const std::vector<TOverlayRun> runs = Runs();
    const std::vector<const double*>* reference = runs.empty() ? references_.Rows() : nullptr;
    const double t = cursors_.DisplayTime();
    const bool beamColors = picture_.BeamColors();
    for (int r = 0; r < grouping.RowCount(); ++r) {
        TValueRow& row = rows[static_cast<size_t>(r)];
        for (int c = 0; c < kValueColumns; ++c)
            row.Cells[c] =
                ValueCell(grouping, view, context_.Signals, r, c, t, reference, beamColors);
        if (runs.empty()) continue;
        const std::vector<TRgb> colors = RunColors(row.Cells[2].ColorIndex, runs.size());
        for (size_t i = 0; i < runs.size(); ++i) {
            TValueCell cell =
                ValueCell(grouping, view, *runs[i].Signals, r, 2, t, nullptr, beamColors);
            cell.OwnColor = true;
            cell.Color = colors[i];
            row.Runs.push_back(std::move(cell));
        }
    }
    return rows;
}

std::vector<std::string> TOscReadings::ValueTitles(const TDeltaReadout& delta) const {
    if (const std::vector<TOverlayRun> runs = Runs(); !runs.empty()) {
        std::vector<std::string> titles{"", "Луч"};
        for (const TOverlayRun& run : runs) titles.push_back(run.Label);
        return titles;
    }
    const bool compare = references_.Reference() != nullptr, marker = delta.Reference >= 0;
    if (!compare && !marker) return {};
    // Short enough for the narrow columns: each Δ is the value less the column before it.
    std::vector<std::string> titles{"", "Луч", "Знач."};
    if (compare) titles.insert(titles.end(), {"Опорн.", "Δ"});
    if (marker) titles.insert(titles.end(), {MarkerName(delta.Reference), "Δ"});
    return titles;
}

void TOscReadings::SetSpan(const std::string& text) { spanText_ = text; }

bool TOscReadings::SpanTimes(double& t0, double& t1) const {
    const TView* view = context_.Current();
    if (!view) {
        t0 = t1 = 0;
        return false;
    }
    const std::optional<std::pair<double, double>> ab = cursors_.ShownInterval();
    return ResolveSpan(*view, spanText_, t0, t1, &context_.Signals, ab ? &*ab : nullptr);
}

std::vector<TStatsRow> TOscReadings::StatsRows(const TWorkHooks& hooks) const {
    const TView* view = context_.Current();
    if (!view) return {};
    double t0 = 0, t1 = 0;
    SpanTimes(t0, t1);
    const TBeamGrouping grouping(*view);
    std::vector<TStatsRow> rows =
        kvaril::StatsRows(grouping, view, context_.Signals, t0, t1, picture_.BeamColors(), hooks);
    const std::vector<TOverlayRun> runs = Runs();
    if (runs.empty()) return rows;
    // Each run measured as the current one is, then its columns beam by beam.
    std::vector<std::vector<TStatsRow>> perRun;
    for (const TOverlayRun& run : runs)
        perRun.push_back(
            kvaril::StatsRows(grouping, view, *run.Signals, t0, t1, picture_.BeamColors(), hooks));
    std::vector<TStatsRow> columns;
    for (size_t b = 0; b < rows.size(); ++b) {
        const std::vector<TRgb> colors = RunColors(rows[b].ColorIndex, runs.size());
        for (size_t i = 0; i < runs.size(); ++i) {
            TStatsRow row = perRun[i].at(b);
            row.Name = rows[b].Name + "\n" + runs[i].Label;
            row.OwnColor = true;
            row.Color = colors[i];
            columns.push_back(std::move(row));
        }
    }
    return columns;
}

TSpectrumRequest TOscReadings::SpectrumRequest() const {
    TSpectrumRequest r;
    const TView* view = context_.Current();
    if (!view) return r;
    r.Beams = ChooseBeams(TBeamGrouping(*view), beams_.Selection(), picture_.BeamColors());
    r.Sweep = references_.SharedSweep();
    r.Scheme = picture_.Scheme();
    // Every run of every shown beam would bury each beam's runs: without a choice, the first.
    if (r.Sweep && beams_.Selection().empty() && r.Beams.size() > 1) r.Beams.resize(1);
    // A..B is offered while the cursors are shown.
    const std::optional<std::pair<double, double>> ab = cursors_.ShownInterval();
    r.Intervals = SpectrumIntervals(*view, context_.Signals, ab ? &*ab : nullptr);
    ChooseInterval(r, 0);  // the time window
    return r;
}

TResponseSetup TOscReadings::ResponseSetup() const {
    TResponseSetup setup;
    setup.Base = SpectrumRequest();
    const TView* view = context_.Current();
    if (!view) return setup;
    setup.Base.Beams = ChooseBeams(TBeamGrouping(*view), {}, picture_.BeamColors());
    const std::set<int>& selected = beams_.Selection();
    ChooseResponseBeams(setup, std::vector<int>(selected.begin(), selected.end()));
    return setup;
}

std::vector<TMeasureColumn> TOscReadings::MeasureColumns(const std::vector<TMeasure>& chosen,
                                                         bool pairs) const {
    const TView* view = context_.Current();
    if (!view) return {};
    double t0 = 0, t1 = 0;
    SpanTimes(t0, t1);
    return kvaril::MeasureColumns(TBeamGrouping(*view), context_.Signals, t0, t1,
                                  picture_.BeamColors(), chosen, pairs);
}

}  // namespace kvaril
