// The grid and scales of a screen: where the lines go and what the labels say.

#include "osc/GridLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "HandRun.h"
#include "document/uSignal.h"
#include "osc/BeamTable.h"
#include "osc/ScreenLayout.h"
#include "plot/Ticks.h"
#include "store/uSignalsData.h"

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
    EXPECT_NE(std::find(texts.begin(), texts.end(), "0.5 с"), texts.end()) << "with the unit";
    for (const TGridText& t : g.Texts) {
        if (!t.AlignRight) {
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
        if (t.AlignRight) {
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
        std::vector<std::string> values;
        for (const TGridText& t : g.Texts)
            if (t.AlignRight) values.push_back(t.Text);
        return values;
    };
    // The zero, the round values nearest the edges, then the grid's lines that leave room.
    EXPECT_EQ(texts(false), (std::vector<std::string>{"0", "1.5", "-1.5", "-1", "1"}))
        << "A alone: -2 .. 2";
    EXPECT_EQ(texts(true), (std::vector<std::string>{"0", "3", "-3", "-2", "2"}))
        << "the group's -4 .. 4";
}

// ---- readable scales

// Six bands of "Авто" gain in 400 rows, texts of the window's normal font (17 rows): each band
// gets its zero and two round values near its edges, every label wholly within its band.
TEST_F(Grid, AtLeastThreeRoundValueLabelsWithinEachOfSixBands) {
    TSignals six;
    TOsc sixOsc;
    MakeHandRun(six, {"A", "B", "C", "D", "E", "F"}, 0.001, 1,
                [](int s, int q) -> double { return std::sin(q * 0.02) * (s + 1) * 0.3; });
    FinishRun(six, sixOsc);
    BeamsToManyGroups(sixOsc.View(0));
    const TGridMetrics metrics{17, 8};
    TGridLayout g;
    LayoutGrid(sixOsc, &sixOsc.View(0), six.Data(), 0.001, 800, 400, g, {}, metrics);
    const std::vector<TBand> bands = LayoutBands(400, 6);
    ASSERT_EQ(bands.size(), 6u);
    for (const TBand& band : bands) {
        std::vector<double> values;
        for (const TGridText& t : g.Texts) {
            if (!t.AlignRight || t.Y < band.Top || t.Y > band.Top + band.Height) continue;
            EXPECT_GE(t.Y, band.Top) << t.Text;
            EXPECT_LE(t.Y + metrics.TextHeight, band.Top + band.Height) << t.Text;
            EXPECT_EQ(t.X, 800 - 3) << "at the right, clear of the group number";
            values.push_back(std::stod(t.Text));
            // Round: one or two significant digits.
            std::string digits = t.Text;
            std::erase_if(digits, [](char c) { return c == '-' || c == '.'; });
            digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
            while (!digits.empty() && digits.back() == '0') digits.pop_back();
            EXPECT_LE(digits.size(), 2u) << t.Text;
        }
        ASSERT_GE(values.size(), 3u) << "band at " << band.Top << " of " << band.Height;
        EXPECT_NE(std::find(values.begin(), values.end(), 0.0), values.end()) << "its zero";
        EXPECT_GT(*std::max_element(values.begin(), values.end()), 0);
        EXPECT_LT(*std::min_element(values.begin(), values.end()), 0);
    }
    // Labels of one band never overlap.
    for (size_t i = 0; i < g.Texts.size(); ++i)
        for (size_t j = i + 1; j < g.Texts.size(); ++j)
            if (g.Texts[i].AlignRight && g.Texts[j].AlignRight) {
                EXPECT_GE(std::abs(g.Texts[i].Y - g.Texts[j].Y), metrics.TextHeight);
            }
    // Time labels keep clear of the value labels in the last band and carry the unit.
    for (const TGridText& t : g.Texts)
        if (!t.AlignRight) {
            EXPECT_NE(t.Text.find("с"), std::string::npos) << t.Text;
            EXPECT_LT(t.X + 8 * static_cast<int>(t.Text.size()) / 2, 800 - 3);
        }
}

TEST_F(Grid, TimeLabelsInEngineeringFormSpacedForTheirWidth) {
    osc.View(0).SetT0(0);
    osc.View(0).SetT1(0.003);
    TGridLayout g;
    const TGridMetrics metrics{17, 8};
    LayoutGrid(osc, &osc.View(0), signals.Data(), 0.001, 600, 400, g, {}, metrics);
    std::vector<std::string> times;
    std::vector<int> xs;
    for (const TGridText& t : g.Texts)
        if (!t.AlignRight) times.push_back(t.Text), xs.push_back(t.X);
    EXPECT_NE(std::find(times.begin(), times.end(), "1.5 мс"), times.end());
    for (size_t i = 1; i < xs.size(); ++i)
        EXPECT_GE(xs[i] - xs[i - 1], metrics.CharWidth * TickTextLength(times[i - 1]));
}

TEST_F(Grid, TextsSitOnABackingOfTheScreensBackground) {
    for (TColorScheme scheme : {TColorScheme::Gray, TColorScheme::White, TColorScheme::Black}) {
        osc.SetColorScheme(scheme);
        EXPECT_EQ(Layout(600, 400).Backing, SchemeBackground(scheme));
    }
}

TEST_F(Grid, TheBlackSchemeGetsDarkLines) {
    EXPECT_LT(GridLineColor(TColorScheme::Black).R, 128);
    EXPECT_GT(GridLineColor(TColorScheme::White).R, 128);
    EXPECT_NE(GridLineColor(TColorScheme::Gray).R, SchemeBackground(TColorScheme::Gray).R);
}

}  // namespace
}  // namespace kvaril
