#pragma once
// A sweep's runs as the oscilloscope draws and reads them: the runs that can be shown over the
// document's beams, each with its legend text, and the scale the runs of a beam share so that
// their amplitudes compare.

#include <string>
#include <vector>

#include "sweep/SweepShown.h"

namespace kvaril {

class TBeam;
class TSignals;
class TSignalsData;

struct TOverlayRun {
    int Run = 0;        // in the sweep, for its values
    std::string Label;  // "Fc = 1000" (UTF-8)
    const TSignals* Signals = nullptr;
};

// The successful runs of `sweep` in its order that hold every signal and quantum of a
// document with `signalCount` signals of `quantCount` quanta; a failed run (no samples) or one
// of another document is left out.
std::vector<TOverlayRun> OverlayRuns(const TSweepShown& sweep, int signalCount, int quantCount);

// The largest maximum, over `runs`, among the beams of `beams` with automatic gain: the one
// scale their traces share. 0 when there is none.
double OverlayAutoMax(const std::vector<TOverlayRun>& runs, const std::vector<const TBeam*>& beams);

}  // namespace kvaril
