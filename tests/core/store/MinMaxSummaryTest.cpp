// The min/max summary of long runs against the column-by-column rule it stands in for: the same
// extremes for every stretch, the same strokes for every column, NaN and infinities included.

#include "store/MinMaxSummary.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "document/uBeam.h"
#include "document/uSignal.h"
#include "osc/TraceGeometry.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool Same(const TMinMax& a, const TMinMax& b) {
    if (a.Any() != b.Any()) return false;
    return !a.Any() || (a.Lo == b.Lo && a.Hi == b.Hi);
}

// The smallest and largest non-NaN sample of first..last, one comparison at a time.
TMinMax Brute(const std::vector<double>& s, int32_t first, int32_t last) {
    TMinMax m{kInf, -kInf};
    for (const double* v = s.data() + first; v <= s.data() + last; ++v) {
        if (*v < m.Lo) m.Lo = *v;  // never a NaN
        if (*v > m.Hi) m.Hi = *v;
    }
    return m;
}

// Values in classes of `width` (floor(v / width)), the infinities each in a class of its own.
class TBuckets final : public TResolution {
  public:
    explicit TBuckets(double width) : width_(width) {}
    bool Alike(double a, double b) const override {
        if (std::isinf(a) || std::isinf(b)) return a == b;
        return std::floor(a / width_) == std::floor(b / width_);
    }

  private:
    double width_;
};

// Everything alike: a picture of one row.
class TOneClass final : public TResolution {
  public:
    bool Alike(double, double) const override { return true; }
};

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
        int32_t a = at(rng), b = k % 10 ? std::min<int32_t>(a + width(rng), s.size() - 1) : at(rng);
        if (a > b) std::swap(a, b);
        ASSERT_TRUE(Same(summary.Range(s.data(), a, b), Brute(s, a, b))) << a << ".." << b;
    }
    // Stretches that begin and end on block edges of every level, and the whole row.
    for (int32_t edge : {0, 63, 64, 511, 512, 4095, 4096, 32767, 32768, 262143, 262144})
        for (int32_t end : {edge + 1, edge + 63, edge + 64, edge + 4096, edge + 32769})
            if (end < static_cast<int32_t>(s.size())) {
                ASSERT_TRUE(Same(summary.Range(s.data(), edge, end), Brute(s, edge, end)))
                    << edge << ".." << end;
            }
    const int32_t last = static_cast<int32_t>(s.size()) - 1;
    EXPECT_TRUE(Same(summary.Range(s.data(), 0, last), Brute(s, 0, last)));
}

TEST(MinMaxSummary, ScanningSeesWhatTheComparisonsSee) {
    const std::vector<double> s = Adversarial(5000, 5);
    for (int32_t first : {0, 1, 63, 100, 2000})
        for (int32_t width : {0, 1, 3, 15, 16, 17, 64, 1000, 2999})
            EXPECT_TRUE(
                Same(ScanMinMax(s.data(), first, first + width), Brute(s, first, first + width)))
                << first << " + " << width;
    const std::vector<double> nan(40, kNaN);
    EXPECT_FALSE(ScanMinMax(nan.data(), 0, 39).Any());
    EXPECT_FALSE(ScanMinMax(nan.data(), 0, 3).Any());
}

// Lo and Hi must lie in the classes of the true extremes, for every stretch and resolution.
TEST(MinMaxSummary, AResolutionGetsExtremesAlikeTheTrueOnes) {
    const std::vector<double> s = Adversarial(300007, 9);
    TMinMaxSummary summary;
    summary.Build(s.data(), static_cast<int32_t>(s.size()));
    std::mt19937 rng(13);
    std::uniform_int_distribution<int32_t> at(0, static_cast<int32_t>(s.size()) - 1);
    std::uniform_int_distribution<int32_t> width(0, 40000);
    for (double bucket : {0.001, 0.37, 5.0, 60.0}) {
        const TBuckets classes(bucket);
        for (int k = 0; k < 2000; ++k) {
            const int32_t a = at(rng), b = std::min<int32_t>(a + width(rng), s.size() - 1);
            const TMinMax seen = summary.Range(s.data(), a, b, classes), all = Brute(s, a, b);
            ASSERT_EQ(seen.Any(), all.Any()) << a << ".." << b;
            if (!all.Any()) continue;
            ASSERT_TRUE(classes.Alike(seen.Lo, all.Lo) && classes.Alike(seen.Hi, all.Hi))
                << bucket << ": " << a << ".." << b << " gave " << seen.Lo << ".." << seen.Hi
                << " for " << all.Lo << ".." << all.Hi;
        }
    }
}

