#pragma once
// Vertical lines drawn over the traces of a screen: the A/B cursors ("Вид → Курсоры A/B") and a
// thin dashed line under each marker ("Вид → Линии меток"). Both are the user's view choices,
// never part of the document; with both off nothing is drawn and the picture is the classic one.

#include <optional>
#include <string>
#include <vector>

#include "document/uBeam.h"

namespace kvaril {

// One colour for every line, whatever the scheme: a burnt orange that no beam uses, with a
// contrast of about 3:1 or more against the gray, white and black screens.
inline constexpr TRgb kMarkLineColor{190, 70, 0};

struct TMarkLine {
    int X = 0;
    bool Dashed = false;  // a marker's line; the cursors are solid
    std::string Label;    // "A", "B"; empty for a marker (its name is on the strip)
};

// The times of the A/B cursors, or none.
struct TCursorPair {
    double A = 0, B = 0;
};

// The column of time `t` in a window of `graphWidth` columns, as the label strip places its
// names; none when it lies outside the window.
std::optional<int> ColumnOfTime(const TView& view, double t, int graphWidth);

// The lines of `view`: each marker's (when `markers`) and the cursors' (when given), those in
// the window only. The cursors come last, so they are drawn over the markers.
std::vector<TMarkLine> LayoutMarkLines(const TView* view, int graphWidth, bool markers,
                                       const std::optional<TCursorPair>& cursors);

// The cursors as first shown: a third and two thirds of the window, each on a quantum.
TCursorPair DefaultCursorTimes(const TView& view, double quantTime, int64_t sampleCount);

// `t` on the nearest quantum of a run of `sampleCount` samples (never beyond the last).
double SnapToQuantum(double t, double quantTime, int64_t sampleCount);

}  // namespace kvaril
