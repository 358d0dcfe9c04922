#include "osc/TraceGeometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "document/uBeam.h"
#include "document/uSignal.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

// One signal with the given samples and a beam for it on a screen.
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

TBeamGeometry Geometry(int quanta, double dt, int lastX, int half = 10, int mid = 10) {
    return TBeamGeometry{0.001, quanta, 0.0, dt, half, mid, lastX};
}

TEST(TraceGeometry, ColumnAndQuantumMappingsAreClamped) {
    const TBeamGeometry g = Geometry(100, 0.0001, 34);  // dt = q / 10
    EXPECT_EQ(QuantAtColumn(g, 0), 0);
    EXPECT_EQ(QuantAtColumn(g, 10), 1);
    EXPECT_EQ(QuantAtColumn(g, 15), 2) << "1.5 rounds to the even 2";
    EXPECT_EQ(QuantAtColumn(g, 100000), 99);
    EXPECT_EQ(ColumnOfQuant(g, 3), 30);
    EXPECT_EQ(ColumnOfQuant(g, 4), 34) << "beyond the last column";
    TBeamGeometry later = g;
    later.T0 = 0.01;
    EXPECT_EQ(ColumnOfQuant(later, 0), 0) << "before the window";
    EXPECT_EQ(QuantAtColumn(later, 0), 10);
}

TEST(TraceGeometry, AutomaticGainUsesTheRunsLargestMagnitude) {
    Fixture f({2, -4, 0, 1});
    const TBeamGeometry g = Geometry(4, 0.001, 10, 10, 20);
    const TRowScale scale = TRowScale::For(f.Beam(), f.data, g);
    EXPECT_EQ(scale.RowOfValue(2), 15) << "v = 0.5: mid - half / 2";
    EXPECT_EQ(scale.RowOfValue(-4), 30);
    EXPECT_EQ(scale.RowOfValue(0), 20);
}

TEST(TraceGeometry, GainAndOffsetClipToTheBand) {
    Fixture f({0.5});
    f.Beam().SetGain(2);
    f.Beam().SetOffset(0.5);
    const TRowScale scale = TRowScale::For(f.Beam(), f.data, Geometry(1, 0.001, 10, 10, 20));
    EXPECT_EQ(scale.RowOfValue(0.5), 10) << "v = 1.5 is clipped to the top row";
    EXPECT_EQ(scale.RowOfValue(-10), 30) << "and far below to the bottom row";
}

TEST(TraceGeometry, AZeroSignalInAutomaticModeLiesAtTheOffset) {
    Fixture f({0, 0, 0});
    f.Beam().SetOffset(-0.5);
    const TRowScale scale = TRowScale::For(f.Beam(), f.data, Geometry(3, 0.001, 10, 10, 20));
    EXPECT_EQ(scale.Gain, 0);
    EXPECT_EQ(scale.RowOfValue(0), 25) << "half way between the middle and the bottom row";
}

// Quanta 0..3 at columns 0, 10, 20, 30 with rows r0, r0, r1, r1 (values 1, 1, -1, -1).
struct StepsFixture : Fixture {
    StepsFixture() : Fixture({1, 1, -1, -1}) {}
    TBeamGeometry G() const { return Geometry(4, 0.0001, 34, 10, 10); }
};

TEST(TraceGeometry, StepsHoldEachValueToTheNextSampleAndTheRightEdge) {
    StepsFixture f;
    TBeamFigure figure;
    DrawBeam(f.Beam(), f.data, f.G(), false, figure);
    EXPECT_EQ(figure.Kind, TFigureKind::Polyline);
    EXPECT_EQ(figure.Points, (std::vector<TPoint>{{0, 0}, {20, 0}, {20, 20}, {34, 20}}));
}

TEST(TraceGeometry, LinesEndAtTheLastSample) {
    StepsFixture f;
    f.Beam().SetInterpolation(1);
    TBeamFigure figure;
    DrawBeam(f.Beam(), f.data, f.G(), false, figure);
    EXPECT_EQ(figure.Points, (std::vector<TPoint>{{0, 0}, {10, 0}, {20, 20}, {30, 20}}));
}

