#pragma once
// Every number the workbench measures of one signal over an interval, in one table: the
// statistics, the largest spectral peak's frequency, amplitude and level, the oscilloscope's
// automatic measures of the waveform (Waveform.h) and of a tone's quality (Distortion.h). The
// Статистика, Измерения and Свип pages, --stats, --peaks, --measure and a sweep's tables all read
// it, so a measure added here is offered by each of them.

#include <span>
#include <string>

#include "analysis/Distortion.h"
#include "analysis/Spectrum.h"
#include "analysis/Waveform.h"
#include "store/QuantRange.h"

namespace kvaril {

class TSignals;
struct TSignalStats;

// The statistics first, in the Статистика page's order, then the largest peak's.
enum class TMeasure {
    Count,
    Min,
    TimeOfMin,
    Max,
    TimeOfMax,
    Mean,
    Rms,
    PeakToPeak,
    StdDev,
    PeakFrequency,
    PeakAmplitude,
    PeakLevel,
    Frequency,
    Period,
    Periods,
    Top,
    Base,
    Amplitude,
    High,
    Low,
    RiseTime,
    FallTime,
    Overshoot,
    Undershoot,
    WidthPositive,
    WidthNegative,
    Duty,
    ThdDb,
    ThdPercent,
    Snr,
    Sinad,
    Enob,
    Sfdr,
};

enum class TMeasureKind {
    Statistic,   // one pass over the samples (ComputeStats)
    Peak,        // the spectrum's largest peak (FindLargestPeak)
    Waveform,    // levels, periods, edges and pulses (MeasureWaveform)
    Distortion,  // a tone's quality (MeasureDistortion)
};

// How a measure's number reads: a count, a value of the signal, a time, a frequency, a level.
enum class TMeasureUnit { Count, Value, Time, Hertz, Decibel, Percent, Bits };

struct TMeasureInfo {
    TMeasure Id;
    const char* Key;      // its column in the command line's CSV files
    const char* Caption;  // the window's column (UTF-8)
    TMeasureUnit Unit;
    TMeasureKind Kind;
};

std::span<const TMeasureInfo> AllMeasures();
const TMeasureInfo& MeasureInfo(TMeasure measure);
inline int MeasureCount() { return static_cast<int>(AllMeasures().size()); }
// The statistics are the table's first rows.
inline constexpr int kStatisticCount = 9;

// The measures of `kind`'s keys joined by commas, as a CSV header's tail.
std::string MeasureKeys(TMeasureKind kind);

// A statistic out of one pass over the samples, times as `quantTime` apart; NaN where there
// is nothing to measure (no samples, no extreme). Count is the samples' number.
double StatisticOf(const TSignalStats& stats, TMeasure measure, double quantTime);
// A peak measure of `peak`; NaN for no peak.
double PeakMeasureOf(const TSpectralPeak& peak, TMeasure measure);

// A waveform's or a tone's measure out of its whole set.
TMeasured WaveformMeasureOf(const TWaveform& waveform, TMeasure measure);
TMeasured DistortionMeasureOf(const TDistortion& distortion, TMeasure measure);

// `measure` of signal `index` of `signals` over `range` (clipped to the run), with the reason
// when it cannot be made; the spectrum's with `window`; times in the model's own time.
TMeasured MeasuredOver(TSpectrumAnalyzer& analyzer, const TSignals& signals, int index,
                       TQuantRange range, TMeasure measure,
                       TSpectrumWindow window = TSpectrumWindow::Hann);

// The same as a number: NaN where there is nothing to measure (no such signal, no samples, NaN
// or infinity in a spectrum's range, no peak, a measure that gives its reason).
double MeasureOver(TSpectrumAnalyzer& analyzer, const TSignals& signals, int index,
                   TQuantRange range, TMeasure measure,
                   TSpectrumWindow window = TSpectrumWindow::Hann);

}  // namespace kvaril
