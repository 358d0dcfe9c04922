#include "osc/SweepSpectra.h"

#include <algorithm>

#include "document/uSignal.h"
#include "osc/BeamPalette.h"

namespace kvaril {

TSweepSpectra SweepSpectra(TSpectrumAnalyzer& analyzer, const TSweepShown& sweep,
                           const std::vector<TBeamChoice>& beams,
                           const std::vector<TRgb>& beamColors, TColorScheme scheme, double t0,
                           double t1, TSpectrumWindow window) {
    TSweepSpectra out;
    std::vector<int> good;
    const int runs = std::min(sweep.Sweep.RunCount(), static_cast<int>(sweep.Result.Runs.size()));
    for (int run = 0; run < runs; ++run) {
        const TSweepRun& r = sweep.Result.Runs[static_cast<size_t>(run)];
        if (r.Ok() && r.Signals) good.push_back(run);
    }
    for (const TBeamChoice& beam : beams) {
        const TRgb base = beam.ColorIndex >= 0 && beam.ColorIndex < int(beamColors.size())
                              ? beamColors[static_cast<size_t>(beam.ColorIndex)]
                              : TRgb{0, 0, 0};
        const std::vector<TRgb> shades = SweepRamp(scheme, base, int(good.size()));
        for (size_t i = 0; i < good.size(); ++i) {
            const TSignals& signals = *sweep.Result.Runs[static_cast<size_t>(good[i])].Signals;
            std::vector<TBeamSpectrum> one =
                BeamSpectra(analyzer, signals, {{beam.Signal, 0}}, t0, t1, window);
            if (one.empty()) continue;  // a signal the runs do not have
            TBeamSpectrum& curve = one.front();
            const std::string label = sweep.Sweep.DisplayLabel(good[i]);
            curve.Name = beams.size() > 1 ? curve.Name + ": " + label : label;
            curve.ColorIndex = static_cast<int>(out.Colors.size());
            out.Colors.push_back(shades[i]);
            out.Curves.push_back(std::move(curve));
        }
    }
    return out;
}

}  // namespace kvaril