TEST(TraceGeometry, SplinePadsToThreeKPlusOnePoints) {
    Fixture f({1, 0, -1, 0, 1});
    f.Beam().SetInterpolation(7);  // anything but 0 and 1 is a spline
    TBeamFigure figure;
    DrawBeam(f.Beam(), f.data, Geometry(5, 0.0001, 60, 10, 10), false, figure);
    EXPECT_EQ(figure.Kind, TFigureKind::Bezier);
    ASSERT_EQ(figure.Points.size(), 7u);
    EXPECT_EQ(figure.Points[4], (TPoint{40, 0}));
    EXPECT_EQ(figure.Points[5], figure.Points[4]);
    EXPECT_EQ(figure.Points[6], figure.Points[4]);
}

TEST(TraceGeometry, CompressedColumnsStrokeOverTheirSamples) {
    std::vector<double> samples(1000);
    for (size_t q = 0; q < samples.size(); ++q) samples[q] = (q % 7) / 3.0 - 1;
    Fixture f(samples);
    // 1000 quanta of 1 ms in 100 columns: 10 quanta a column.
    const TBeamGeometry g{0.001, 1000, 0.0, 0.01, 10, 10, 99};
    TBeamFigure figure;
    DrawBeam(f.Beam(), f.data, g, true, figure);
    ASSERT_EQ(figure.Kind, TFigureKind::Strokes);
    ASSERT_EQ(figure.Strokes.size(), 100u);
    const TRowScale scale = TRowScale::For(f.Beam(), f.data, g);
    for (int x : {0, 37, 99}) {
        const int i = QuantAtColumn(g, x), e = QuantAtColumn(g, x + 1);
        int top = scale.RowOfValue(samples[i]), bottom = top;
        for (int k = i; k <= e; ++k) {
            top = std::min(top, scale.RowOfValue(samples[k]));
            bottom = std::max(bottom, scale.RowOfValue(samples[k]));
        }
        EXPECT_EQ(e - i + 1, x == 99 ? 10 : 11)
            << "about eleven samples, the next column's first included";
        EXPECT_EQ(figure.Strokes[static_cast<size_t>(x)], (TStroke{x, top, bottom})) << x;
    }
}

TEST(TraceGeometry, NaNSamplesDoNotBreakACompressedColumn) {
    Fixture f({0.5, std::nan(""), -0.5, 0.25});
    const TBeamGeometry g{0.001, 4, 0.0, 0.004, 10, 10, 0};
    TBeamFigure figure;
    DrawBeam(f.Beam(), f.data, g, true, figure);
    ASSERT_EQ(figure.Strokes.size(), 1u);
    EXPECT_LE(figure.Strokes[0].Top, figure.Strokes[0].Bottom);
}

// A row with a NaN at quantum 4 and infinities at 8 and 11 among finite samples, in a band of
// rows 20 .. 40 (mid 30, half 10).
struct NonFiniteFixture : Fixture {
    static std::vector<double> Row() {
        std::vector<double> row(16);
        for (size_t q = 0; q < row.size(); ++q) row[q] = std::sin(0.7 * static_cast<double>(q));
        row[4] = std::nan("");
        row[8] = HUGE_VAL;
        row[11] = -HUGE_VAL;
        return row;
    }
    NonFiniteFixture() : Fixture(Row()) {}
    static constexpr int kTop = 20, kBottom = 40;
};

struct NonFiniteCase {
    const char* Name;
    int Interpolation;  // 0 steps, 1 line, 2 spline
    bool Compressed;
};

void PrintTo(const NonFiniteCase& c, std::ostream* os) { *os << c.Name; }

class NonFiniteSamples : public ::testing::TestWithParam<NonFiniteCase> {};

