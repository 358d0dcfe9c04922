#include "osc/ResponseView.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/Cp1251.h"
#include "document/uSignal.h"
#include "export/DataRange.h"
#include "osc/BeamPalette.h"
#include "store/uSignalsData.h"

namespace kvaril {

namespace {

bool Shown(const TResponseSetup& setup, int signal) {
    return std::any_of(setup.Base.Beams.begin(), setup.Base.Beams.end(),
                       [signal](const TBeamChoice& b) { return b.Signal == signal; });
}

TRgb BeamColor(const TResponseSetup& setup, int signal, const std::vector<TRgb>& beamColors) {
    for (const TBeamChoice& b : setup.Base.Beams)
        if (b.Signal == signal && b.ColorIndex >= 0 && b.ColorIndex < int(beamColors.size()))
            return beamColors[static_cast<size_t>(b.ColorIndex)];
    return {0, 0, 0};
}

std::string Name(const TSignals& signals, int index) {
    return Cp1251ToUtf8(signals.Items(index).Name());
}

// The estimate of one run's signals over the setup's interval.
TResponse EstimateRun(TSpectrumAnalyzer& analyzer, const TSignals& signals,
                      const TResponseSetup& setup, int segment, const TWorkHooks& hooks) {
    const TSignalsData& data = signals.Data();
    const TQuantRange range =
        QuantsOfRun(signals, setup.Base.T0, setup.Base.T1, data.SampleCount());
    const auto at = [&](int index) { return data.Row(index) + range.First; };
    std::vector<TResponseSignal> outputs;
    for (int o : setup.Outputs) outputs.push_back({Name(signals, o), at(o)});
    return EstimateResponse(analyzer, {Name(signals, setup.Input), at(setup.Input)}, outputs,
                            range.Count(), signals.QuantTime(), segment, hooks);
}

TBeamSpectrum Curve(const TResponse& run, size_t output, const std::string& name, int color,
                    const std::vector<double>& values) {
    TBeamSpectrum b;
    b.Name = name;
    b.ColorIndex = color;
    b.Spectrum.N = run.Segment;
    b.Spectrum.QuantTime = run.QuantTime;
    const TResponseCurve& c = run.Outputs[output];
    b.Spectrum.Amplitude.resize(values.size());
    b.Faint.resize(values.size());
    for (size_t k = 0; k < values.size(); ++k) {
        b.Spectrum.Amplitude[k] = c.Valid[k] ? values[k] : std::numeric_limits<double>::quiet_NaN();
        b.Faint[k] = c.Valid[k] && c.Coherence[k] < kTrustedCoherence;
    }
    return b;
}

template <typename TValues>
std::vector<TBeamSpectrum> Curves(const TResponseEstimates& e, TValues values) {
    std::vector<TBeamSpectrum> curves;
    if (e.Runs.empty()) return curves;
    const size_t outputs = e.Runs.front().Outputs.size();
    for (size_t o = 0; o < outputs; ++o)
        for (size_t r = 0; r < e.Runs.size(); ++r) {
            const TResponseCurve& c = e.Runs[r].Outputs[o];
            std::string name = c.Name;
            if (!e.RunLabels.empty())
                name = outputs > 1 ? name + ": " + e.RunLabels[r] : e.RunLabels[r];
            curves.push_back(Curve(e.Runs[r], o, name, static_cast<int>(curves.size()), values(c)));
        }
    return curves;
}

}  // namespace

void ChooseResponseBeams(TResponseSetup& setup, const std::vector<int>& selected) {
    std::vector<int> order;
    for (int s : selected)
        if (Shown(setup, s)) order.push_back(s);
    if (order.size() < 2)
        for (const TBeamChoice& b : setup.Base.Beams)
            if (order.size() < 2 && std::find(order.begin(), order.end(), b.Signal) == order.end())
                order.push_back(b.Signal);
    setup.Input = order.empty() ? -1 : order.front();
    setup.Outputs.assign(order.begin() + (order.empty() ? 0 : 1), order.end());
}

TResponseEstimates EstimateResponses(TSpectrumAnalyzer& analyzer, const TSignals& signals,
                                     const TResponseSetup& setup, int segment,
                                     const std::vector<TRgb>& beamColors, const TWorkHooks& hooks) {
    TResponseEstimates e;
    const int count = signals.Data().SignalCount();
    const auto outside = [count](int s) { return s < 0 || s >= count; };
    if (outside(setup.Input) || setup.Outputs.empty() ||
        std::any_of(setup.Outputs.begin(), setup.Outputs.end(), outside)) {
        e.Reason = "Выберите вход и хотя бы один выход";
        return e;
    }
    std::vector<const TSignals*> runs;
    if (const TSweepShown* sweep = setup.Base.Sweep.get()) {
        const int count = std::min(sweep->Sweep.RunCount(), int(sweep->Result.Runs.size()));
        for (int run = 0; run < count; ++run) {
            const TSweepRun& r = sweep->Result.Runs[static_cast<size_t>(run)];
            if (!r.Ok() || !r.Signals) continue;
            runs.push_back(r.Signals.get());
            e.RunLabels.push_back(sweep->Sweep.DisplayLabel(run));
        }
    } else {
        runs.push_back(&signals);
    }
    for (const TSignals* run : runs) {
        e.Runs.push_back(EstimateRun(analyzer, *run, setup, segment, hooks));
        if (e.Runs.back().Empty()) {
            e.Reason = e.Runs.back().Reason;
            e.Runs.clear();
            return e;
        }
    }
    for (int o : setup.Outputs) {
        const std::vector<TRgb> shades =
            e.RunLabels.empty()
                ? std::vector<TRgb>{BeamColor(setup, o, beamColors)}
                : SweepRamp(setup.Base.Scheme, BeamColor(setup, o, beamColors), int(runs.size()));
        e.Colors.insert(e.Colors.end(), shades.begin(), shades.end());
    }
    return e;
}

std::vector<TBeamSpectrum> ResponseCurves(const TResponseEstimates& estimates, TResponseShow show) {
    return Curves(estimates, [show](const TResponseCurve& c) -> const std::vector<double>& {
        return show == TResponseShow::Magnitude ? c.Magnitude
               : show == TResponseShow::Phase   ? c.Phase
                                                : c.GroupDelay;
    });
}

std::vector<TBeamSpectrum> CoherenceCurves(const TResponseEstimates& estimates) {
    return Curves(estimates, [](const TResponseCurve& c) -> const std::vector<double>& {
        return c.Coherence;
    });
}

}  // namespace kvaril
