#include "osc/MeasureRows.h"

#include <algorithm>

#include "base/Cp1251.h"
#include "document/uSignal.h"
#include "export/DataRange.h"
#include "osc/BeamGroups.h"
#include "osc/BeamPalette.h"
#include "osc/OscAnalysis.h"
#include "osc/OscTime.h"
#include "plot/Ticks.h"
#include "store/uSignalsData.h"

namespace kvaril {

std::vector<TMeasure> AutomaticMeasures() {
    std::vector<TMeasure> out;
    for (const TMeasureInfo& m : AllMeasures())
        if (m.Kind == TMeasureKind::Waveform || m.Kind == TMeasureKind::Distortion)
            out.push_back(m.Id);
    return out;
}

std::vector<TMeasure> DefaultMeasures() {
    using enum TMeasure;
    return {Frequency, Amplitude, RiseTime, FallTime, Overshoot, Duty, ThdDb};
}

std::string MeasureKeyList(const std::vector<TMeasure>& measures) {
    std::string keys;
    for (TMeasure m : measures) keys += (keys.empty() ? "" : ",") + std::string(MeasureInfo(m).Key);
    return keys;
}

std::vector<TMeasure> MeasuresOfKeys(const std::string& keys) {
    std::vector<TMeasure> out;
    size_t from = 0;
    while (from <= keys.size()) {
        const size_t comma = std::min(keys.find(',', from), keys.size());
        const std::string key = keys.substr(from, comma - from);
        for (TMeasure m : AutomaticMeasures())
            if (key == MeasureInfo(m).Key) out.push_back(m);
        from = comma + 1;
    }
    return out;
}

std::vector<TMeasureColumn> MeasureColumns(const TBeamGrouping& grouping, const TSignals& signals,
                                           double t0, double t1, bool beamColors,
                                           const std::vector<TMeasure>& chosen, bool pairs) {
    std::vector<TMeasureColumn> columns;
    const TSignalsData& data = signals.Data();
    const TQuantRange range = QuantsOfRun(signals, t0, t1, data.SampleCount());
    const double q = signals.QuantTime();
    TSpectrumAnalyzer analyzer;
    for (int r = 0; r < grouping.RowCount(); ++r) {
        const TBeamRowRef& ref = *grouping.Row(r);
        TMeasureColumn c;
        c.Signal = ref.Beam->SignalIndex();
        if (c.Signal < signals.Count()) c.Name = Cp1251ToUtf8(signals.Items(c.Signal).Name());
        c.ColorIndex = BeamColorIndex(ref, beamColors);
        if (c.Signal < data.SignalCount()) {
            const double* samples = data.Row(c.Signal) + range.First;
            c.Waveform = MeasureWaveform(samples, range.Count(), range.First * q, q);
            bool tone = false;
            TDistortion distortion;
            for (TMeasure m : chosen) {
                TMeasured v;
                if (MeasureInfo(m).Kind == TMeasureKind::Distortion) {
                    if (!tone) distortion = MeasureDistortion(analyzer, samples, range.Count(), q);
                    tone = true;
                    v = DistortionMeasureOf(distortion, m);
                } else {
                    v = WaveformMeasureOf(c.Waveform, m);
                }
                c.Cells.push_back(v.Ok() ? MeasureText(m, v.Value, q) : v.Reason);
                c.Reasons.push_back(!v.Ok());
            }
        }
        columns.push_back(std::move(c));
    }
    if (!pairs) return columns;
    for (TMeasureColumn& c : columns) {
        const TMeasureColumn& first = columns.front();
        if (&c == &first || c.Signal >= data.SignalCount() || first.Signal >= data.SignalCount()) {
            c.Cells.insert(c.Cells.end(), 2, std::string());
            c.Reasons.insert(c.Reasons.end(), 2, 0);
            continue;
        }
        const TPairMeasure pair =
            MeasurePair(data.Row(first.Signal) + range.First, data.Row(c.Signal) + range.First,
                        range.Count(), range.First * q, q);
        c.Cells.push_back(pair.Delay.Ok() ? FormatOscTime(q, pair.Delay.Value) : pair.Delay.Reason);
        c.Reasons.push_back(!pair.Delay.Ok());
        c.Cells.push_back(pair.Phase.Ok() ? FormatDecimals(pair.Phase.Value, 1, "°")
                                          : pair.Phase.Reason);
        c.Reasons.push_back(!pair.Phase.Ok());
    }
    return columns;
}

}  // namespace kvaril
