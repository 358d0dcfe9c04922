#include "analysis/SignalStats.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "store/uSignalsData.h"

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

// Independent lanes, so that each addition waits only for its own lane's last one.
constexpr int kLanes = 4;
// Deviations are summed from the first sample of each block of this many, and the blocks'
// spreads are then merged (Chan's update): the shifted sums cancel no worse than the spread of
// one block allows, and the single pass reads every sample once.
constexpr int kBlock = 256;
// Progress is told and a stop looked for between pieces of this many samples (8 MB).
constexpr int kPiece = kBlock * 4096;

// Everything ComputeStats needs, gathered in one pass.
class TPass {
  public:
    // Every lane starts from the range's first sample, at `first`.
    TPass(const double* x, int first) : origin_(x[first]) {
        std::fill(low_, low_ + kLanes, x[first]);
        std::fill(high_, high_ + kLanes, x[first]);
        std::fill(lowAt_, lowAt_ + kLanes, first);
        std::fill(highAt_, highAt_ + kLanes, first);
    }

    // Samples x[first .. first + m - 1], m <= kBlock.
    void TakeBlock(const double* x, int first, int m) {
        const double shift = x[first];
        double deviations[kLanes] = {}, squares[kLanes] = {};
        auto take = [&](int lane, int i) {
            const double v = x[i];
            // Strictly less: each lane keeps the first of equal extremes.
            if (v < low_[lane]) {
                low_[lane] = v;
                lowAt_[lane] = i;
            }
            if (v > high_[lane]) {
                high_[lane] = v;
                highAt_[lane] = i;
            }
            sum_[lane] += v;
            squares_[lane] += v * v;
            nans_[lane] += v != v;
            const double d = v - shift;
            deviations[lane] += d;
            squares[lane] += d * d;
        };
        const int end = first + m;
        int i = first;
        for (; i + kLanes <= end; i += kLanes)
            for (int lane = 0; lane < kLanes; ++lane) take(lane, i + lane);
        for (; i < end; ++i) take(0, i);
        double s1 = 0, s2 = 0;
        for (int lane = 0; lane < kLanes; ++lane) {
            s1 += deviations[lane];
            s2 += squares[lane];
        }
        // Means are kept from the range's first sample: a mean near a large offset would round
        // away the spread.
        const double blockMean = (shift - origin_) + s1 / m;
        const double blockM2 = s2 - s1 * s1 / m;
        const double total = static_cast<double>(count_) + m;
        const double delta = blockMean - mean_;
        mean_ += delta * m / total;
        m2_ += blockM2 + delta * delta * (static_cast<double>(count_) * m / total);
        count_ += m;
    }

    int NanCount() const { return nans_[0] + nans_[1] + nans_[2] + nans_[3]; }
    double Sum() const { return (sum_[0] + sum_[1]) + (sum_[2] + sum_[3]); }
    double SumOfSquares() const {
        return (squares_[0] + squares_[1]) + (squares_[2] + squares_[3]);
    }
    double Variance() const { return m2_ / static_cast<double>(count_); }
    // Where the smallest (largest) value first occurs; ties across lanes go to the earlier.
    int LowestAt() const {
        return FirstOf(low_, lowAt_, [](double a, double b) { return a < b; });
    }
    int HighestAt() const {
        return FirstOf(high_, highAt_, [](double a, double b) { return a > b; });
    }

  private:
    template <class Better>
    static int FirstOf(const double* value, const int* at, Better better) {
        int best = 0;
        for (int lane = 1; lane < kLanes; ++lane)
            if (better(value[lane], value[best]) ||
                (value[lane] == value[best] && at[lane] < at[best]))
                best = lane;
        return at[best];
    }

    double low_[kLanes] = {}, high_[kLanes] = {};
    int lowAt_[kLanes] = {}, highAt_[kLanes] = {};
    double sum_[kLanes] = {}, squares_[kLanes] = {};
    int nans_[kLanes] = {};
    double origin_;
    int64_t count_ = 0;
    double mean_ = 0, m2_ = 0;  // of the samples less origin_
};

}  // namespace

TSignalStats ComputeStats(const double* samples, TQuantRange range, const TWorkHooks& hooks) {
    const int n = range.Count();
    if (n == 0) return NaNStats(0, 0);
    TPass pass(samples, range.First);
    for (int first = range.First; first <= range.Last; first += kBlock) {
        const int offset = first - range.First;
        if (offset % kPiece == 0 && offset > 0) hooks.Step(offset, n);
        pass.TakeBlock(samples, first, std::min(kBlock, range.Last - first + 1));
    }
    if (pass.NanCount() > 0) return NaNStats(n, pass.NanCount());

    TSignalStats s;
    s.Count = n;
    s.MinQuant = pass.LowestAt();
    s.MaxQuant = pass.HighestAt();
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
    s.Mean = std::clamp(pass.Sum() / n, s.Min, s.Max);
    s.Rms = std::sqrt(pass.SumOfSquares() / n);
    s.StdDev = std::sqrt(std::max(pass.Variance(), 0.0));
    return s;
}

TSignalStats SignalStats(const TSignalsData& data, int32_t signal, TQuantRange range,
                         const TWorkHooks& hooks) {
    range.First = std::max(range.First, 0);
    range.Last = std::min(range.Last, data.SampleCount() - 1);
    if (range.Count() == 0) return ComputeStats(nullptr, range);
    return ComputeStats(data.Row(signal), range, hooks);
}

}  // namespace kvaril
