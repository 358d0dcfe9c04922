#include "analysis/SignalStats.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "store/uSignalsData.h"

namespace kvaril {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TSignalStats StatsOf(const std::vector<double>& x) {
    return ComputeStats(x.data(), {0, static_cast<int>(x.size()) - 1});
}

TEST(ComputeStats, SineOverWholePeriodsHasMeanZeroAndRmsAOverRootTwo) {
    const double a = 3;
    std::vector<double> x(1000);  // ten periods of 100 quanta
    for (size_t q = 0; q < x.size(); ++q) x[q] = a * std::sin(2 * std::numbers::pi * q / 100.0);
    const TSignalStats s = StatsOf(x);
    EXPECT_EQ(s.Count, 1000);
    EXPECT_NEAR(s.Mean, 0, 1e-14);
    EXPECT_NEAR(s.Rms, a / std::numbers::sqrt2, 1e-13);
    EXPECT_NEAR(s.StdDev, a / std::numbers::sqrt2, 1e-13);
    EXPECT_NEAR(s.Max, a, 1e-14);
    EXPECT_NEAR(s.Min, -a, 1e-14);
    EXPECT_EQ(s.MaxQuant, 25) << "the first crest, not one of the nine later ones";
    EXPECT_EQ(s.MinQuant, 75);
    EXPECT_DOUBLE_EQ(s.PeakToPeak, s.Max - s.Min);
}

TEST(ComputeStats, RampMatchesItsSums) {
    std::vector<double> x(2001);
    for (size_t q = 0; q < x.size(); ++q) x[q] = static_cast<double>(q);
    const TQuantRange range{500, 1500};  // values 500 .. 1500
    const TSignalStats s = ComputeStats(x.data(), range);
    const double n = 1001;
    EXPECT_EQ(s.Count, 1001);
    EXPECT_DOUBLE_EQ(s.Mean, 1000);
    EXPECT_EQ(s.Min, 500);
    EXPECT_EQ(s.MinQuant, 500);
    EXPECT_EQ(s.Max, 1500);
    EXPECT_EQ(s.MaxQuant, 1500);
    EXPECT_EQ(s.PeakToPeak, 1000);
    EXPECT_NEAR(s.StdDev, std::sqrt((n * n - 1) / 12), 1e-9);
    // Σ q² for q = 500 .. 1500 = S(1500) - S(499), S(m) = m(m+1)(2m+1)/6.
    auto squares = [](double m) { return m * (m + 1) * (2 * m + 1) / 6; };
    EXPECT_NEAR(s.Rms, std::sqrt((squares(1500) - squares(499)) / n), 1e-9);
}

TEST(ComputeStats, SingleSample) {
    const TSignalStats s = StatsOf({-2.5});
    EXPECT_EQ(s.Count, 1);
    EXPECT_EQ(s.Min, -2.5);
    EXPECT_EQ(s.Max, -2.5);
    EXPECT_EQ(s.MinQuant, 0);
    EXPECT_EQ(s.MaxQuant, 0);
    EXPECT_EQ(s.Mean, -2.5);
    EXPECT_EQ(s.Rms, 2.5);
    EXPECT_EQ(s.PeakToPeak, 0);
    EXPECT_EQ(s.StdDev, 0);
}

class ConstantStatsTest : public testing::TestWithParam<double> {};

TEST_P(ConstantStatsTest, ConstantGivesItsValueExactlyAndNoSpread) {
    const double c = GetParam();
    const TSignalStats s = StatsOf(std::vector<double>(10000, c));
    EXPECT_EQ(s.Mean, c) << "not the rounding of 10000 added terms";
    EXPECT_EQ(s.Min, c);
    EXPECT_EQ(s.Max, c);
    EXPECT_EQ(s.MinQuant, 0);
    EXPECT_EQ(s.MaxQuant, 0);
    EXPECT_EQ(s.Rms, std::fabs(c));
    EXPECT_EQ(s.PeakToPeak, 0);
    EXPECT_EQ(s.StdDev, 0);
}

INSTANTIATE_TEST_SUITE_P(Values, ConstantStatsTest, testing::Values(0.0, 0.1, -7.3, 1e300));

TEST(ComputeStats, SmallRippleOnALargeOffsetKeepsItsSpread) {
    // The mean square minus the squared mean would lose every digit here.
    std::vector<double> x(1000);
    for (size_t q = 0; q < x.size(); ++q) x[q] = 1e9 + (q % 2 ? 1e-3 : -1e-3);
    const TSignalStats s = StatsOf(x);
    const double ripple = (x[1] - x[0]) / 2;  // what 1e9 ± 1e-3 became as doubles
    EXPECT_NEAR(ripple, 1e-3, 1e-7);
    EXPECT_NEAR(s.StdDev, ripple, 1e-15);
    EXPECT_NEAR(s.Mean, 1e9, 1e-6);
}

TEST(ComputeStats, NaNMakesEveryValueNaN) {
    const TSignalStats s = StatsOf({1, 2, kNaN, -4});
    EXPECT_EQ(s.Count, 4);
    EXPECT_EQ(s.NanCount, 1);
    for (double v : {s.Min, s.Max, s.Mean, s.Rms, s.PeakToPeak, s.StdDev})
        EXPECT_TRUE(std::isnan(v));
    EXPECT_EQ(s.MinQuant, -1);
    EXPECT_EQ(s.MaxQuant, -1);
}

TEST(ComputeStats, InfinityIsAnExtreme) {
    const TSignalStats s = StatsOf({1, kInf, -2});
    EXPECT_EQ(s.Max, kInf);
    EXPECT_EQ(s.MaxQuant, 1);
    EXPECT_EQ(s.Min, -2);
    EXPECT_EQ(s.Mean, kInf);
}

TEST(ComputeStats, EmptyRangeHasNoSamples) {
    const TSignalStats s = ComputeStats(nullptr, {5, 4});
    EXPECT_EQ(s.Count, 0);
    EXPECT_TRUE(std::isnan(s.Mean));
    EXPECT_EQ(s.MinQuant, -1);
}

// The mean and population deviation in long double, two passes: the reference the single pass
// must meet.
struct TReference {
    long double Mean = 0, StdDev = 0;
};
TReference ReferenceOf(const std::vector<double>& x) {
    long double sum = 0;
    for (double v : x) sum += v;
    const long double mean = sum / x.size();
    long double squares = 0;
    for (double v : x) squares += (v - mean) * (v - mean);
    return {mean, std::sqrt(squares / x.size())};
}

// Long ranges cross many of the pass's blocks and pieces; each case is a way a single pass
// over raw sums goes wrong.
TEST(ComputeStats, LongAdversarialRangesMatchATwoPassReference) {
    std::mt19937_64 random(26);
    std::normal_distribution<double> noise(0, 1e-3);
    const int n = 3'000'001;  // not a multiple of any block
    std::vector<double> offset(n), drift(n), mixed(n);
    for (int q = 0; q < n; ++q) {
        offset[q] = 1e9 + noise(random);         // all spread in the last digits
        drift[q] = 1e6 * q / n + noise(random);  // block means far from the overall mean
        mixed[q] = (q % 1000 == 0 ? 1e12 : 0) + noise(random);  // rare huge spikes
    }
    for (const auto* x : {&offset, &drift, &mixed}) {
        const TSignalStats s = StatsOf(*x);
        const TReference r = ReferenceOf(*x);
        EXPECT_EQ(s.Count, n);
        EXPECT_NEAR(s.StdDev, static_cast<double>(r.StdDev), 1e-9 * static_cast<double>(r.StdDev));
        EXPECT_NEAR(s.Mean, static_cast<double>(r.Mean),
                    1e-12 * std::fabs(static_cast<double>(r.Mean)));
    }
    const TSignalStats ripple = StatsOf(offset);
    EXPECT_NEAR(ripple.StdDev, 1e-3, 1e-5) << "the noise's own deviation, not rounding";
}

TEST(ComputeStats, ExtremesAreFoundWhereTheyFirstOccurAcrossALongRange) {
    std::vector<double> x(1'000'003, 0.5);
    x[777'777] = -3;  // a minimum deep inside, then again later in another lane
    x[900'002] = -3;
    x[5] = 8;
    x[999'999] = 8;
    x[1'000'002] = -0.0;
    const TSignalStats s = StatsOf(x);
    EXPECT_EQ(s.MinQuant, 777'777);
    EXPECT_EQ(s.MaxQuant, 5);
    // Zero and minus zero compare equal: the first of them is the extreme.
    std::vector<double> zeros = {1, 0.0, -0.0, 2};
    EXPECT_EQ(StatsOf(zeros).MinQuant, 1);
    EXPECT_EQ(std::signbit(StatsOf(zeros).Min), false);
}

TEST(ComputeStats, NonFiniteSamplesFarIntoALongRange) {
    std::vector<double> x(2'500'000, 1.0);
    x[2'400'001] = kNaN;
    const TSignalStats withNaN = StatsOf(x);
    EXPECT_EQ(withNaN.NanCount, 1);
    EXPECT_TRUE(std::isnan(withNaN.StdDev));
    EXPECT_EQ(withNaN.MinQuant, -1);

    x[2'400'001] = -kInf;
    const TSignalStats withInf = StatsOf(x);
    EXPECT_EQ(withInf.NanCount, 0);
    EXPECT_EQ(withInf.Min, -kInf);
    EXPECT_EQ(withInf.MinQuant, 2'400'001);
    EXPECT_EQ(withInf.Max, 1);
    EXPECT_EQ(withInf.Mean, -kInf);
    EXPECT_EQ(withInf.Rms, kInf);
    EXPECT_TRUE(std::isnan(withInf.StdDev)) << "no spread around an infinite mean";
}

TEST(ComputeStats, LongRangeReportsProgressAndStopsWhenAsked) {
    const std::vector<double> x(5'000'000, 2.0);
    std::vector<int64_t> reports;
    TWorkHooks hooks;
    hooks.Progress = [&](int64_t done, int64_t total) {
        EXPECT_EQ(total, 5'000'000);
        reports.push_back(done);
    };
    EXPECT_EQ(ComputeStats(x.data(), {0, 4'999'999}, hooks).Mean, 2.0);
    ASSERT_GE(reports.size(), 3u);
    for (size_t i = 1; i < reports.size(); ++i) EXPECT_GT(reports[i], reports[i - 1]);
    EXPECT_LT(reports.back(), 5'000'000);

    hooks.Cancelled = [&] { return reports.size() >= 5; };
    EXPECT_THROW(ComputeStats(x.data(), {0, 4'999'999}, hooks), EWorkCancelled);
    EXPECT_EQ(reports.size(), 5u) << "stopped at the first look after the request";
}

TEST(SignalStats, ReadsTheStoreRowWithinItsBounds) {
    TSignalsData data;
    data.SetSize(2, 10);
    for (int q = 0; q < 10; ++q) {
        data.SetData(0, q, 100);
        data.SetData(1, q, q);
    }
    const TSignalStats s = SignalStats(data, 1, {7, 40});
    EXPECT_EQ(s.Count, 3);
    EXPECT_EQ(s.Min, 7);
    EXPECT_EQ(s.Max, 9);
    EXPECT_EQ(s.MaxQuant, 9);
    EXPECT_EQ(SignalStats(data, 1, {20, 40}).Count, 0);
}

}  // namespace
}  // namespace kvaril
