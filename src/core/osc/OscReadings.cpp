#include "osc/OscReadings.h"

#include "document/uSignal.h"
#include "osc/BeamGroups.h"
#include "osc/OscBeams.h"
#include "osc/OscContext.h"
#include "osc/OscCursors.h"
#include "osc/OscPicture.h"
#include "osc/OscReferences.h"
#include "osc/OscTime.h"
#include "osc/uBeam.h"

namespace kvaril {

std::vector<TValueRow> TOscReadings::ValueRows() const {
    std::vector<TValueRow> rows;
    const TView* view = context_.Current();
    if (!view) return rows;
    const TBeamGrouping grouping(*view);
    rows.resize(static_cast<size_t>(grouping.RowCount()));
    const std::vector<const double*>* reference = references_.Rows();
    const double t = cursors_.DisplayTime();
    for (int r = 0; r < grouping.RowCount(); ++r)
        for (int c = 0; c < kValueColumns; ++c)
            rows[static_cast<size_t>(r)].Cells[c] = ValueCell(
                grouping, view, context_.Signals, r, c, t, reference, picture_.BeamColors());
    return rows;
}

std::vector<std::string> TOscReadings::ValueTitles(const TDeltaReadout& delta) const {
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
    return ResolveSpan(*view, spanText_, t0, t1);
}

std::vector<TStatsRow> TOscReadings::StatsRows() const {
    const TView* view = context_.Current();
    if (!view) return {};
    double t0 = 0, t1 = 0;
    SpanTimes(t0, t1);
    return kvaril::StatsRows(TBeamGrouping(*view), view, context_.Signals, t0, t1,
                             picture_.BeamColors());
}

TSpectrumRequest TOscReadings::SpectrumRequest() const {
    TSpectrumRequest r;
    const TView* view = context_.Current();
    if (!view) return r;
    r.Beams = ChooseBeams(TBeamGrouping(*view), beams_.Selection(), picture_.BeamColors());
    r.Sweep = references_.SharedSweep();
    // Every run of every shown beam would bury each beam's runs: without a choice, the first.
    if (r.Sweep && beams_.Selection().empty() && r.Beams.size() > 1) r.Beams.resize(1);
    // A..B is offered while the cursors are shown.
    std::optional<std::pair<double, double>> ab;
    if (const std::optional<TCursorPair> times = cursors_.CursorTimes();
        times && cursors_.CursorPairShown())
        ab.emplace(times->A, times->B);
    r.Intervals = SpectrumIntervals(*view, context_.Signals, ab ? &*ab : nullptr);
    ChooseInterval(r, 0);  // the time window
    return r;
}

}  // namespace kvaril
