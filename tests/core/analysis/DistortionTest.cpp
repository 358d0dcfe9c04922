// A tone's quality against signals whose distortion and noise are known in closed form.

#include "analysis/Distortion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

namespace kvaril {
namespace {

constexpr double kQuant = 1e-5;
constexpr int kN = 1 << 16;
constexpr double kTone = 1234.567;  // between bins: the window's lobe must catch all of it

double Phase(int i) { return 2 * std::numbers::pi * kTone * i * kQuant; }

TDistortion Measure(const std::vector<double>& v) {
    TSpectrumAnalyzer analyzer;
    return MeasureDistortion(analyzer, v.data(), static_cast<int>(v.size()), kQuant);
}

TEST(Distortion, AToneInWhiteNoiseOfKnownPower) {
    std::mt19937_64 random(42);
    std::normal_distribution<double> noise(0, 0.01);
    std::vector<double> v(kN);
    for (int i = 0; i < kN; ++i) v[size_t(i)] = std::sin(Phase(i)) + noise(random);
    const TDistortion d = Measure(v);
    EXPECT_NEAR(d.Fundamental, kTone, 0.5);
    const double snr = 10 * std::log10(0.5 / 1e-4);
    ASSERT_TRUE(d.Snr.Ok()) << d.Snr.Reason;
    EXPECT_NEAR(d.Snr.Value, snr, 0.2);
    EXPECT_NEAR(d.Sinad.Value, snr, 0.2);  // no harmonics to speak of
    EXPECT_NEAR(d.Enob.Value, (snr - 1.76) / 6.02, 0.05);
}

TEST(Distortion, AQuantisedSineHasAsManyEffectiveBitsAsItsQuantiser) {
    for (int bits : {6, 8, 12}) {
        const double scale = std::ldexp(1.0, bits - 1);
        std::vector<double> v(kN);
        for (int i = 0; i < kN; ++i)
            v[size_t(i)] = std::round(0.999 * scale * std::sin(Phase(i))) / scale;
        const TDistortion d = Measure(v);
        ASSERT_TRUE(d.Enob.Ok()) << d.Enob.Reason;
        EXPECT_NEAR(d.Enob.Value, bits, 0.1) << bits;
    }
}

TEST(Distortion, AClippedSinesThdFollowsItsFourierSeries) {
    static constexpr double clip = 0.7;
    const auto clipped = [](double x) { return std::clamp(std::sin(x), -clip, clip); };
    // Its Fourier sine coefficients over one period, summed finely.
    constexpr int kSteps = 1 << 20;
    std::vector<double> b(11, 0.0);
    for (int j = 0; j < kSteps; ++j) {
        const double x = 2 * std::numbers::pi * (j + 0.5) / kSteps;
        for (int k = 1; k <= 10; ++k) b[size_t(k)] += 2.0 / kSteps * clipped(x) * std::sin(k * x);
    }
    double harmonics = 0;
    for (int k = 2; k <= 10; ++k) harmonics += b[size_t(k)] * b[size_t(k)];
    const double thd = std::sqrt(harmonics) / b[1];

    std::vector<double> v(kN);
    for (int i = 0; i < kN; ++i) v[size_t(i)] = clipped(Phase(i));
    const TDistortion d = Measure(v);
    ASSERT_TRUE(d.ThdPercent.Ok()) << d.ThdPercent.Reason;
    EXPECT_NEAR(d.ThdPercent.Value, 100 * thd, 100 * thd * 0.01);
    EXPECT_NEAR(d.ThdDb.Value, 20 * std::log10(thd), 0.1);
    // The third harmonic is the largest spur.
    EXPECT_NEAR(d.Sfdr.Value, 20 * std::log10(b[1] / std::fabs(b[3])), 1);  // peak bins: scalloping
}

TEST(Distortion, WhatCannotBeMeasuredSaysWhy) {
    EXPECT_EQ(Measure(std::vector<double>(kN, 0.0)).Snr.Reason, "нет тона в интервале");
    EXPECT_EQ(Measure(std::vector<double>(5, 1.0)).ThdDb.Reason,
              "слишком мало отсчетов для спектра");
    std::vector<double> broken(1000, 1.0);
    broken[7] = INFINITY;
    EXPECT_EQ(Measure(broken).Enob.Reason, "в интервале есть NaN или бесконечность");
}

}  // namespace
}  // namespace kvaril
