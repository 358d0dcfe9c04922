#pragma once
// What the oscilloscope's data export covers: the beams picked in the signal list (every signal
// when none is) over the current screen's time window, the whole run, or the interval between
// two of the screen's time labels. Resolved into the TDataRange every writer takes.

#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "export/DataRange.h"

namespace kvaril {

class TSignals;
class TView;

// Cursors: between the A/B cursors, as every analysis offers (A..B).
enum class TExportSpan { Window, WholeRun, Markers, Cursors };

// The labels of `view` as the export dialog lists them, in their order on the screen (UTF-8).
std::vector<std::string> MarkerTexts(const TView* view, double quantTime);

// The times a span of `view` covers, [From, To] (none: the run's own end): the screen's time
// window, the whole run, or the interval between two of its labels `markerA` and `markerB` (in
// either order). Without a screen the window is the whole run. Throws ERangeError for a label
// the screen does not have. The export and the Статистика page both take their spans here.
struct TSpanTimes {
    std::optional<double> From, To;
};
TSpanTimes SpanTimesOf(const TView* view, TExportSpan span, int markerA = -1, int markerB = -1,
                       const std::pair<double, double>* cursors = nullptr);

// `markerA` and `markerB` index the screen's labels (either order) for TExportSpan::Markers;
// `cursors` are the A/B cursors' times (either order) for TExportSpan::Cursors. Without a screen
// the window is the whole run. Throws ERangeError when the markers or the cursors are not there
// or the interval holds no sample.
TDataRange ExportRangeOf(const TSignals& signals, const TView* view, const std::set<int>& beams,
                         TExportSpan span, int markerA = -1, int markerB = -1,
                         const std::pair<double, double>* cursors = nullptr);

}  // namespace kvaril
