// Frequency responses estimated from runs of filters whose responses are known in closed form.

#include "analysis/Response.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>

namespace kvaril {
namespace {

using TComplex = std::complex<double>;
constexpr double kQuant = 1e-4;  // 10 kHz

std::vector<double> WhiteNoise(int n, unsigned seed) {
    std::mt19937_64 random(seed);
    std::normal_distribution<double> normal;
    std::vector<double> v(static_cast<size_t>(n));
    for (double& x : v) x = normal(random);
    return v;
}

std::vector<double> Impulse(int n) {
    std::vector<double> v(static_cast<size_t>(n), 0.0);
    v[0] = 1;
    return v;
}

// y[i] = (b0 x[i] + b1 x[i−1] + b2 x[i−2] − a1 y[i−1] − a2 y[i−2]).
struct TBiquad {
    double B0, B1, B2, A1, A2;
    std::vector<double> Filter(const std::vector<double>& x) const {
        std::vector<double> y(x.size());
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        for (size_t i = 0; i < x.size(); ++i) {
            y[i] = B0 * x[i] + B1 * x1 + B2 * x2 - A1 * y1 - A2 * y2;
            x2 = x1, x1 = x[i], y2 = y1, y1 = y[i];
        }
        return y;
    }
    TComplex At(double f) const {
        const TComplex z1 = std::polar(1.0, -2 * std::numbers::pi * f * kQuant);
        return (B0 + B1 * z1 + B2 * z1 * z1) / (1.0 + A1 * z1 + A2 * z1 * z1);
    }
};

// The one-pole low-pass y[i] = (1 − a) x[i] + a y[i−1].
TBiquad OnePole(double a) { return {1 - a, 0, 0, -a, 0}; }

// The audio cookbook's low-pass at f0 with quality q.
TBiquad LowPass(double f0, double q) {
    const double w = 2 * std::numbers::pi * f0 * kQuant, alpha = std::sin(w) / (2 * q);
    const double c = std::cos(w), a0 = 1 + alpha;
    return {(1 - c) / 2 / a0, (1 - c) / a0, (1 - c) / 2 / a0, -2 * c / a0, (1 - alpha) / a0};
}

TResponse Estimate(const std::vector<double>& x, const std::vector<std::vector<double>>& ys,
                   int segment = 0) {
    TSpectrumAnalyzer analyzer;
    std::vector<TResponseSignal> outputs;
    for (size_t i = 0; i < ys.size(); ++i)
        outputs.push_back({"Y" + std::to_string(i), ys[i].data()});
    return EstimateResponse(analyzer, {"X", x.data()}, outputs, static_cast<int>(x.size()), kQuant,
                            segment);
}

double WrapDegrees(double d) { return d - 360 * std::round(d / 360); }

// Magnitude within 0.1 dB and phase within 1° of the closed form wherever γ² > 0.99, up to 0.4
// of the sampling rate; returns how many bins were compared.
int ExpectMatches(const TResponse& r, const TBiquad& filter) {
    int compared = 0;
    const TResponseCurve& c = r.Outputs.at(0);
    for (int k = 1; k < r.BinCount(); ++k) {
        const double f = r.Frequency(k);
        if (f > 0.4 / kQuant || !c.Valid[size_t(k)] || !(c.Coherence[size_t(k)] > 0.99)) continue;
        const TComplex h = filter.At(f);
        EXPECT_NEAR(ToDecibels(c.Magnitude[size_t(k)]), ToDecibels(std::abs(h)), 0.1) << f;
        EXPECT_NEAR(WrapDegrees(c.Phase[size_t(k)] - std::arg(h) * 180 / std::numbers::pi), 0, 1)
            << f;
        ++compared;
    }
    return compared;
}

TEST(ResponseTest, FiltersDrivenByNoiseOrAnImpulseMatchTheirClosedForms) {
    for (const TBiquad& filter : {OnePole(0.9), LowPass(800, 0.707), LowPass(2000, 3)}) {
        const std::vector<double> noise = WhiteNoise(1 << 18, 7);
        const TResponse byNoise = Estimate(noise, {filter.Filter(noise)});
        ASSERT_TRUE(byNoise.Reason.empty()) << byNoise.Reason;
        EXPECT_FALSE(byNoise.Impulse);
        EXPECT_GE(byNoise.Segments, 8);
        EXPECT_GT(ExpectMatches(byNoise, filter), byNoise.BinCount() * 3 / 4);

        const std::vector<double> impulse = Impulse(4096);
        const TResponse byImpulse = Estimate(impulse, {filter.Filter(impulse)});
        EXPECT_TRUE(byImpulse.Impulse);
        EXPECT_EQ(byImpulse.Segments, 1);
        EXPECT_FALSE(byImpulse.CoherenceKnown());
        EXPECT_GT(ExpectMatches(byImpulse, filter), byImpulse.BinCount() * 3 / 4);
    }
}

TEST(ResponseTest, APureDelayHasLinearPhaseAndConstantGroupDelay) {
    constexpr int kDelay = 5;
    auto delayed = [](const std::vector<double>& x) {
        std::vector<double> y(x.size(), 0.0);
        for (size_t i = kDelay; i < x.size(); ++i) y[i] = x[i - kDelay];
        return y;
    };
    const std::vector<double> x = WhiteNoise(1 << 16, 3);
    const TResponse r = Estimate(x, {delayed(x)});
    const TResponseCurve& c = r.Outputs.at(0);
    int compared = 0;
    double delaySum = 0;
    for (int k = 1; k < r.BinCount(); ++k) {
        if (!(c.Coherence[size_t(k)] > 0.99)) continue;
        const double f = r.Frequency(k);
        EXPECT_NEAR(c.Phase[size_t(k)], -360.0 * kDelay * f * kQuant, 1) << f;
        delaySum += c.GroupDelay[size_t(k)];
        ++compared;
    }
    EXPECT_GT(compared, r.BinCount() * 9 / 10);
    // The derivative of a noisy phase scatters bin by bin; its mean is the delay.
    EXPECT_NEAR(delaySum / compared, kDelay * kQuant, 0.01 * kDelay * kQuant);

    // Driven by an impulse the phase is exact, and so is every bin's delay.
    const TResponse exact = Estimate(Impulse(1000), {delayed(Impulse(1000))});
    for (int k = 0; k < exact.BinCount(); ++k) {
        EXPECT_NEAR(exact.Outputs[0].Phase[size_t(k)],
                    -360.0 * kDelay * exact.Frequency(k) * kQuant, 1e-9);
        EXPECT_NEAR(exact.Outputs[0].GroupDelay[size_t(k)], kDelay * kQuant, 1e-12);
    }
}

TEST(ResponseTest, IndependentNoiseInTheOutputLowersCoherenceAsTheoryGives) {
    // y = x + g·v with x and v independent and white of one variance: γ² = 1 / (1 + g²).
    const std::vector<double> x = WhiteNoise(1 << 20, 11), v = WhiteNoise(1 << 20, 12);
    for (double g : {1.0, 0.5, 0.1}) {
        std::vector<double> y(x.size());
        for (size_t i = 0; i < x.size(); ++i) y[i] = x[i] + g * v[i];
        const TResponse r = Estimate(x, {y}, 1024);
        const TResponseCurve& c = r.Outputs.at(0);
        double sum = 0, gain = 0;
        for (int k = 1; k < r.BinCount() - 1; ++k) {
            sum += c.Coherence[size_t(k)];
            gain += c.Magnitude[size_t(k)];
        }
        const int bins = r.BinCount() - 2;
        EXPECT_NEAR(sum / bins, 1 / (1 + g * g), 0.01) << g;
        // H1 is unbiased by noise in the output: the gain stays 1.
        EXPECT_NEAR(gain / bins, 1, 0.01) << g;
    }
}

TEST(ResponseTest, OnePolesHalfPowerFrequencyAndAttenuationFollowItsFormula) {
    constexpr double a = 0.95;
    const double formula =
        std::acos((-1 + 4 * a - a * a) / (2 * a)) / (2 * std::numbers::pi * kQuant);
    const std::vector<double> noise = WhiteNoise(1000000, 5);
    const TResponse r = Estimate(noise, {OnePole(a).Filter(noise)});
    EXPECT_EQ(r.Segment, 131072);  // the largest power of two giving 8 segments of a million
    const TResponseMarks marks = ResponseMarks(r, 0);
    ASSERT_TRUE(marks.Any);
    EXPECT_NEAR(marks.PassbandDb, 0, 0.05);
    ASSERT_EQ(marks.HalfPowerFrequencies.size(), 1u);
    EXPECT_NEAR(marks.HalfPowerFrequencies[0], formula, formula * 0.005);

    const double f = 2000;
    const std::optional<double> attenuation = AttenuationAt(r, 0, f);
    ASSERT_TRUE(attenuation);
    EXPECT_NEAR(*attenuation, ToDecibels(std::abs(OnePole(a).At(f))), 0.1);
    EXPECT_FALSE(AttenuationAt(r, 0, 1e6));  // beyond the last bin
}

TEST(ResponseTest, NoEstimateWithoutAnInputOrWithNonFiniteSamples) {
    const std::vector<double> zero(1000, 0.0), noise = WhiteNoise(1000, 1);
    const TResponse silent = Estimate(zero, {noise});
    EXPECT_TRUE(silent.Empty());
    EXPECT_NE(silent.Reason.find("Вход X равен нулю"), std::string::npos) << silent.Reason;

    std::vector<double> broken = noise;
    broken[500] = std::nan("");
    const TResponse withNan = Estimate(noise, {noise, broken});
    EXPECT_TRUE(withNan.Empty());
    EXPECT_NE(withNan.Reason.find("Y1"), std::string::npos) << withNan.Reason;

    const TResponse tooLong = Estimate(noise, {noise}, 2048);
    EXPECT_TRUE(tooLong.Empty());
    EXPECT_NE(tooLong.Reason.find("2048"), std::string::npos) << tooLong.Reason;

    EXPECT_TRUE(Estimate(std::vector<double>{1.0}, {std::vector<double>{1.0}}).Empty());
}

TEST(ResponseTest, SegmentRuleAndImpulseRule) {
    EXPECT_EQ(DefaultResponseSegment(100), 16);  // 32 would give only 5 segments
    EXPECT_GE(ResponseSegments(100, 16), 8);
    EXPECT_EQ(DefaultResponseSegment(40), 32);  // too short for 8: the longest that fits
    EXPECT_EQ(DefaultResponseSegment(2), 2);
    EXPECT_EQ(ResponseSegments(100, 101), 0);
    EXPECT_EQ(ResponseSegments(12, 5), 3);  // at 0, 3 and 6: one at 9 would end past 12

    std::vector<double> v(50, 0.0);
    v[20] = 1, v[23] = -0.5;
    EXPECT_TRUE(IsImpulse(v.data(), 50));  // within 4 consecutive quanta
    v[24] = 0.1;
    EXPECT_FALSE(IsImpulse(v.data(), 50));
    std::vector<double> step(50, 1.0);
    EXPECT_FALSE(IsImpulse(step.data(), 50));
}

}  // namespace
}  // namespace kvaril
