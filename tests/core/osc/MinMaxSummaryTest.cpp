// The min/max summary of long runs against the column-by-column rule it stands in for: the same
// extremes for every stretch, the same strokes for every column, NaN and infinities included.

#include "model/MinMaxSummary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "document/uSignal.h"
#include "model/uSignalsData.h"
#include "osc/TraceGeometry.h"
#include "osc/uBeam.h"

namespace kvaril {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool Same(const TMinMax& a, const TMinMax& b) {
    if (a.Any() != b.Any()) return false;
    return !a.Any() || (a.Lo == b.Lo && a.Hi == b.Hi);
}

// Random samples with the hard cases: spikes on the first and last quantum of blocks of every
// level, stretches of NaN longer than a block, infinities of both signs.
std::vector<double> Adversarial(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0, 1);
    std::vector<double> s(n);
    for (double& v : s) v = noise(rng);
    for (size_t block : {64u, 512u, 4096u, 32768u})
        for (size_t b = block; b < n; b += block * 3) {
            s[b - 1] = 50 + static_cast<double>(b % 7);  // the last of a block
            s[b] = -50 - static_cast<double>(b % 5);     // the first of the next
        }
    std::uniform_int_distribution<size_t> at(0, n - 1);
    for (int k = 0; k < 40; ++k) s[at(rng)] = kNaN;
    for (int k = 0; k < 6; ++k) s[at(rng)] = k % 2 ? kInf : -kInf;
    // A NaN stretch covering whole blocks of 64 and 512.
    const size_t from = n / 3 - 700;
    for (size_t k = from; k < from + 1500; ++k) s[k] = kNaN;
    return s;
}

TEST(MinMaxSummary, EveryStretchHasTheExtremesOfItsSamples) {
    const std::vector<double> s = Adversarial(300007, 7);
    TMinMaxSummary summary;
    summary.Build(s.data(), static_cast<int32_t>(s.size()));
    ASSERT_TRUE(summary.Built());
    EXPECT_LE(summary.Bytes() * 16, s.size() * sizeof(double)) << "at most 1/16 of the samples";
    std::mt19937 rng(11);
    std::uniform_int_distribution<int32_t> at(0, static_cast<int32_t>(s.size()) - 1);
    std::uniform_int_distribution<int32_t> width(0, 20000);
    for (int k = 0; k < 20000; ++k) {
        int32_t a = at(rng), b = k % 3 ? std::min<int32_t>(a + width(rng), s.size() - 1) : at(rng);
        if (a > b) std::swap(a, b);
        ASSERT_TRUE(Same(summary.Range(s.data(), a, b), ScanMinMax(s.data(), a, b)))
            << a << ".." << b;
    }
    // Stretches that begin and end on block edges of every level, and the whole row.
    for (int32_t edge : {0, 63, 64, 511, 512, 4095, 4096, 32767, 32768, 262143, 262144})
        for (int32_t end : {edge + 1, edge + 63, edge + 64, edge + 4096, edge + 32769})
            if (end < static_cast<int32_t>(s.size())) {
                ASSERT_TRUE(
                    Same(summary.Range(s.data(), edge, end), ScanMinMax(s.data(), edge, end)))
                    << edge << ".." << end;
            }
    const int32_t last = static_cast<int32_t>(s.size()) - 1;
    EXPECT_TRUE(Same(summary.Range(s.data(), 0, last), ScanMinMax(s.data(), 0, last)));
}

TEST(MinMaxSummary, NothingButNaNHasNoExtremes) {
    std::vector<double> s(100000, kNaN);
    s[99999] = -kInf;
    TMinMaxSummary summary;
    summary.Build(s.data(), static_cast<int32_t>(s.size()));
    EXPECT_FALSE(summary.Range(s.data(), 0, 99998).Any());
    const TMinMax m = summary.Range(s.data(), 0, 99999);
    ASSERT_TRUE(m.Any());
    EXPECT_EQ(m.Lo, -kInf);
    EXPECT_EQ(m.Hi, -kInf);
}

// One signal with the given samples and a beam for it.
struct Fixture {
    explicit Fixture(const std::vector<double>& samples) {
        auto s = std::make_unique<TSignal>(signals);
        s->SetName("S");
        signals.Insert(std::move(s), -1);
        osc.SyncWithSignals(signals);
        data.SetSize(1, static_cast<int32_t>(samples.size()));
        for (size_t q = 0; q < samples.size(); ++q)
            data.SetData(0, static_cast<int32_t>(q), samples[q]);
        data.CalcMaxima();
    }
    TBeam& Beam() { return osc.View(0).Beam(0); }
    TSignals signals;
    TOsc osc;
    TSignalsData data;
};

TEST(MinMaxSummary, CompressedStrokesArePixelIdenticalToTheColumnRule) {
    const std::vector<double> samples = Adversarial(200000, 3);
    Fixture f(samples);
    ASSERT_NE(f.data.Summary(0), nullptr) << "a long run has its summary";
    double brute = 0;
    for (double v : samples)
        if (std::fabs(v) > brute) brute = std::fabs(v);
    EXPECT_EQ(f.data.GetMax(0), brute) << "the maxima from the same pass";
    struct TCase {
        double Gain, Offset;
        double T0, Dt;
        int LastX, Half;
    };
    const double q = 0.001;
    const TCase cases[] = {
        {0, 0, 0, 200000 * q / 1919, 1919, 200},     // automatic gain: the infinity's max
        {0.02, 0, 0, 200000 * q / 1000, 1000, 300},  // clipped spikes
        {-0.5, 0.3, 12.345, 0.0713, 777, 50},        // a negative gain, a window inside
        {1e-9, -0.2, 3.3, 0.0031, 1500, 400},        // a few quanta per column
        {0.1, 0.0, 199.0, 0.0007, 1000, 100},        // near the end, past it
        {1.0, 0.0, 0.0, 64 * q, 3000, 100},          // a block per column
        {1.0, 0.0, 0.0005, 4096 * q / 3, 140, 100},  // block edges mid-column
    };
    for (const TCase& c : cases) {
        f.Beam().SetGain(c.Gain);
        f.Beam().SetOffset(c.Offset);
        const TBeamGeometry g{q, 200000, c.T0, c.Dt, c.Half, c.Half + 5, c.LastX};
        TBeamFigure fromSummary, fromSamples;
        DrawBeam(f.Beam(), f.data, g, true, fromSummary);
        DrawBeam(f.Beam(), f.data, g, true, fromSamples, f.data.Row(0));  // no summary
        ASSERT_FALSE(fromSamples.Strokes.empty());
        EXPECT_EQ(fromSummary.Strokes, fromSamples.Strokes)
            << "gain " << c.Gain << ", dt " << c.Dt << ", t0 " << c.T0;
    }
}

TEST(MinMaxSummary, ShortRunsHaveNone) {
    Fixture f(std::vector<double>(10000, 1.0));
    EXPECT_EQ(f.data.Summary(0), nullptr) << "the classic drawing stays as it was";
    EXPECT_EQ(f.data.SummaryBytes(), 0u);
}

TEST(MinMaxSummary, ChangedSamplesDropTheSummary) {
    Fixture f(std::vector<double>(70000, 1.0));
    ASSERT_NE(f.data.Summary(0), nullptr);
    f.data.SetData(0, 5, 2.0);
    EXPECT_EQ(f.data.Summary(0), nullptr);
}

}  // namespace
}  // namespace kvaril
