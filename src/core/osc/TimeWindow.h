#pragma once
// The time window of a screen: the four setters with their clamping, the expressions of the
// time entry, the scroll bar's numbers, and zooming and panning around a point. Everything goes
// through the screen's SetT0 and SetT1.

#include <string>
#include <vector>

#include "document/OscEnums.h"

namespace kvaril {

class TView;

struct TTimeFrame {
    double Q = 0;            // the document's quantization time
    double T = 0;            // the document's total time
    double MinInterval = 0;  // the shortest window that may be entered, 10 × Q
};

void SetWindowStart(TView& view, const TTimeFrame& f, double x);
void SetWindowEnd(TView& view, const TTimeFrame& f, double x);
void SetWindowLength(TView& view, const TTimeFrame& f, double x);
void SetWindowRange(TView& view, const TTimeFrame& f, double end, double start);

// The value of an entry text against the screen; `fallback` when it cannot be evaluated. Every
// time the window shows reads back as itself, "2E-5" included.
double EvalTimeText(const TView& view, const TTimeFrame& f, const std::string& text,
                    double fallback);

// Applies a committed entry of the given mode.
void CommitTimeEntry(TView& view, const TTimeFrame& f, TEntryMode mode, const std::string& text);

// The suggestions of an entry (UTF-8).
std::vector<std::string> EntrySuggestions(const TView& view, TEntryMode mode);
// What the status line says while the entry is open.
std::string EntryHint(const TView& view, const TTimeFrame& f, TEntryMode mode);

struct TScrollState {
    int Maximum = 0, Position = 0, LargeStep = 1, SmallStep = 1;
};
TScrollState ScrollStateOf(const TView& view, const TTimeFrame& f);
// The window follows the scroll position, keeping its width.
void ScrollWindowTo(TView& view, const TTimeFrame& f, int position);

// Zooms by `factor` (below 1 narrows) keeping the time `anchor` at the same place on screen.
void ZoomWindow(TView& view, const TTimeFrame& f, double anchor, double factor);
// Moves the window by `delta` seconds, keeping its width.
void PanWindow(TView& view, const TTimeFrame& f, double delta);

}  // namespace kvaril
