#pragma once
// The Измерения page's table: for each beam of the screen, the automatic measures the user
// ticked over the statistics' span, as text in the window's units, or the reason a measure
// cannot be made; and where each beam was measured (its levels and crossings), to draw.

#include <string>
#include <vector>

#include "analysis/Measures.h"

namespace kvaril {

class TBeamGrouping;
class TSignals;
class TView;

struct TMeasureColumn {
    std::string Name;  // the beam's, UTF-8
    int ColorIndex = 0;
    int Signal = -1;
    std::vector<std::string> Cells;  // one per chosen measure: its text, or the reason
    std::vector<char> Reasons;       // whether the cell holds a reason
    TWaveform Waveform;              // the levels and crossings it was measured at
};

// The measures offered: the waveform's and the tone's, in the table's order.
std::vector<TMeasure> AutomaticMeasures();
// Those shown before the user chooses: frequency, amplitude, rise and fall time, overshoot,
// duty and THD.
std::vector<TMeasure> DefaultMeasures();
// The keys as the settings keep them ("freq,rise"), and back (unknown keys left out).
std::string MeasureKeyList(const std::vector<TMeasure>& measures);
std::vector<TMeasure> MeasuresOfKeys(const std::string& keys);

// A column per value-table row of the screen over the quanta of [t0, t1]. With `pairs`, two
// cells more in each column: its delay and phase from the first column's beam (MeasurePair),
// empty in the first column itself.
std::vector<TMeasureColumn> MeasureColumns(const TBeamGrouping& grouping, const TSignals& signals,
                                           double t0, double t1, bool beamColors,
                                           const std::vector<TMeasure>& chosen, bool pairs = false);

}  // namespace kvaril
