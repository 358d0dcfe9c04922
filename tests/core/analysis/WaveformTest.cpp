// The automatic measures against waveforms whose numbers are known in closed form.

#include "analysis/Waveform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

namespace kvaril {
namespace {

constexpr double kQuant = 1e-5;  // 100 kHz

std::vector<double> Sampled(int n, double t0, const std::function<double(double)>& f) {
    std::vector<double> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) v[size_t(i)] = f(t0 + i * kQuant);
    return v;
}

TWaveform Measure(const std::vector<double>& v, double t0 = 0) {
    return MeasureWaveform(v.data(), static_cast<int>(v.size()), t0, kQuant);
}

#define EXPECT_MEASURED(m, value, tolerance)      \
    do {                                          \
        ASSERT_TRUE((m).Ok()) << (m).Reason;      \
        EXPECT_NEAR((m).Value, value, tolerance); \
    } while (0)

// 10 ms periods: 1 ms rising from 0 to 2, 4 ms at 2, 2 ms falling, 3 ms at 0.
double Trapezoid(double t) {
    const double p = std::fmod(t, 0.01);
    if (p < 0.001) return 2 * p / 0.001;
    if (p < 0.005) return 2;
    if (p < 0.007) return 2 - 2 * (p - 0.005) / 0.002;
    return 0;
}

TEST(Waveform, ATrapezoidsLevelsEdgesAndPulses) {
    const TWaveform w = Measure(Sampled(3300, 0.003, Trapezoid), 0.003);  // from mid-plateau
    // The mode's bin also holds a ramp's sample or two next to the plateau.
    EXPECT_MEASURED(w.Top, 2, 1e-4);
    EXPECT_MEASURED(w.Base, 0, 1e-4);
    EXPECT_MEASURED(w.Amplitude, 2, 2e-4);
    EXPECT_MEASURED(w.Rise, 0.0008, 0.005 * kQuant);  // 10..90 % of a 1 ms ramp
    EXPECT_MEASURED(w.Fall, 0.0016, 0.005 * kQuant);
    EXPECT_MEASURED(w.WidthPositive, 0.0055, 0.005 * kQuant);  // mid-rise to mid-fall
    EXPECT_MEASURED(w.WidthNegative, 0.0045, 0.005 * kQuant);
    EXPECT_MEASURED(w.Duty, 55, 1e-6);
    EXPECT_MEASURED(w.Frequency, 100, 1e-6);
    EXPECT_MEASURED(w.Periods, 2, 0);  // three upward crossings of the mean in 33 ms
    EXPECT_MEASURED(w.Overshoot, 0, 0.01);
    EXPECT_MEASURED(w.Undershoot, 0, 0.01);
    ASSERT_TRUE(w.HasLevels);
    EXPECT_NEAR(w.Level90, 1.8, 1e-4);
}

TEST(Waveform, NoiseOnASineDoesNotAddPeriods) {
    std::vector<double> v(10000);
    unsigned long long state = 7;
    for (int i = 0; i < 10000; ++i) {
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        const double noise = 0.6 * (static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5);
        v[size_t(i)] = std::sin(2 * std::numbers::pi * 50 * i * kQuant) + noise;
    }
    const TWaveform w = Measure(v);  // 100 ms: five periods
    EXPECT_MEASURED(w.Frequency, 50, 1);
}

TEST(Waveform, ASquaresDuty) {
    std::vector<double> square(2000);  // 200 quanta a period, 60 of them high
    for (int i = 0; i < 2000; ++i) square[size_t(i)] = (i + 100) % 200 < 60 ? 3.0 : -1.0;
    const TWaveform w = Measure(square);
    EXPECT_MEASURED(w.Duty, 30, 1e-6);
    EXPECT_MEASURED(w.Period, 0.002, 1e-12);
    EXPECT_MEASURED(w.Top, 3, 0);
    EXPECT_MEASURED(w.Base, -1, 0);
}

TEST(Waveform, ASecondOrderStepResponsesOvershootAndRiseTime) {
    constexpr double zeta = 0.3, wn = 2 * std::numbers::pi * 100;
    const double wd = wn * std::sqrt(1 - zeta * zeta);
    const auto step = [&](double t) {
        if (t < 0) return 0.0;
        return 1 - std::exp(-zeta * wn * t) *
                       (std::cos(wd * t) + zeta / std::sqrt(1 - zeta * zeta) * std::sin(wd * t));
    };
    const TWaveform w = Measure(Sampled(10500, -0.005, step), -0.005);
    const double overshoot = 100 * std::exp(-zeta * std::numbers::pi / std::sqrt(1 - zeta * zeta));
    EXPECT_MEASURED(w.Overshoot, overshoot, overshoot * 0.01);
    // The 10 % and 90 % instants of the closed form, by bisection on its first rise.
    const auto instant = [&](double level) {
        double a = 0, b = std::numbers::pi / wd;
        for (int i = 0; i < 100; ++i) (step((a + b) / 2) < level ? a : b) = (a + b) / 2;
        return a;
    };
    const double rise = instant(0.9) - instant(0.1);
    EXPECT_MEASURED(w.Rise, rise, rise * 0.01);
}

TEST(Waveform, TwoSinesDelayAndPhase) {
    constexpr double f = 50, delay = 0.0013;
    const auto a =
        Sampled(10000, 0, [](double t) { return std::sin(2 * std::numbers::pi * f * t); });
    const auto b = Sampled(10000, 0, [](double t) {
        return 0.5 * std::sin(2 * std::numbers::pi * f * (t - delay)) + 1;
    });
    const TPairMeasure m = MeasurePair(a.data(), b.data(), 10000, 0, kQuant);
    EXPECT_MEASURED(m.Delay, delay, 1e-3 * kQuant);
    EXPECT_MEASURED(m.Phase, delay * f * 360, 0.01);
}

TEST(Waveform, WhatCannotBeMeasuredSaysWhy) {
    const TWaveform flat = Measure(std::vector<double>(100, 1.5));
    EXPECT_EQ(flat.Rise.Reason, "сигнал постоянен в интервале");
    EXPECT_MEASURED(flat.High, 1.5, 0);

    const TWaveform falling = Measure(Sampled(1000, 0, [](double t) { return -t; }));
    EXPECT_EQ(falling.Rise.Reason, "нет фронта в интервале");
    EXPECT_TRUE(falling.Fall.Ok());
    EXPECT_EQ(falling.Period.Reason, "меньше одного периода в интервале");
    EXPECT_FALSE(falling.Duty.Ok());

    std::vector<double> broken(100, 1.0);
    broken[50] = std::nan("");
    EXPECT_EQ(Measure(broken).Top.Reason, "в интервале есть NaN или бесконечность");
    EXPECT_FALSE(Measure({1.0}).Frequency.Ok());
}

}  // namespace
}  // namespace kvaril
