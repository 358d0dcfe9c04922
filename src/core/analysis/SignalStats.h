#pragma once
// Numbers over a range of quanta of one signal: extremes with where they first occur, mean,
// RMS, peak-to-peak, population standard deviation. Pure functions over the rows of the result
// store, so a view can call them on every drag.

#include <cstdint>

namespace kvaril {

class TSignalsData;

// Quanta First..Last inclusive; empty when Last < First.
struct TQuantRange {
    int First = 0;
    int Last = -1;
    int Count() const { return Last >= First ? Last - First + 1 : 0; }
};

// The quanta q of a row of `sampleCount` whose time q × quantTime lies in [t0, t1], each end
// widened by less than half a quantum, so ends that sit on a quantum up to rounding count and
// two ranges that meet halfway between quanta share none. Empty for t1 < t0, NaN ends or a
// quantization time that is not positive.
TQuantRange QuantRangeOf(double quantTime, int sampleCount, double t0, double t1);

struct TSignalStats {
    int Count = 0;     // samples in the range
    int NanCount = 0;  // of them NaN: every value below is then NaN as well
    double Min = 0, Max = 0;
    int MinQuant = -1, MaxQuant = -1;  // the first quantum of each extreme; -1 when none
    double Mean = 0, Rms = 0, PeakToPeak = 0, StdDev = 0;
};

// The statistics of samples[range.First .. range.Last]. An empty range gives Count 0 and NaN
// values. Infinite samples take part as IEEE arithmetic has them.
TSignalStats ComputeStats(const double* samples, TQuantRange range);

// The same over a row of the store; the range is clipped to the row.
TSignalStats SignalStats(const TSignalsData& data, int32_t signal, TQuantRange range);

}  // namespace kvaril
