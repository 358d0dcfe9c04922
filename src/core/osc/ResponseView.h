#pragma once
// What the frequency-response window estimates and draws: the input beam and the output beams
// chosen, the estimate of each run (one, or every run of a sweep shown), and the curves of the
// quantity shown (gain, phase or group delay) and of the coherence, for the spectrum window's
// plot. Bins whose coherence is below kTrustedCoherence are marked faint.

#include <string>
#include <vector>

#include "analysis/Response.h"
#include "osc/OscAnalysis.h"

namespace kvaril {

class TSignals;

enum class TResponseShow { Magnitude, Phase, GroupDelay };

struct TResponseSetup {
    // The intervals, the sweep and the colour scheme as for a spectrum; Beams: every beam the
    // screen shows, which the window offers as input and outputs.
    TSpectrumRequest Base;
    int Input = -1;            // signal index; −1: none chosen
    std::vector<int> Outputs;  // signal indices
};

// The first of `selected` as the input and the others as outputs; with fewer than two
// selected, the first two shown beams (the selected one first).
void ChooseResponseBeams(TResponseSetup& setup, const std::vector<int>& selected);

struct TResponseEstimates {
    std::string Reason;                  // why nothing is shown (UTF-8); empty when something is
    std::vector<TResponse> Runs;         // one per run estimated
    std::vector<std::string> RunLabels;  // "Fc = 1000" per run of a sweep; empty: one run
    std::vector<TRgb> Colors;            // each curve's colour, curve by curve (see below)
};

// Estimates the response over the setup's interval T0..T1, in `signals` or in every good run
// of the setup's sweep. `beamColors` are the beams' colours by colour index.
TResponseEstimates EstimateResponses(TSpectrumAnalyzer& analyzer, const TSignals& signals,
                                     const TResponseSetup& setup, int segment,
                                     const std::vector<TRgb>& beamColors,
                                     const TWorkHooks& hooks = {});

// The curves, output by output and within an output run by run; ColorIndex indexes Colors.
// The values are |H| (linear, for the dB axis), degrees or seconds; NaN where the input has
// no power.
std::vector<TBeamSpectrum> ResponseCurves(const TResponseEstimates& estimates, TResponseShow show);
std::vector<TBeamSpectrum> CoherenceCurves(const TResponseEstimates& estimates);

}  // namespace kvaril