// What makes a long run's picture quick: a block that adds nothing the picture could show is
// taken as it is, without reading its samples. Here the summary is of a ramp, and NaN stands in
// place of the samples: what it read of them it could not count.
TEST(MinMaxSummary, EdgesThatCannotShowAreNotRead) {
    std::vector<double> s(100000);
    for (size_t q = 0; q < s.size(); ++q) s[q] = static_cast<double>(q);
    TMinMaxSummary summary;
    summary.Build(s.data(), static_cast<int32_t>(s.size()));
    const std::vector<double> unread(s.size(), kNaN);
    const TMinMax one = summary.Range(unread.data(), 1001, 70033, TOneClass{});
    ASSERT_TRUE(one.Any()) << "answered from whole blocks alone";
    EXPECT_GE(one.Lo, 1001);
    EXPECT_LE(one.Hi, 70033);
    // Told apart exactly, the edges are read down to the samples, here NaN: what is left are
    // the blocks of 64 inside.
    const TMinMax exact = summary.Range(unread.data(), 1001, 70033);
    EXPECT_EQ(exact.Lo, 1024);
    EXPECT_EQ(exact.Hi, 70015);
    EXPECT_TRUE(Same(summary.Range(s.data(), 1001, 70033), TMinMax{1001, 70033}));
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

// The column-by-column rule itself: a column's stroke covers the rows of all its non-NaN
// samples, its quanta and the next column's first.
std::vector<TStroke> ColumnRule(const std::vector<double>& s, const TRowScale& scale,
                                const TBeamGeometry& g) {
    std::vector<TStroke> strokes;
    for (int x = 0; x <= g.LastX; ++x) {
        int top = INT_MAX, bottom = INT_MIN;
        for (int k = QuantAtColumn(g, x); k <= QuantAtColumn(g, x + 1); ++k) {
            if (std::isnan(s[static_cast<size_t>(k)])) continue;
            top = std::min(top, scale.RowOfValue(s[static_cast<size_t>(k)]));
            bottom = std::max(bottom, scale.RowOfValue(s[static_cast<size_t>(k)]));
        }
        if (top <= bottom) strokes.push_back({x, top, bottom});
    }
    return strokes;
}

struct TStrokeCase {
    double Gain, Offset;
    double T0, Dt;
    int LastX, Half;
};

// Both ways of drawing, the summary's and the samples' (a reference run's row has no summary),
// against the rule.
void ExpectTheColumnRule(Fixture& f, const std::vector<double>& samples,
                         const std::vector<TStrokeCase>& cases) {
    const double q = 0.001;
    const auto n = static_cast<int32_t>(samples.size());
    for (const TStrokeCase& c : cases) {
        f.Beam().SetGain(c.Gain);
        f.Beam().SetOffset(c.Offset);
        const TBeamGeometry g{q, n, c.T0, c.Dt, c.Half, c.Half + 5, c.LastX};
        TBeamFigure fromSummary, fromSamples;
        DrawBeam(f.Beam(), f.data, g, true, fromSummary);
        DrawBeam(f.Beam(), f.data, g, true, fromSamples, f.data.Row(0));
        const std::vector<TStroke> rule =
            ColumnRule(samples, TRowScale::For(f.Beam(), f.data, g), g);
        ASSERT_FALSE(rule.empty());
        EXPECT_EQ(fromSummary.Strokes, rule)
            << "gain " << c.Gain << ", offset " << c.Offset << ", dt " << c.Dt << ", t0 " << c.T0;
        EXPECT_EQ(fromSamples.Strokes, rule)
            << "gain " << c.Gain << ", offset " << c.Offset << ", dt " << c.Dt << ", t0 " << c.T0;
    }
}

TEST(MinMaxSummary, CompressedStrokesArePixelIdenticalToTheColumnRule) {
    const std::vector<double> samples = Adversarial(200000, 3);
    Fixture f(samples);
    ASSERT_NE(f.data.Summary(0), nullptr) << "a long run has its summary";
    double brute = 0;
    for (double v : samples)
        if (std::fabs(v) > brute) brute = std::fabs(v);
    EXPECT_EQ(f.data.GetMax(0), brute) << "the maxima from the same pass";
    const double q = 0.001;
    ExpectTheColumnRule(f, samples,
                        {
                            {0, 0, 0, 200000 * q / 1919, 1919, 200},     // automatic gain
                            {0.02, 0, 0, 200000 * q / 1000, 1000, 300},  // clipped spikes
                            {-0.5, 0.3, 12.345, 0.0713, 777, 50},  // a negative gain, a window
                            {1e-9, -0.2, 3.3, 0.0031, 1500, 400},  // a few quanta per column
                            {0.1, 0.0, 199.0, 0.0007, 1000, 100},  // near the end, past it
                            {1.0, 0.0, 0.0, 64 * q, 3000, 100},    // a block per column
                            {1.0, 0.0, 0.0005, 4096 * q / 3, 140, 100},  // block edges inside
                            {0.3, 0.0, 0.0, 200000 * q / 7, 6, 30000},   // rows finer than values
                        });
}

// Where the summary's shortcut is taken or not: a steep tone, whose columns' extremes lie at
// their edges, a row of blocks' edge, and spikes on the quanta two columns share; a gain of 0
// puts every finite sample on one row and the infinities on the band's edges.
TEST(MinMaxSummary, SteepEdgesAndSharedQuantaKeepTheColumnRule) {
    const int32_t n = 1 << 18;
    std::vector<double> samples(static_cast<size_t>(n));
    for (int32_t k = 0; k < n; ++k) samples[static_cast<size_t>(k)] = std::sin(k * 2.1e-4);
    const double q = 0.001, dt = n * q / 1280;
    const TBeamGeometry shared{q, n, 0, dt, 0, 0, 1279};
    for (int x = 1; x < 1280; x += 3)
        samples[static_cast<size_t>(QuantAtColumn(shared, x))] = x % 2 ? 1.0004 : -1.0004;
    samples[5000] = kInf;
    samples[9000] = -kInf;
    samples[77777] = -0.0;
    Fixture f(samples);
    ASSERT_NE(f.data.Summary(0), nullptr);
    ExpectTheColumnRule(f, samples,
                        {
                            {0, 0, 0, dt, 1279, 300},            // automatic, the spikes' rows
                            {1.0, 0.0, 0, dt, 1279, 30000},      // the spikes apart
                            {-1.0, 0.1, 0, dt, 1279, 5000},      // reversed rows
                            {1.0, 0.0, 0, dt * 0.3, 1279, 700},  // fewer quanta a column
                            {0.0, 0.25, 0, dt, 1279, 100},       // a flat trace
                        });
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
