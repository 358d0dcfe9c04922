#pragma once
// Numbers over a range of quanta of one signal: extremes with where they first occur, mean,
// RMS, peak-to-peak, population standard deviation, all in one pass over the samples. Pure
// functions over the rows of the result store, so a view can call them on every drag.

#include <cstdint>

#include "base/WorkHooks.h"
#include "store/QuantRange.h"

namespace kvaril {

class TSignalsData;

struct TSignalStats {
    int Count = 0;     // samples in the range
    int NanCount = 0;  // of them NaN: every value below is then NaN as well
    double Min = 0, Max = 0;
    int MinQuant = -1, MaxQuant = -1;  // the first quantum of each extreme; -1 when none
    double Mean = 0, Rms = 0, PeakToPeak = 0, StdDev = 0;
};

// The statistics of samples[range.First .. range.Last]. An empty range gives Count 0 and NaN
// values. Infinite samples take part as IEEE arithmetic has them.
// `hooks` hear of long ranges every few million samples and may stop them (EWorkCancelled).
TSignalStats ComputeStats(const double* samples, TQuantRange range, const TWorkHooks& hooks = {});

// The same over a row of the store; the range is clipped to the row.
TSignalStats SignalStats(const TSignalsData& data, int32_t signal, TQuantRange range,
                         const TWorkHooks& hooks = {});

}  // namespace kvaril
