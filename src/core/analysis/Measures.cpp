#include "analysis/Measures.h"

#include <array>
#include <limits>

#include "analysis/SignalStats.h"
#include "document/uSignal.h"
#include "model/ModelGenerator.h"
#include "store/uSignalsData.h"

namespace kvaril {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

using enum TMeasure;
using enum TMeasureKind;
using U = TMeasureUnit;

// The keys are the columns the command line's files have always had.
constexpr std::array<TMeasureInfo, 12> kMeasures{{
    {Count, "n", "n", U::Count, Statistic},
    {Min, "min", "min", U::Value, Statistic},
    {TimeOfMin, "t_min", "t(min)", U::Time, Statistic},
    {Max, "max", "max", U::Value, Statistic},
    {TimeOfMax, "t_max", "t(max)", U::Time, Statistic},
    {Mean, "mean", "среднее", U::Value, Statistic},
    {Rms, "rms", "СКЗ", U::Value, Statistic},
    {PeakToPeak, "p2p", "размах", U::Value, Statistic},
    {StdDev, "std", "СКО", U::Value, Statistic},
    {PeakFrequency, "f", "f пика", U::Hertz, Peak},
    {PeakAmplitude, "amplitude", "амплитуда пика", U::Value, Peak},
    {PeakLevel, "db", "уровень пика, дБ", U::Decibel, Peak},
}};

constexpr bool InTableOrder() {
    for (size_t i = 0; i < kMeasures.size(); ++i)
        if (static_cast<size_t>(kMeasures[i].Id) != i) return false;
    return true;
}
static_assert(InTableOrder(), "a measure's row is its number");

constexpr bool StatisticsFirst() {
    for (size_t i = 0; i < kMeasures.size(); ++i)
        if ((kMeasures[i].Kind == Statistic) != (i < kStatisticCount)) return false;
    return true;
}
static_assert(StatisticsFirst(), "the statistics are the table's first kStatisticCount rows");

}  // namespace

std::span<const TMeasureInfo> AllMeasures() { return kMeasures; }

const TMeasureInfo& MeasureInfo(TMeasure measure) {
    return kMeasures[static_cast<size_t>(measure)];
}

std::string MeasureKeys(TMeasureKind kind) {
    std::string keys;
    for (const TMeasureInfo& m : kMeasures) {
        if (m.Kind != kind) continue;
        if (!keys.empty()) keys += ",";
        keys += m.Key;
    }
    return keys;
}

double StatisticOf(const TSignalStats& st, TMeasure measure, double quantTime) {
    if (measure == TMeasure::Count) return st.Count;
    if (st.Count == 0) return kNaN;
    switch (measure) {
        case Min:
            return st.Min;
        case TimeOfMin:
            return st.MinQuant >= 0 ? st.MinQuant * quantTime : kNaN;
        case Max:
            return st.Max;
        case TimeOfMax:
            return st.MaxQuant >= 0 ? st.MaxQuant * quantTime : kNaN;
        case Mean:
            return st.Mean;
        case Rms:
            return st.Rms;
        case PeakToPeak:
            return st.PeakToPeak;
        case StdDev:
            return st.StdDev;
        default:
            return kNaN;
    }
}

double PeakMeasureOf(const TSpectralPeak& peak, TMeasure measure) {
    if (peak.Bin < 0) return kNaN;
    switch (measure) {
        case PeakFrequency:
            return peak.Frequency;
        case PeakAmplitude:
            return peak.Amplitude;
        case PeakLevel:
            return ToDecibels(peak.Amplitude);
        default:
            return kNaN;
    }
}

double MeasureOver(TSpectrumAnalyzer& analyzer, const TSignals& signals, int index,
                   TQuantRange range, TMeasure measure, TSpectrumWindow window) {
    const TSignalsData& data = signals.Data();
    if (index < 0 || index >= data.SignalCount()) return kNaN;
    const double quantTime = ModelTime(signals, 1);
    if (MeasureInfo(measure).Kind == Statistic)
        return StatisticOf(SignalStats(data, index, range), measure, quantTime);
    const TSpectrum spectrum = analyzer.Compute(data, index, range, quantTime, window);
    if (spectrum.NonFinite) return kNaN;
    return PeakMeasureOf(FindLargestPeak(spectrum), measure);
}

}  // namespace kvaril
