// The grid and scales of a screen: where the lines go and what the labels say.

#include "osc/GridLayout.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "HandRun.h"
#include "document/uSignal.h"
#include "model/uSignalsData.h"
#include "osc/BeamTable.h"
#include "osc/ScreenLayout.h"

namespace kvaril {
namespace {

// Two signals in bands of their own: A a ramp up to 2 (automatic gain 1/2), B with gain 1 and
// offset 0.5. Q = 0.001, T = 1.
struct Grid : ::testing::Test {
    void SetUp() override {
        MakeHandRun(signals, {"A", "B"}, 0.001, 1,
                    [](int s, int q) { return s == 0 ? q * 0.002 : 0; });
        FinishRun(signals, osc);
        osc.View(0).Beam(1).SetGain(1);
        osc.View(0).Beam(1).SetOffset(0.5);
    }
    TGridLayout Layout(int width, int height) {
        TGridLayout grid;
        LayoutGrid(osc, &osc.View(0), signals.Data(), 0.001, width, height, grid);
        return grid;
    }
    std::vector<std::string> Texts(const TGridLayout& g) {
        std::vector<std::string> out;
        for (const TGridText& t : g.Texts) out.push_back(t.Text);
        return out;
    }
    TSignals signals;
    TOsc osc;
};

TEST_F(Grid, TimeTicksAtLeastSixtyPixelsApartWithLabelsAlongTheBottom) {
    const TGridLayout g = Layout(600, 400);
    // 0..1 over 600 pixels: steps of 0.1 (60 pixels); the ends are the frame, not grid lines.
    ASSERT_EQ(g.Columns.size(), 9u);
    EXPECT_EQ(g.Columns.front(), 60);
    for (size_t i = 1; i < g.Columns.size(); ++i) EXPECT_GE(g.Columns[i] - g.Columns[i - 1], 60);
    const std::vector<std::string> texts = Texts(g);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "0.5"), texts.end());
    for (const TGridText& t : g.Texts) {
        if (t.X > 20) {
            EXPECT_EQ(t.Y, 400 - kGridTextHeight - 1) << t.Text;
        }
    }
}

TEST_F(Grid, ValueTicksFollowEachBandsGainAndOffset) {
    const TGridLayout g = Layout(600, 400);
    const std::vector<TBand> bands = LayoutBands(400, 2);
    // Band 1 (A, automatic gain 1/2) shows -2 .. 2; band 2 (B, gain 1, offset 0.5) -1.5 .. 0.5.
    auto rowsIn = [&g](const TBand& b) {
        std::vector<int> rows;
        for (int y : g.Rows)
            if (y > b.Top && y < b.Top + b.Height) rows.push_back(y);
        return rows;
    };
    const std::vector<int> a = rowsIn(bands[0]), b = rowsIn(bands[1]);
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    EXPECT_NE(std::find(a.begin(), a.end(), bands[0].Mid), a.end()) << "A's zero on the middle";
    // B's zero sits half a band-half below the middle: value 0 reads 0·1 + 0.5.
    const int zeroB = bands[1].Mid - bands[1].Half / 2;
    EXPECT_TRUE(std::find(b.begin(), b.end(), zeroB) != b.end() ||
                std::find(b.begin(), b.end(), zeroB + 1) != b.end() ||
                std::find(b.begin(), b.end(), zeroB - 1) != b.end());
    for (const TGridText& t : g.Texts) {
        if (t.X == 2) {
            EXPECT_EQ(t.Text.find_first_not_of("-0123456789."), std::string::npos);
        }
    }
}

TEST_F(Grid, NothingForNoScreenOrNoRoom) {
    TGridLayout g;
    LayoutGrid(osc, nullptr, signals.Data(), 0.001, 600, 400, g);
    EXPECT_TRUE(g.Columns.empty() && g.Rows.empty() && g.Texts.empty());
    g = Layout(1, 1);
    EXPECT_TRUE(g.Columns.empty() && g.Rows.empty() && g.Texts.empty());
    g = Layout(600, 5);  // bands do not fit: time ticks only
    EXPECT_FALSE(g.Columns.empty());
    EXPECT_TRUE(g.Rows.empty());
}

TEST_F(Grid, ABandWithoutGainHasNoValueScale) {
    osc.View(0).Beam(0).SetGroup(1);
    osc.View(0).Beam(1).SetGroup(0);
    for (int q = 0; q < signals.Data().SampleCount(); ++q) signals.Data().SetData(0, q, 0);
    signals.Data().CalcMaxima();
    const TGridLayout g = Layout(600, 400);
    EXPECT_TRUE(g.Rows.empty());
    EXPECT_FALSE(g.Columns.empty());
}

TEST_F(Grid, ASharedGroupScaleScalesTheValueTicks) {
    // One band: A up to 2 and B up to 4, both automatic.
    osc.View(0).Beam(1).SetGain(0);
    osc.View(0).Beam(1).SetOffset(0);
    BeamsToOneGroup(osc.View(0));
    for (int q = 0; q < signals.Data().SampleCount(); ++q) signals.Data().SetData(1, q, q * 0.004);
    signals.Data().CalcMaxima();
    auto texts = [this](bool shared) {
        TGridLayout g;
        TLayoutOptions options;
        options.SharedGroupScale = shared;
        LayoutGrid(osc, &osc.View(0), signals.Data(), 0.001, 600, 400, g, options);
        std::vector<std::string> left;
        for (const TGridText& t : g.Texts)
            if (t.X == 2) left.push_back(t.Text);
        return left;
    };
    EXPECT_EQ(texts(false), (std::vector<std::string>{"-1", "0", "1"})) << "A alone: -2 .. 2";
    EXPECT_EQ(texts(true), (std::vector<std::string>{"-2", "0", "2"})) << "the group's -4 .. 4";
}

TEST_F(Grid, TheBlackSchemeGetsDarkLines) {
    EXPECT_LT(GridLineColor(TColorScheme::Black).R, 128);
    EXPECT_GT(GridLineColor(TColorScheme::White).R, 128);
    EXPECT_NE(GridLineColor(TColorScheme::Gray).R, SchemeBackground(TColorScheme::Gray).R);
}

}  // namespace
}  // namespace kvaril