// A NaN had the row of INT64_MIN cast to int, 0: a line from the beam to the picture's top
// through the other bands. An infinity with an automatic gain of 1/inf = 0 made a NaN too.
TEST_P(NonFiniteSamples, StayInTheirBandWithAGapForNaN) {
    NonFiniteFixture f;
    f.Beam().SetInterpolation(GetParam().Interpolation);
    const bool compressed = GetParam().Compressed;
    // Uncompressed: quantum q at column 10 q; compressed: two quanta a column.
    const TBeamGeometry g = compressed ? TBeamGeometry{0.001, 16, 0.0, 0.002, 10, 30, 7}
                                       : TBeamGeometry{0.001, 16, 0.0, 0.0001, 10, 30, 150};
    TBeamFigure figure;
    DrawBeam(f.Beam(), f.data, g, compressed, figure);
    if (compressed) {
        ASSERT_FALSE(figure.Strokes.empty());
        for (const TStroke& s : figure.Strokes) {
            EXPECT_GE(s.Top, f.kTop) << s.X;
            EXPECT_LE(s.Bottom, f.kBottom) << s.X;
        }
        // Column 4 holds quanta 8 .. 10, among them +inf: the stroke reaches the top edge.
        EXPECT_EQ(figure.Strokes[4].Top, f.kTop);
        EXPECT_EQ(figure.Strokes[5].Bottom, f.kBottom) << "quanta 10 .. 12 with -inf";
        return;
    }
    ASSERT_FALSE(figure.Points.empty());
    for (const TPoint& p : figure.Points) {
        EXPECT_GE(p.Y, f.kTop) << p.X;
        EXPECT_LE(p.Y, f.kBottom) << p.X;
    }
    ASSERT_EQ(figure.Breaks.size(), 1u) << "one gap, at the NaN";
    const size_t gap = figure.Breaks[0];
    // Nothing is drawn over the NaN's column 40 but the end of a held step, which stops there.
    const TPoint before = figure.Points[gap - 1], after = figure.Points[gap];
    EXPECT_LE(before.X, 40);
    EXPECT_EQ(after.X, 50) << "the trace goes on at the next sample";
    const bool upper = std::any_of(figure.Points.begin(), figure.Points.end(),
                                   [&](const TPoint& p) { return p.X == 80 && p.Y == f.kTop; });
    const bool lower = std::any_of(figure.Points.begin(), figure.Points.end(),
                                   [&](const TPoint& p) { return p.X == 110 && p.Y == f.kBottom; });
    EXPECT_TRUE(upper) << "+inf on the band's top edge";
    EXPECT_TRUE(lower) << "-inf on its bottom edge";
}

INSTANTIATE_TEST_SUITE_P(TraceGeometry, NonFiniteSamples,
                         ::testing::Values(NonFiniteCase{"Steps", 0, false},
                                           NonFiniteCase{"Line", 1, false},
                                           NonFiniteCase{"Spline", 2, false},
                                           NonFiniteCase{"Compressed", 0, true}),
                         [](const auto& info) { return std::string(info.param.Name); });

// The run's largest magnitude was infinite, so the automatic gain 1/inf = 0 put every finite
// sample on the offset.
TEST(TraceGeometry, AnInfiniteSampleLeavesTheAutomaticScaleToTheFiniteOnes) {
    Fixture f({0.5, HUGE_VAL, -2, std::nan("")});
    const TBeamGeometry g = Geometry(4, 0.001, 10, 10, 20);
    EXPECT_EQ(AutoScaleMax(f.data, 0), 2);
    const TRowScale scale = TRowScale::For(f.Beam(), f.data, g);
    EXPECT_EQ(scale.Gain, 0.5);
    EXPECT_EQ(scale.RowOfValue(-2), 30);
    EXPECT_EQ(scale.RowOfValue(HUGE_VAL), 10);
    EXPECT_EQ(scale.RowOfValue(-HUGE_VAL), 30);
}

TEST(TraceGeometry, AnInfinityWithoutAGainLiesOnTheEdgeItPointsTo) {
    Fixture f({0, 0});
    const TRowScale scale = TRowScale::For(f.Beam(), f.data, Geometry(2, 0.001, 10, 10, 20));
    ASSERT_EQ(scale.Gain, 0) << "an all-zero run keeps the gain of 0";
    EXPECT_EQ(scale.RowOfValue(HUGE_VAL), 10);
    EXPECT_EQ(scale.RowOfValue(-HUGE_VAL), 30);
}

}  // namespace
}  // namespace kvaril
