#pragma once
// The spectrum window over a sweep: the runs' spectra of a beam overlaid, each named by its
// run's values and drawn in the beam's ramp, as the oscilloscope draws the runs.

#include <vector>

#include "document/uBeam.h"
#include "osc/OscAnalysis.h"
#include "sweep/SweepShown.h"

namespace kvaril {

struct TSweepSpectra {
    // Beam by beam, run by run (failed runs left out). Named by the run's values
    // ("Fc = 1000"), after the beam's name when there are several beams; ColorIndex indexes
    // Colors.
    std::vector<TBeamSpectrum> Curves;
    std::vector<TRgb> Colors;
};

// The spectra of `beams` in every run of `sweep` over the quanta of [t0, t1]; `beamColors` are
// the beams' colours by their ColorIndex in `scheme`.
TSweepSpectra SweepSpectra(TSpectrumAnalyzer& analyzer, const TSweepShown& sweep,
                           const std::vector<TBeamChoice>& beams,
                           const std::vector<TRgb>& beamColors, TColorScheme scheme, double t0,
                           double t1, TSpectrumWindow window);

}  // namespace kvaril
