#include "osc/ScreenLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>

#include "document/uSignal.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

TEST(LayoutBands, OddBandsAndTheLastTakesTheRest) {
    std::vector<TBand> b = LayoutBands(100, 3);
    ASSERT_EQ(b.size(), 3u);
    EXPECT_EQ(b[0].Top, 0);
    EXPECT_EQ(b[0].Height, 31);
    EXPECT_EQ(b[1].Top, 33);
    EXPECT_EQ(b[2].Top, 66);
    EXPECT_EQ(b[2].Height, 33);
    EXPECT_EQ(b[0].Mid, 15);
    EXPECT_EQ(b[1].Mid, 48);
    EXPECT_EQ(b[2].Mid, 82);

    b = LayoutBands(100, 2);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0].Height, 47);
    EXPECT_EQ(b[1].Top, 49);
    EXPECT_EQ(b[1].Height, 49);

    EXPECT_TRUE(LayoutBands(20, 5).empty()) << "h = 1: they do not fit";
}

// Signals in the given groups, with a run of `quanta` samples.
struct Fixture {
    Fixture(std::vector<int> groups, int quanta = 1000) {
        for (size_t i = 0; i < groups.size(); ++i) {
            auto s = std::make_unique<TSignal>(signals);
            s->SetName("S" + std::to_string(i));
            signals.Insert(std::move(s), -1);
        }
        signals.SetTotalTime(quanta * signals.QuantTime());
        osc.SyncWithSignals(signals);
        for (size_t i = 0; i < groups.size(); ++i)
            View().Beam(static_cast<int>(i)).SetGroup(groups[i]);
        data.SetSize(static_cast<int32_t>(groups.size()), signals.QuantCount());
        data.CalcMaxima();
    }
    TView& View() { return osc.View(0); }
    TGraphPicture Layout(int width, int height, const TLayoutOptions& options = {}) {
        TGraphPicture p;
        LayoutGraph(osc, &View(), data, signals.QuantTime(), signals.QuantCount(), width, height, p,
                    nullptr, options);
        return p;
    }
    TSignals signals;
    TOsc osc;
    TSignalsData data;
};

std::vector<TDrawItem::Kind> Kinds(const TGraphPicture& p) {
    std::vector<TDrawItem::Kind> kinds;
    for (const auto& item : p.Items) kinds.push_back(item.What);
    return kinds;
}

TEST(LayoutGraph, GroupsDrawLineBeamsNumberAndSeparators) {
    Fixture f({1, 1, 2, 2});
    const TGraphPicture p = f.Layout(200, 100);
    using K = TDrawItem::Kind;
    EXPECT_EQ(Kinds(p), (std::vector<K>{K::Line, K::Beam, K::Beam, K::GroupNumber, K::Line, K::Line,
                                        K::Line, K::Beam, K::Beam, K::GroupNumber}));
    EXPECT_EQ(p.Items[0].Y, 23);
    EXPECT_EQ(p.Items[0].X1, 199);
    EXPECT_EQ(p.Items[0].Color, (TRgb{128, 128, 128}));
    EXPECT_EQ(p.Items[4].Y, 47) << "upper separator row";
    EXPECT_EQ(p.Items[4].Color, (TRgb{255, 255, 255}));
    EXPECT_EQ(p.Items[5].Y, 48);
    // Colours by position in the group: both groups use colours 0 and 1.
    EXPECT_EQ(p.Items[1].Color, BeamColor(TColorScheme::Gray, 0));
    EXPECT_EQ(p.Items[2].Color, BeamColor(TColorScheme::Gray, 1));
    EXPECT_EQ(p.Items[7].Color, BeamColor(TColorScheme::Gray, 0));
    EXPECT_EQ(p.Items[8].Color, BeamColor(TColorScheme::Gray, 1));
    EXPECT_EQ(p.Items[3].Text, "1");
    EXPECT_EQ(p.Items[9].Text, "2");
    EXPECT_EQ(p.Items[9].Y, 49);
    EXPECT_TRUE(p.Compressed) << "1000 quanta in 200 columns";
}

TEST(LayoutGraph, CentreLineOnlyWhenABeamOfTheGroupWantsIt) {
    Fixture f({1, 1});
    f.View().Beam(0).SetXAxis(false);
    EXPECT_EQ(f.Layout(200, 100).Items[0].What, TDrawItem::Line) << "one beam is enough";
    f.View().Beam(1).SetXAxis(false);
    EXPECT_EQ(f.Layout(200, 100).Items[0].What, TDrawItem::Beam);
}

TEST(LayoutGraph, TooManyGroupsShowTheMessage) {
    Fixture f({1, 2, 3, 4, 5});
    const TGraphPicture p = f.Layout(200, 20);
    ASSERT_EQ(p.Items.size(), 1u);
    EXPECT_EQ(p.Items[0].What, TDrawItem::Message);
    EXPECT_EQ(p.Items[0].Text, kGroupsDoNotFit);
    EXPECT_EQ(p.Items[0].Color, (TRgb{0, 0, 255}));
}

