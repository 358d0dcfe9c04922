#pragma once
// What the session reads off the current screen for the panel beside the traces: the value table
// at the cursor's instant, statistics over a span (the window or between two markers), and what
// a spectrum window is opened on.

#include <string>
#include <vector>

#include "osc/BeamTable.h"
#include "osc/MeasureRows.h"
#include "osc/OscAnalysis.h"
#include "osc/ResponseView.h"
#include "osc/SweepOverlay.h"

namespace kvaril {

class TOscBeams;
class TOscContext;
class TOscCursors;
class TOscPicture;
class TOscReferences;

// Group, name, value; with a reference run also its value and the difference.
struct TValueRow {
    TValueCell Cells[kValueColumns];
    // With a sweep shown: the value in each run drawn, in the run's colour (in place of the
    // value and any reference run's columns).
    std::vector<TValueCell> Runs;
};

class TOscReadings {
  public:
    // The rows are coloured as `picture` draws the beams ("Цвета по лучам").
    TOscReadings(TOscContext& context, const TOscBeams& beams, const TOscCursors& cursors,
                 const TOscReferences& references, const TOscPicture& picture)
        : context_(context),
          beams_(beams),
          cursors_(cursors),
          references_(references),
          picture_(picture) {}

    // ---- the value table
    std::vector<TValueRow> ValueRows() const;
    // Titles over the columns when the table shows more than the classic three: a reference
    // run's value and difference, then the `delta` marker's; with a sweep shown, the runs'
    // names in place of both. Empty with the classic three.
    std::vector<std::string> ValueTitles(const TDeltaReadout& delta) const;

    // ---- the statistics span and what is measured over it
    void SetSpan(const std::string& text);  // one of SpanSuggestions: "Окно", "m1..m2", "A..B"...
    const std::string& SpanText() const { return spanText_; }
    // The span's times on the current screen; false when it names nothing there (then the
    // window): markers it lacks, A..B while the cursors are hidden.
    bool SpanTimes(double& t0, double& t1) const;
    // A row per beam, or with a sweep shown per beam and run drawn ("A\nFc = 1000").
    std::vector<TStatsRow> StatsRows(const TWorkHooks& hooks = {}) const;
    // The selected signals (every shown beam when none is) over the time window, with the other
    // intervals the spectrum window offers (SpectrumIntervals). With a sweep shown, its runs of
    // the selected beams, or of the first shown beam when none is.
    TSpectrumRequest SpectrumRequest() const;
    // The frequency response's: every beam shown offered, the selected ones chosen
    // (ChooseResponseBeams), the intervals and the sweep as for a spectrum.
    TResponseSetup ResponseSetup() const;
    // The Измерения page's columns, of the current run over the span (SpanTimes).
    std::vector<TMeasureColumn> MeasureColumns(const std::vector<TMeasure>& chosen,
                                               bool pairs = false) const;

  private:
    // The sweep's runs drawn over the current screen; empty without a sweep.
    std::vector<TOverlayRun> Runs() const;
    // The ramp of the runs over the beam drawn in colour index `colorIndex`.
    std::vector<TRgb> RunColors(int colorIndex, size_t runs) const;

    TOscContext& context_;
    const TOscBeams& beams_;
    const TOscCursors& cursors_;
    const TOscReferences& references_;
    const TOscPicture& picture_;
    std::string spanText_ = kWindowSpan;
};

}  // namespace kvaril
