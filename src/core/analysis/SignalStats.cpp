#include "analysis/SignalStats.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/uSignalsData.h"

namespace kvaril {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TSignalStats NaNStats(int count, int nanCount) {
    TSignalStats s;
    s.Count = count;
    s.NanCount = nanCount;
    s.Min = s.Max = s.Mean = s.Rms = s.PeakToPeak = s.StdDev = kNaN;
    return s;
}

// Independent lanes, so that each addition waits only for its own lane's last one and the
// comparisons need no branches; where the extremes first occur is found afterwards.
constexpr int kLanes = 4;

struct TSums {
    double Lowest, Highest, Total, TotalSquares;
    int NanCount;
};

// The extremes, the sums of the samples and of their squares, and the NaNs, in one pass.
TSums SumsOf(const double* x, int n) {
    double low[kLanes], high[kLanes], sum[kLanes] = {}, squares[kLanes] = {};
    int nans[kLanes] = {};
    std::fill(low, low + kLanes, x[0]);
    std::fill(high, high + kLanes, x[0]);
    auto take = [&](int lane, double v) {
        low[lane] = v < low[lane] ? v : low[lane];
        high[lane] = v > high[lane] ? v : high[lane];
        sum[lane] += v;
        squares[lane] += v * v;
        nans[lane] += v != v;
    };
    int i = 0;
    for (; i + kLanes <= n; i += kLanes)
        for (int lane = 0; lane < kLanes; ++lane) take(lane, x[i + lane]);
    for (; i < n; ++i) take(0, x[i]);
    TSums sums{low[0], high[0], 0, 0, 0};
    for (int lane = 0; lane < kLanes; ++lane) {
        sums.Lowest = std::min(sums.Lowest, low[lane]);
        sums.Highest = std::max(sums.Highest, high[lane]);
        sums.Total += sum[lane];
        sums.TotalSquares += squares[lane];
        sums.NanCount += nans[lane];
    }
    return sums;
}

// Deviations from the mean in a second pass: the difference of the mean square and the
// squared mean cancels badly for a small ripple on a large offset. The sum of the deviations
// corrects for the rounding of the mean itself.
double StdDevAround(const double* x, int n, double mean) {
    double deviations[kLanes] = {}, drift[kLanes] = {};
    auto deviate = [&](int lane, double v) {
        const double d = v - mean;
        deviations[lane] += d * d;
        drift[lane] += d;
    };
    int i = 0;
    for (; i + kLanes <= n; i += kLanes)
        for (int lane = 0; lane < kLanes; ++lane) deviate(lane, x[i + lane]);
    for (; i < n; ++i) deviate(0, x[i]);
    double totalDeviations = 0, totalDrift = 0;
    for (int lane = 0; lane < kLanes; ++lane) {
        totalDeviations += deviations[lane];
        totalDrift += drift[lane];
    }
    const double variance = (totalDeviations - totalDrift * totalDrift / n) / n;
    return std::sqrt(std::max(variance, 0.0));
}

}  // namespace

TSignalStats ComputeStats(const double* samples, TQuantRange range) {
    const int n = range.Count();
    if (n == 0) return NaNStats(0, 0);
    const double* x = samples + range.First;
    const TSums sums = SumsOf(x, n);
    if (sums.NanCount > 0) return NaNStats(n, sums.NanCount);

    TSignalStats s;
    s.Count = n;
    s.MinQuant = range.First + static_cast<int>(std::find(x, x + n, sums.Lowest) - x);
    s.MaxQuant = range.First + static_cast<int>(std::find(x, x + n, sums.Highest) - x);
    s.Min = samples[s.MinQuant];
    s.Max = samples[s.MaxQuant];
    s.PeakToPeak = s.Max - s.Min;
    if (s.Min == s.Max) {
        // A constant: exact numbers, not the rounding of a sum of n equal terms.
        s.Mean = s.Min;
        s.Rms = std::fabs(s.Min);
        s.StdDev = 0;
        return s;
    }
    s.Mean = std::clamp(sums.Total / n, s.Min, s.Max);
    s.Rms = std::sqrt(sums.TotalSquares / n);
    s.StdDev = StdDevAround(x, n, s.Mean);
    return s;
}

TSignalStats SignalStats(const TSignalsData& data, int32_t signal, TQuantRange range) {
    range.First = std::max(range.First, 0);
    range.Last = std::min(range.Last, data.SampleCount() - 1);
    if (range.Count() == 0) return ComputeStats(nullptr, range);
    return ComputeStats(data.Row(signal), range);
}

}  // namespace kvaril