TEST(LayoutGraph, WindowsOfFewerThanFourQuantaStayEmpty) {
    Fixture f({1});
    const double q = f.signals.QuantTime();
    f.View().SetT0(10 * q);
    f.View().SetT1(14 * q);
    EXPECT_FALSE(f.Layout(200, 100).Items.empty()) << "four quanta are drawn";
    f.View().SetT1(13 * q);
    EXPECT_TRUE(f.Layout(200, 100).Items.empty());
    f.View().SetT1(100 * q);
    EXPECT_TRUE(f.Layout(3, 100).Items.empty()) << "three columns";
    EXPECT_FALSE(f.Layout(200, 100).Compressed) << "90 quanta in 200 columns";
}

// The trace of a window shorter than a microsecond per column was drawn at a microsecond per
// column, so it disagreed with the time axis, the cursor and the value table.
TEST(LayoutGraph, ShortWindowsAreDrawnAtTheirRealScale) {
    Fixture f({1});
    f.signals.SetQuantTime(0.000001);
    f.signals.SetTotalTime(0.001);
    f.osc.SyncWithSignals(f.signals);
    const int32_t n = f.signals.QuantCount();
    f.data.SetSize(1, n);
    for (int32_t k = 0; k < n; ++k) f.data.SetData(0, k, (k - 105) * 0.1);  // zero at quantum 105
    f.data.CalcMaxima();
    f.View().Beam(0).SetGain(1);
    f.View().Beam(0).SetInterpolation(TInterpolation::Line);
    const double q = f.signals.QuantTime();
    for (int quanta : {10, 40}) {  // the shortest window, and another one still below 1 µs/column
        SCOPED_TRACE(quanta);
        f.View().SetT0(100 * q);
        f.View().SetT1((100 + quanta) * q);
        const int width = 201;
        const TGraphPicture p = f.Layout(width, 101);
        ASSERT_FALSE(p.Compressed);
        const std::vector<TPoint>& points = p.Figures[0].Points;
        ASSERT_FALSE(points.empty());
        EXPECT_EQ(points.front().X, 0);
        EXPECT_GE(points.back().X, width - 1 - width / quanta) << "the trace spans the window";
        // Where the trace crosses zero is where the time axis puts quantum 105.
        const int zeroColumn = static_cast<int>(std::lround(5.0 * (width) / quanta));
        const int mid = LayoutBands(101, 1)[0].Mid;
        const auto crossing = std::find_if(points.begin(), points.end(),
                                           [mid](const TPoint& pt) { return pt.Y == mid; });
        ASSERT_NE(crossing, points.end());
        EXPECT_NEAR(crossing->X, zeroColumn, 1);
    }
}

TEST(LayoutLabels, NamesWithinTheWindowAndHalfAQuantumBefore) {
    Fixture f({1});
    const double q = f.signals.QuantTime();
    TView& view = f.View();
    view.SetT0(10 * q);
    view.SetT1(110 * q);
    for (double t : {9.5 * q, 60 * q, 110 * q}) {
        auto label = std::make_unique<TTimeLabel>(f.osc);
        label->SetTime(t);
        view.AddTimeLabel(std::move(label));
    }
    const std::vector<TLabelMark> marks = LayoutLabels(&view, q, 200);
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].Text, "m1");
    EXPECT_LE(marks[0].X, 0);
    EXPECT_EQ(marks[1].Text, "m2");
    EXPECT_EQ(marks[1].X, 100);
}

TEST(ColourTables, SchemesAndTheFallback) {
    EXPECT_EQ(BeamColor(TColorScheme::Black, 0), (TRgb{0, 255, 255}));
    EXPECT_EQ(BeamColor(TColorScheme::White, 5), (TRgb{255, 0, 0}));
    EXPECT_EQ(BeamColor(TColorScheme::Gray, 6), BeamColor(TColorScheme::Gray, 0)) << "modulo 6";
    EXPECT_EQ(CenterLineColor(TColorScheme::White), (TRgb{192, 192, 192}));
    EXPECT_EQ(SeparatorUpperColor(TColorScheme::Black), (TRgb{192, 192, 192}));
}

// Four signals of 20 quanta: one swinging to -4 with a NaN, one within ±1, one all zero, one
// of 10 shown with a fixed gain of 0.5.
struct ScaleFixture : Fixture {
    explicit ScaleFixture(std::vector<int> groups) : Fixture(std::move(groups), 20) {
        for (int32_t k = 0; k < 20; ++k) {
            data.SetData(0, k, k == 3 ? std::nan("") : k % 2 ? -4 : 2);
            data.SetData(1, k, k % 2 ? 1 : -0.5);
            data.SetData(2, k, 0);
            data.SetData(3, k, 10);
        }
        View().Beam(3).SetGain(0.5);
        data.CalcMaxima();
    }
};

