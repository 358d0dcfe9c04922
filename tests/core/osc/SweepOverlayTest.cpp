// A sweep's runs in the oscilloscope: the ramp of a beam's colour, which runs are drawn over
// which beams on what scale, the legend naming them, and the session's readings per run.

#include "osc/SweepOverlay.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>

#include "HandSweep.h"
#include "SessionFixture.h"
#include "osc/BeamPalette.h"
#include "osc/GridLayout.h"
#include "osc/ScreenLayout.h"

namespace kvaril {
namespace {

constexpr TColorScheme kSchemes[] = {TColorScheme::Gray, TColorScheme::White, TColorScheme::Black};

double Lightness(TRgb c) {
    const double y = RelativeLuminance(c);
    return y > 216.0 / 24389 ? 116 * std::cbrt(y) - 16 : y * 24389.0 / 27;
}

// Every beam colour of every scheme, classic and per beam, including those the scheme cannot
// show well (the gray screen's white): each ramp stays readable, gets lighter step by step and
// keeps the beam's hue.
TEST(SweepRamp, ReadableDarkerToLighterInTheBeamsHueOnEveryScheme) {
    for (TColorScheme scheme : kSchemes) {
        const TRgb background = SchemeBackground(scheme);
        std::vector<TRgb> bases;
        for (int k = 0; k < 6; ++k) bases.push_back(BeamColor(scheme, k));
        for (int k = 0; k < BeamPaletteSize(); ++k) bases.push_back(BeamPaletteColor(scheme, k));
        for (const TRgb& base : bases)
            for (int count : {2, 8, 24}) {
                SCOPED_TRACE(testing::Message()
                             << "scheme " << static_cast<int>(scheme) << ", base " << int(base.R)
                             << "," << int(base.G) << "," << int(base.B) << ", " << count);
                const std::vector<TRgb> ramp = SweepRamp(scheme, base, count);
                ASSERT_EQ(ramp.size(), static_cast<size_t>(count));
                for (size_t i = 0; i < ramp.size(); ++i) {
                    EXPECT_GE(ContrastRatio(ramp[i], background), kMinBeamContrast) << i;
                    if (i > 0) {
                        EXPECT_GT(Lightness(ramp[i]), Lightness(ramp[i - 1])) << i;
                    }
                    // Shades and tints of the hue: the channels keep their order.
                    EXPECT_EQ(ramp[i].R >= ramp[i].G, base.R >= base.G) << i;
                    EXPECT_EQ(ramp[i].G >= ramp[i].B, base.G >= base.B) << i;
                }
                // Eight runs are told apart at a glance: the ends well apart in lightness.
                EXPECT_GT(Lightness(ramp.back()) - Lightness(ramp.front()), 20);
            }
    }
}

TEST(SweepRamp, OneRunKeepsTheBeamsColourWhereItIsReadable) {
    const TRgb blue{0, 0, 255};
    EXPECT_EQ(SweepRamp(TColorScheme::White, blue, 1), std::vector<TRgb>{blue});
    EXPECT_TRUE(SweepRamp(TColorScheme::White, blue, 0).empty());
    // The gray screen's classic white beam cannot be read there: its one run is darker.
    const std::vector<TRgb> white = SweepRamp(TColorScheme::Gray, {255, 255, 255}, 1);
    ASSERT_EQ(white.size(), 1u);
    EXPECT_GE(ContrastRatio(white[0], SchemeBackground(TColorScheme::Gray)), kMinBeamContrast);
}

// A run of signals A and B (100 quanta), both in group 1; run r of the sweep has
// A = (r + 1) · sin and B = 1.
struct Overlay : ::testing::Test {
    void SetUp() override {
        MakeHandRun(signals, {"A", "B"}, 0.01, 1, [](int, int) { return 0.0; });
        signals.Data().CalcMaxima();
        osc.SyncWithSignals(signals);
        osc.View(0).Beam(1).SetGroup(1);
        sweep = MakeHandSweep(
            signals, {1000, 2000, 4000},
            [](int r, int s, int q) { return s == 0 ? (r + 1) * std::sin(q * 0.2) : 1.0; }, {1});
    }
    TGraphPicture Layout(const TLayoutOptions& options,
                         const std::vector<const double*>* reference = nullptr) {
        TGraphPicture p;
        LayoutGraph(osc, &osc.View(0), signals.Data(), signals.QuantTime(), signals.QuantCount(),
                    400, 201, p, reference, options);
        return p;
    }
    static std::vector<TDrawItem> Items(const TGraphPicture& p, TDrawItem::Kind kind) {
        std::vector<TDrawItem> out;
        for (const TDrawItem& item : p.Items)
            if (item.What == kind) out.push_back(item);
        return out;
    }
    // The rows a beam's figure covers, top and bottom, drawn or compressed.
    static std::pair<int, int> Rows(const TGraphPicture& p, const TDrawItem& beam) {
        const TBeamFigure& f = p.Figures[static_cast<size_t>(beam.Figure)];
        int top = INT_MAX, bottom = INT_MIN;
        for (const TPoint& point : f.Points) top = std::min(top, point.Y);
        for (const TPoint& point : f.Points) bottom = std::max(bottom, point.Y);
        for (const TStroke& stroke : f.Strokes) top = std::min(top, stroke.Top);
        for (const TStroke& stroke : f.Strokes) bottom = std::max(bottom, stroke.Bottom);
        return {top, bottom};
    }
    TSignals signals;
    TOsc osc;
    TSweepShownPtr sweep;
};

TEST_F(Overlay, TheGoodRunsTakeTheCurrentRunsPlaceInARampOfEachBeamsColour) {
    TLayoutOptions options;
    options.Sweep = sweep.get();
    const TGraphPicture p = Layout(options);
    const std::vector<TDrawItem> beams = Items(p, TDrawItem::Beam);
    // Both beams in group 1; the failed run 1 is left out.
    ASSERT_EQ(beams.size(), 4u);
    const std::vector<TRgb> a = SweepRamp(TColorScheme::Gray, BeamColor(TColorScheme::Gray, 0), 2);
    const std::vector<TRgb> b = SweepRamp(TColorScheme::Gray, BeamColor(TColorScheme::Gray, 1), 2);
    EXPECT_EQ(beams[0].Color, a[0]);
    EXPECT_EQ(beams[1].Color, a[1]);
    EXPECT_EQ(beams[2].Color, b[0]);
    EXPECT_EQ(beams[3].Color, b[1]);
    // One scale per beam across the runs: run 2 (three times run 0) fills the band, run 0 a
    // third of it; each drawn alone on its own scale both would fill it.
    const auto [top0, bottom0] = Rows(p, beams[0]);
    const auto [top2, bottom2] = Rows(p, beams[1]);
    EXPECT_NEAR(bottom2 - top2, 198, 2);
    EXPECT_NEAR(bottom0 - top0, 66, 3);
    // The runs' own samples, not the current run's (all 0 here).
    EXPECT_NE(top0, bottom0);
}

TEST_F(Overlay, EachBeamOfABandNamesTheRunsInItsOwnShadesOnALineOfItsOwn) {
    TLayoutOptions options;
    options.Sweep = sweep.get();
    std::vector<TDrawItem> runs = Items(Layout(options), TDrawItem::RunLegend);
    ASSERT_EQ(runs.size(), 4u) << "with the legend off, too";
    const std::vector<TRgb> a = SweepRamp(TColorScheme::Gray, BeamColor(TColorScheme::Gray, 0), 2);
    const std::vector<TRgb> b = SweepRamp(TColorScheme::Gray, BeamColor(TColorScheme::Gray, 1), 2);
    EXPECT_EQ(runs[0].Text, "Fc = 1000");
    EXPECT_EQ(runs[1].Text, "Fc = 4000") << "the failed run keeps its place in the sweep";
    EXPECT_EQ(runs[2].Text, "Fc = 1000");
    EXPECT_EQ(runs[3].Text, "Fc = 4000");
    EXPECT_EQ(runs[0].Color, a[0]);
    EXPECT_EQ(runs[1].Color, a[1]);
    EXPECT_EQ(runs[2].Color, b[0]) << "the second beam's runs in its own shades";
    EXPECT_EQ(runs[3].Color, b[1]);
    EXPECT_TRUE(runs[0].NewLine && runs[2].NewLine) << "a line per beam";
    EXPECT_FALSE(runs[1].NewLine || runs[3].NewLine);

    // With the names shown, each caption starts with its beam's name, after the band's names.
    options.Legend = true;
    options.Names = {"A", "B"};
    const TGraphPicture p = Layout(options);
    ASSERT_EQ(Items(p, TDrawItem::Legend).size(), 2u);
    size_t lastName = 0, firstRun = p.Items.size();
    for (size_t i = 0; i < p.Items.size(); ++i) {
        if (p.Items[i].What == TDrawItem::Legend) lastName = i;
        if (p.Items[i].What == TDrawItem::RunLegend) firstRun = std::min(firstRun, i);
    }
    EXPECT_LT(lastName, firstRun);
    runs = Items(p, TDrawItem::RunLegend);
    ASSERT_EQ(runs.size(), 6u);
    EXPECT_EQ(runs[0].Text, "A:");
    EXPECT_EQ(runs[3].Text, "B:");
    EXPECT_EQ(runs[3].Color, BeamColor(TColorScheme::Gray, 1));
    EXPECT_TRUE(runs[3].NewLine);
    EXPECT_FALSE(runs[4].NewLine);

    // A band of one beam keeps its runs after the names, on the same line.
    osc.View(0).Beam(1).SetGroup(2);
    runs = Items(Layout(options), TDrawItem::RunLegend);
    ASSERT_EQ(runs.size(), 4u);
    for (const TDrawItem& run : runs) EXPECT_FALSE(run.NewLine) << run.Text;
}

TEST_F(Overlay, ManyRunsNameTheFirstOnesHowManyMoreAndTheLast) {
    std::vector<double> values;
    for (int i = 1; i <= 20; ++i) values.push_back(100.0 * i);
    const TSweepShownPtr many = MakeHandSweep(
        signals, values, [](int r, int, int q) { return (r + 1) * std::sin(q * 0.2); });
    osc.View(0).Beam(1).SetGroup(2);  // one beam a band: the first twelve are the first band's
    TLayoutOptions options;
    options.Sweep = many.get();
    const std::vector<TDrawItem> runs = Items(Layout(options), TDrawItem::RunLegend);
    ASSERT_EQ(runs.size(), 24u);
    EXPECT_EQ(runs[0].Text, "Fc = 100");
    EXPECT_EQ(runs[9].Text, "Fc = 1000");
    EXPECT_EQ(runs[10].Text, "… еще 9 …");
    EXPECT_EQ(runs[11].Text, "Fc = 2000");
    const std::vector<TRgb> ramp =
        SweepRamp(TColorScheme::Gray, BeamColor(TColorScheme::Gray, 0), 20);
    EXPECT_EQ(runs[11].Color, ramp[19]) << "the last run keeps its own shade";
    // Exactly twelve runs are all named.
    values.resize(12);
    const TSweepShownPtr twelve = MakeHandSweep(
        signals, values, [](int r, int, int q) { return (r + 1) * std::sin(q * 0.2); });
    options.Sweep = twelve.get();
    EXPECT_EQ(Items(Layout(options), TDrawItem::RunLegend).size(), 24u);
    EXPECT_EQ(Items(Layout(options), TDrawItem::RunLegend)[10].Text, "Fc = 1100");
}

TEST_F(Overlay, EachBandNamesTheRunsInItsFirstBeamsRamp) {
    osc.View(0).Beam(1).SetGroup(2);
    TLayoutOptions options;
    options.Sweep = sweep.get();
    options.BeamColors = true;
    const TGraphPicture p = Layout(options);
    const std::vector<TDrawItem> runs = Items(p, TDrawItem::RunLegend);
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_NE(runs[0].Y, runs[2].Y) << "one row of names per band";
    EXPECT_EQ(runs[2].Color,
              SweepRamp(TColorScheme::Gray, BeamPaletteColor(TColorScheme::Gray, 1), 2)[0]);
}

TEST_F(Overlay, NoReferenceRunWhileASweepIsShown) {
    std::vector<double> half(static_cast<size_t>(signals.QuantCount()), 0.5);
    const std::vector<const double*> reference{half.data(), half.data()};
    TLayoutOptions options;
    options.BeamColors = true;
    options.Legend = true;
    options.ReferenceLabel = "опорный: 12:00:00";
    EXPECT_EQ(Items(Layout(options, &reference), TDrawItem::Beam).size(), 4u) << "without";
    options.Sweep = sweep.get();
    const TGraphPicture p = Layout(options, &reference);
    EXPECT_EQ(Items(p, TDrawItem::Beam).size(), 4u) << "two runs of two beams, no reference";
    for (const TDrawItem& item : p.Items) EXPECT_FALSE(item.Dashed);
}

TEST_F(Overlay, RunsThatCannotBeShownAreLeftOut) {
    // Every run failed: the current run is drawn as without a sweep.
    const TSweepShownPtr failed =
        MakeHandSweep(signals, {1, 2}, [](int, int, int) { return 1.0; }, {0, 1});
    TLayoutOptions options;
    options.Sweep = failed.get();
    EXPECT_TRUE(OverlayRuns(*failed, 2, signals.QuantCount()).empty());
    const TGraphPicture p = Layout(options);
    EXPECT_EQ(Items(p, TDrawItem::Beam).size(), 2u);
    EXPECT_TRUE(Items(p, TDrawItem::RunLegend).empty());
    // A run of another document (fewer signals, fewer quanta) is not drawn over this one.
    EXPECT_EQ(OverlayRuns(*sweep, 2, signals.QuantCount()).size(), 2u);
    EXPECT_TRUE(OverlayRuns(*sweep, 3, signals.QuantCount()).empty());
    EXPECT_TRUE(OverlayRuns(*sweep, 2, signals.QuantCount() + 1).empty());
}

TEST_F(Overlay, ASharedGroupScaleSpansEveryRunAndBeam) {
    TLayoutOptions options;
    options.Sweep = sweep.get();
    options.SharedGroupScale = true;
    const std::vector<const TBeam*> both{&osc.View(0).Beam(0), &osc.View(0).Beam(1)};
    EXPECT_DOUBLE_EQ(OverlayAutoMax(OverlayRuns(*sweep, 2, signals.QuantCount()), both),
                     sweep->Result.Runs[2].Signals->Data().GetMax(0));
    const TGraphPicture p = Layout(options);
    const std::vector<TDrawItem> beams = Items(p, TDrawItem::Beam);
    ASSERT_EQ(beams.size(), 4u);
    // B = 1 in every run, on the scale of A's largest run (about 3): a third of the half band.
    const auto [top, bottom] = Rows(p, beams[2]);
    EXPECT_EQ(top, bottom);
    EXPECT_NEAR(top, 100 - 100 / 3.0, 2);
}

TEST_F(Overlay, TheGridReadsTheScaleTheRunsShare) {
    // The current run's A is 0 everywhere: on its own it has no scale to read.
    TLayoutOptions options;
    TGridLayout grid;
    LayoutGrid(osc, &osc.View(0), signals.Data(), signals.QuantTime(), 400, 201, grid, options,
               {12, 6});
    const auto largest = [&grid] {
        double m = 0;
        for (const TGridText& t : grid.Texts)
            if (const size_t digit = t.Text.find_first_of("0123456789");
                t.AlignRight && digit != std::string::npos) {
                double v = 0;  // the magnitude: a sign may be a Unicode minus
                std::from_chars(t.Text.data() + digit, t.Text.data() + t.Text.size(), v);
                m = std::max(m, v);
            }
        return m;
    };
    EXPECT_EQ(largest(), 0);
    options.Sweep = sweep.get();
    LayoutGrid(osc, &osc.View(0), signals.Data(), signals.QuantTime(), 400, 201, grid, options,
               {12, 6});
    EXPECT_GE(largest(), 2) << "the largest run's amplitude, about 3, at the band's edge";
    EXPECT_LE(largest(), 3);
}

// Told the painter's font, the layout gives the runs' names lines of their own above the
// traces: no trace reaches a row of the legend, however many lines the names wrap onto, and the
// grid's scale reads the band the traces use.
TEST_F(Overlay, TheRunsLegendHasItsOwnLinesAboveTheTraces) {
    TLayoutOptions options;
    options.Sweep = sweep.get();
    options.LegendText.LineHeight = 12;
    options.LegendText.Width = [](const std::string& text) {
        return 7 * static_cast<int>(text.size());
    };
    for (const int width : {400, 90}) {
        TGraphPicture p;
        LayoutGraph(osc, &osc.View(0), signals.Data(), signals.QuantTime(), signals.QuantCount(),
                    width, 201, p, nullptr, options);
        // The last legend line's bottom row, as the painter places the entries.
        TLegendPen pen;
        int legendBottom = -1;
        for (const TDrawItem& item : p.Items)
            if (item.What == TDrawItem::GroupNumber || item.What == TDrawItem::RunLegend)
                legendBottom = std::max(
                    legendBottom, PlaceLegendItem(item, pen, options.LegendText, width).Y + 12 - 1);
        EXPECT_GE(legendBottom, width == 90 ? 12 * 3 - 1 : 12 - 1) << "the names wrap when narrow";
        const std::vector<TDrawItem> beams = Items(p, TDrawItem::Beam);
        ASSERT_EQ(beams.size(), 4u);
        for (const TDrawItem& beam : beams)
            EXPECT_GT(Rows(p, beam).first, legendBottom) << "width " << width;
        // Run 2's A spans its band: the band is the one under the legend.
        const auto [top, bottom] = Rows(p, beams[1]);
        EXPECT_LE(top, legendBottom + 3);
        EXPECT_GE(bottom, 198);
        const std::vector<TBand> bands =
            LayoutTraceBands(osc, osc.View(0), signals.Data(), width, 201, options);
        ASSERT_EQ(bands.size(), 1u);
        EXPECT_GT(bands[0].Top, legendBottom);
    }
    // Without the font the names lie over the band's top, as before.
    options.LegendText = {};
    const std::vector<TDrawItem> beams = Items(Layout(options), TDrawItem::Beam);
    EXPECT_LE(Rows(Layout(options), beams[1]).first, 2);
}

// The session over A = 0, B = 0.5, C = t with a sweep whose run r has every signal r + 1 times
// the current one plus r, run 1 failed.
struct SweepSession : TSessionFixture {
    void SetUp() override {
        TSessionFixture::SetUp();
        signals.Data().CalcMaxima();
        sweep = MakeHandSweep(
            signals, {0.5, 1, 2},
            [this](int r, int sig, int q) { return (r + 1) * signals.Data().GetData(sig, q) + r; },
            {1});
    }
    TSweepShownPtr sweep;
};

TEST_F(SweepSession, ThePictureAndTheReadingsFollowTheSweepShown) {
    s.SetBeamColors(true);
    s.SetLegend(true);
    s.SetSweep(sweep);
    const TLayoutOptions options = s.Picture().LayoutOptions();
    EXPECT_EQ(options.Sweep, sweep.get());
    EXPECT_TRUE(options.ReferenceLabel.empty());
    // Values at T0: run 0 as the current run, run 2 three times it plus 2.
    const std::vector<TValueRow> rows = s.Readings().ValueRows();
    ASSERT_EQ(rows.size(), 3u);
    ASSERT_EQ(rows[1].Runs.size(), 2u);
    EXPECT_EQ(rows[1].Runs[0].Text, "0.5");
    EXPECT_EQ(rows[1].Runs[1].Text, "3.5");
    const std::vector<TRgb> ramp =
        SweepRamp(TColorScheme::Gray, BeamPaletteColor(TColorScheme::Gray, 1), 2);
    EXPECT_TRUE(rows[1].Runs[1].OwnColor);
    EXPECT_EQ(rows[1].Runs[1].Color, ramp[1]);
    EXPECT_EQ(s.Readings().ValueTitles({}),
              (std::vector<std::string>{"", "Луч", "Fc = 0.5", "Fc = 2"}));
    // Statistics: a column per beam and run, beam by beam.
    const std::vector<TStatsRow> stats = s.Readings().StatsRows();
    ASSERT_EQ(stats.size(), 6u);
    EXPECT_EQ(stats[2].Name, "B\nFc = 0.5");
    EXPECT_EQ(stats[3].Name, "B\nFc = 2");
    EXPECT_EQ(stats[3].Cells[static_cast<int>(TMeasure::Max)], "3.5");
    EXPECT_EQ(stats[3].Color, ramp[1]);

    s.SetSweep(nullptr);
    EXPECT_EQ(s.Picture().LayoutOptions().Sweep, nullptr);
    EXPECT_TRUE(s.Readings().ValueRows()[1].Runs.empty());
    EXPECT_TRUE(s.Readings().ValueTitles({}).empty());
    EXPECT_EQ(s.Readings().StatsRows().size(), 3u);
}

}  // namespace
}  // namespace kvaril
