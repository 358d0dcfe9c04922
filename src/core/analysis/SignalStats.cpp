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

}  // namespace

TQuantRange QuantRangeOf(double quantTime, int sampleCount, double t0, double t1) {
    TQuantRange range;
    if (!(quantTime > 0) || !(t1 >= t0) || sampleCount <= 0) return range;
    // In quanta, in extended precision so that ends a rounding away from a quantum stay on it.
    const long double a = static_cast<long double>(t0) / quantTime - 0.5L;
    const long double b = static_cast<long double>(t1) / quantTime + 0.5L;
    const long double last = sampleCount - 1;
    // The smallest q above a and the largest below b, clipped to the row.
    const long double first = std::clamp<long double>(std::floor(a) + 1, 0, last + 1);
    const long double end = std::clamp<long double>(std::ceil(b) - 1, -1, last);
    if (end < first) return range;
    range.First = static_cast<int>(first);
    range.Last = static_cast<int>(end);
    return range;
}

TSignalStats ComputeStats(const double* samples, TQuantRange range) {
    const int n = range.Count();
    if (n == 0) return NaNStats(0, 0);
    const double* x = samples + range.First;

    int nanCount = 0;
    int minAt = 0, maxAt = 0;
    double sum = 0, sumSquares = 0;
    for (int i = 0; i < n; ++i) {
        const double v = x[i];
        if (std::isnan(v)) {
            ++nanCount;
            continue;
        }
        if (v < x[minAt]) minAt = i;
        if (v > x[maxAt]) maxAt = i;
        sum += v;
        sumSquares += v * v;
    }
    if (nanCount > 0) return NaNStats(n, nanCount);

    TSignalStats s;
    s.Count = n;
    s.Min = x[minAt];
    s.Max = x[maxAt];
    s.MinQuant = range.First + minAt;
    s.MaxQuant = range.First + maxAt;
    s.PeakToPeak = s.Max - s.Min;
    if (s.Min == s.Max) {
        // A constant: exact numbers, not the rounding of a sum of n equal terms.
        s.Mean = s.Min;
        s.Rms = std::fabs(s.Min);
        s.StdDev = 0;
        return s;
    }
    s.Mean = std::clamp(sum / n, s.Min, s.Max);
    s.Rms = std::sqrt(sumSquares / n);
    // Deviations from the mean in a second pass: the difference of the mean square and the
    // squared mean cancels badly for a small ripple on a large offset.
    double deviations = 0, drift = 0;
    for (int i = 0; i < n; ++i) {
        const double d = x[i] - s.Mean;
        deviations += d * d;
        drift += d;
    }
    const double variance = (deviations - drift * drift / n) / n;
    s.StdDev = std::sqrt(std::max(variance, 0.0));
    return s;
}

TSignalStats SignalStats(const TSignalsData& data, int32_t signal, TQuantRange range) {
    range.First = std::max(range.First, 0);
    range.Last = std::min(range.Last, data.SampleCount() - 1);
    if (range.Count() == 0) return ComputeStats(nullptr, range);
    return ComputeStats(data.Row(signal), range);
}

}  // namespace kvaril