// Rows of the beam of signal `signal` in a picture of one band.
std::vector<TPoint> BeamPoints(const TGraphPicture& p, int signal) {
    int seen = 0;
    for (const TDrawItem& item : p.Items)
        if (item.What == TDrawItem::Beam && seen++ == signal)
            return p.Figures[static_cast<size_t>(item.Figure)].Points;
    return {};
}

TEST(SharedGroupScale, TheLargestAutomaticMaximumOfTheGroupWithNegativeZeroAndNaNSamples) {
    ScaleFixture f({1, 1, 1, 1});
    const TView& v = f.View();
    const std::vector<const TBeam*> group = {&v.Beam(0), &v.Beam(1), &v.Beam(2), &v.Beam(3)};
    EXPECT_EQ(SharedAutoMax(group, f.data), 4) << "|-4| wins, the NaN never, the fixed 10 is out";
    EXPECT_EQ(SharedAutoMax({&v.Beam(2)}, f.data), 0) << "a group of zeros";
    EXPECT_EQ(SharedAutoMax({&v.Beam(3)}, f.data), 0) << "fixed gains only";

    TBeamGeometry g{f.signals.QuantTime(), 20, 0, 1e-4, 50, 50, 199};
    EXPECT_EQ(TRowScale::For(v.Beam(1), f.data, g).Gain, 1) << "its own maximum without sharing";
    EXPECT_EQ(TRowScale::For(v.Beam(2), f.data, g).Gain, 0) << "nothing to scale by";
    g.SharedMax = 4;
    EXPECT_EQ(TRowScale::For(v.Beam(1), f.data, g).Gain, 0.25);
    EXPECT_EQ(TRowScale::For(v.Beam(2), f.data, g).Gain, 0.25);
    EXPECT_EQ(TRowScale::For(v.Beam(3), f.data, g).Gain, 0.5) << "a fixed gain keeps its own";
    g.SharedMax = 0;
    EXPECT_EQ(TRowScale::For(v.Beam(2), f.data, g).Gain, 0) << "zeros stay unscaled";
}

TEST(SharedGroupScale, KeepsTheTrueRatioInsideAGroupAndLeavesOtherGroupsAlone) {
    ScaleFixture f({1, 1, 1, 1});
    const TGraphPicture own = f.Layout(200, 101);
    TLayoutOptions shared;
    shared.SharedGroupScale = true;
    const TGraphPicture common = f.Layout(200, 101, shared);
    const auto lowest = [](const std::vector<TPoint>& points) {
        int top = INT32_MAX;
        for (const TPoint& p : points) top = std::min(top, p.Y);
        return top;
    };
    // One band of 99 rows: middle 49, half 49. The value 1 reaches the top on its own scale,
    // a quarter of the way on the group's: Round(49 - 49 / 4).
    EXPECT_EQ(lowest(BeamPoints(own, 1)), 0);
    EXPECT_EQ(lowest(BeamPoints(common, 1)), 37);
    EXPECT_EQ(BeamPoints(own, 0), BeamPoints(common, 0)) << "the beam with the maximum";
    EXPECT_EQ(BeamPoints(own, 3), BeamPoints(common, 3)) << "the fixed gain";

    ScaleFixture apart({1, 2, 3, 4});
    EXPECT_EQ(BeamPoints(apart.Layout(200, 200), 1), BeamPoints(apart.Layout(200, 200, shared), 1))
        << "beams of other groups do not share";
}

TEST(Legend, EachBandNamesItsBeamsInTheirColoursAtItsTop) {
    Fixture f({2, 1, 2});
    TLayoutOptions options;
    options.Legend = true;
    options.Names = {"S0", "S1", "S2"};
    std::vector<TDrawItem> legend;
    int bandTop[2] = {-1, -1};
    for (const TDrawItem& item : f.Layout(200, 100, options).Items) {
        if (item.What == TDrawItem::Legend) legend.push_back(item);
        if (item.What == TDrawItem::GroupNumber) bandTop[item.Text == "1" ? 0 : 1] = item.Y;
    }
    ASSERT_EQ(legend.size(), 3u);
    EXPECT_EQ(legend[0].Text, "S1");
    EXPECT_EQ(legend[0].Y, bandTop[0]);
    EXPECT_EQ(legend[0].Color, BeamColor(TColorScheme::Gray, 0));
    EXPECT_EQ(legend[1].Text, "S0");
    EXPECT_EQ(legend[2].Text, "S2");
    EXPECT_EQ(legend[2].Y, bandTop[1]);
    EXPECT_EQ(legend[2].X0, 1) << "second in its band";
    EXPECT_EQ(legend[2].Color, BeamColor(TColorScheme::Gray, 1));

    for (const TDrawItem& item : f.Layout(200, 100).Items)
        EXPECT_NE(item.What, TDrawItem::Legend) << "off by default";
}

}  // namespace
}  // namespace kvaril
