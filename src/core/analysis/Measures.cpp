#include "analysis/Measures.h"

#include <algorithm>
#include <array>
#include <cmath>
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
constexpr std::array<TMeasureInfo, 33> kMeasures{{
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
    {Frequency, "freq", "частота", U::Hertz, Waveform},
    {Period, "period", "период", U::Time, Waveform},
    {Periods, "periods", "периодов", U::Count, Waveform},
    {Top, "top", "верх", U::Value, Waveform},
    {Base, "base", "низ", U::Value, Waveform},
    {Amplitude, "amp", "амплитуда", U::Value, Waveform},
    {High, "high", "наибольшее", U::Value, Waveform},
    {Low, "low", "наименьшее", U::Value, Waveform},
    {RiseTime, "rise", "фронт 10-90 %", U::Time, Waveform},
    {FallTime, "fall", "спад 90-10 %", U::Time, Waveform},
    {Overshoot, "overshoot", "выброс, %", U::Percent, Waveform},
    {Undershoot, "undershoot", "провал, %", U::Percent, Waveform},
    {WidthPositive, "width+", "длительность +", U::Time, Waveform},
    {WidthNegative, "width-", "длительность -", U::Time, Waveform},
    {Duty, "duty", "заполнение, %", U::Percent, Waveform},
    {ThdDb, "thd", "КНИ, дБ", U::Decibel, Distortion},
    {ThdPercent, "thd%", "КНИ, %", U::Percent, Distortion},
    {Snr, "snr", "С/Ш, дБ", U::Decibel, Distortion},
    {Sinad, "sinad", "SINAD, дБ", U::Decibel, Distortion},
    {Enob, "enob", "ENOB, бит", U::Bits, Distortion},
    {Sfdr, "sfdr", "SFDR, дБ", U::Decibel, Distortion},
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

TMeasured WaveformMeasureOf(const TWaveform& w, TMeasure measure) {
    switch (measure) {
        case Frequency:
            return w.Frequency;
        case Period:
            return w.Period;
        case Periods:
            return w.Periods;
        case Top:
            return w.Top;
        case Base:
            return w.Base;
        case Amplitude:
            return w.Amplitude;
        case High:
            return w.High;
        case Low:
            return w.Low;
        case RiseTime:
            return w.Rise;
        case FallTime:
            return w.Fall;
        case Overshoot:
            return w.Overshoot;
        case Undershoot:
            return w.Undershoot;
        case WidthPositive:
            return w.WidthPositive;
        case WidthNegative:
            return w.WidthNegative;
        case Duty:
            return w.Duty;
        default:
            return TMeasured::Not("не мера формы сигнала");
    }
}

TMeasured DistortionMeasureOf(const TDistortion& d, TMeasure measure) {
    switch (measure) {
        case ThdDb:
            return d.ThdDb;
        case ThdPercent:
            return d.ThdPercent;
        case Snr:
            return d.Snr;
        case Sinad:
            return d.Sinad;
        case Enob:
            return d.Enob;
        case Sfdr:
            return d.Sfdr;
        default:
            return TMeasured::Not("не мера тона");
    }
}

TMeasured MeasuredOver(TSpectrumAnalyzer& analyzer, const TSignals& signals, int index,
                       TQuantRange range, TMeasure measure, TSpectrumWindow window) {
    const TSignalsData& data = signals.Data();
    if (index < 0 || index >= data.SignalCount()) return TMeasured::Not("нет такого сигнала");
    const double quantTime = ModelTime(signals, 1);
    auto number = [](double v) {
        return std::isnan(v) ? TMeasured::Not("нечего измерить") : TMeasured::Of(v);
    };
    const TMeasureKind kind = MeasureInfo(measure).Kind;
    if (kind == Statistic)
        return number(StatisticOf(SignalStats(data, index, range), measure, quantTime));
    range.First = std::max(range.First, 0);
    range.Last = std::min(range.Last, data.SampleCount() - 1);
    const int n = std::max(0, range.Count());
    const double* samples = data.Row(index) + range.First;
    if (kind == Waveform)
        return WaveformMeasureOf(
            MeasureWaveform(samples, n, ModelTime(signals, range.First), quantTime), measure);
    if (kind == Distortion)
        return DistortionMeasureOf(MeasureDistortion(analyzer, samples, n, quantTime), measure);
    const TSpectrum spectrum = analyzer.Compute(data, index, range, quantTime, window);
    if (spectrum.NonFinite) return TMeasured::Not("в интервале есть NaN или бесконечность");
    return number(PeakMeasureOf(FindLargestPeak(spectrum), measure));
}

double MeasureOver(TSpectrumAnalyzer& analyzer, const TSignals& signals, int index,
                   TQuantRange range, TMeasure measure, TSpectrumWindow window) {
    const TMeasured m = MeasuredOver(analyzer, signals, index, range, measure, window);
    return m.Ok() ? m.Value : kNaN;
}

}  // namespace kvaril
