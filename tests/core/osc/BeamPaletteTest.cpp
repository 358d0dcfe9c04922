// "Вид → Цвета по лучам": the palette readable on every scheme, the colour of each beam in the
// layout, the reference run's dashed trace and legend entry, and the classic rule while off.

#include "osc/BeamPalette.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "document/uSignal.h"
#include "osc/BeamGroups.h"
#include "osc/BeamTable.h"
#include "osc/OscAnalysis.h"
#include "osc/ScreenLayout.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

constexpr TColorScheme kSchemes[] = {TColorScheme::Gray, TColorScheme::White, TColorScheme::Black};

TEST(BeamPalette, ContrastFollowsWcag) {
    EXPECT_NEAR(RelativeLuminance({255, 255, 255}), 1.0, 1e-12);
    EXPECT_NEAR(RelativeLuminance({0, 0, 0}), 0.0, 1e-12);
    EXPECT_NEAR(ContrastRatio({255, 255, 255}, {0, 0, 0}), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio({0, 0, 0}, {255, 255, 255}), 21.0, 1e-9) << "either order";
    EXPECT_NEAR(ContrastRatio({120, 30, 200}, {120, 30, 200}), 1.0, 1e-12);
    // Known values: pure red on white 4.0, mid grey #777 on white 4.48.
    EXPECT_NEAR(ContrastRatio({255, 0, 0}, {255, 255, 255}), 3.998, 1e-3);
    EXPECT_NEAR(ContrastRatio({0x77, 0x77, 0x77}, {255, 255, 255}), 4.478, 1e-3);
}

TEST(BeamPalette, AtLeastTenDistinctColoursReadableOnEachScheme) {
    ASSERT_GE(BeamPaletteSize(), 10);
    for (TColorScheme scheme : kSchemes) {
        const TRgb background = SchemeBackground(scheme);
        std::set<std::tuple<int, int, int>> seen;
        for (int k = 0; k < BeamPaletteSize(); ++k) {
            const TRgb c = BeamPaletteColor(scheme, k);
            EXPECT_GE(ContrastRatio(c, background), kMinBeamContrast)
                << "scheme " << static_cast<int>(scheme) << ", colour " << k;
            seen.insert({c.R, c.G, c.B});
        }
        EXPECT_EQ(seen.size(), static_cast<size_t>(BeamPaletteSize())) << "all distinct";
        EXPECT_EQ(BeamPaletteColor(scheme, BeamPaletteSize()), BeamPaletteColor(scheme, 0));
        EXPECT_EQ(BeamPaletteColor(scheme, -1), BeamPaletteColor(scheme, BeamPaletteSize() - 1));
    }
}

TEST(BeamPalette, StartsWithTheClassicColoursWhereTheyAreReadable) {
    for (TColorScheme scheme : {TColorScheme::White, TColorScheme::Black})
        for (int k = 0; k < 6; ++k) EXPECT_EQ(BeamPaletteColor(scheme, k), BeamColor(scheme, k));
    // The classic gray scheme's white, red and greens fall below 3:1; its palette differs.
    EXPECT_LT(ContrastRatio(BeamColor(TColorScheme::Gray, 5), SchemeBackground(TColorScheme::Gray)),
              kMinBeamContrast);
}

TEST(BeamPalette, TheColourTableOfEachChoice) {
    const std::vector<TRgb> classic = BeamColorTable(TColorScheme::Gray, false);
    ASSERT_EQ(classic.size(), 6u);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(classic[static_cast<size_t>(k)], BeamColor(TColorScheme::Gray, k));
    EXPECT_EQ(BeamColorTable(TColorScheme::Black, true).size(),
              static_cast<size_t>(BeamPaletteSize()));
    EXPECT_EQ(BeamColorOf(TColorScheme::White, true, 7), BeamPaletteColor(TColorScheme::White, 7));
    EXPECT_EQ(BeamColorOf(TColorScheme::White, false, 7), BeamColor(TColorScheme::White, 1));
}

// Signals in the given groups (0: not shown), one screen, a run of 1000 quanta.
struct Screen {
    explicit Screen(std::vector<int> groups) {
        for (size_t i = 0; i < groups.size(); ++i) {
            auto s = std::make_unique<TSignal>(signals);
            s->SetName("S" + std::to_string(i));
            signals.Insert(std::move(s), -1);
        }
        signals.SetTotalTime(1000 * signals.QuantTime());
        osc.SyncWithSignals(signals);
        for (size_t i = 0; i < groups.size(); ++i)
            osc.View(0).Beam(static_cast<int>(i)).SetGroup(groups[i]);
        data.SetSize(static_cast<int32_t>(groups.size()), signals.QuantCount());
        for (int s = 0; s < data.SignalCount(); ++s)
            for (int q = 0; q < data.SampleCount(); ++q) data.SetData(s, q, std::sin(q * 0.01 + s));
        data.CalcMaxima();
    }
    TGraphPicture Layout(const TLayoutOptions& options,
                         const std::vector<const double*>* reference = nullptr) {
        TGraphPicture p;
        LayoutGraph(osc, &osc.View(0), data, signals.QuantTime(), signals.QuantCount(), 400, 400, p,
                    reference, options);
        return p;
    }
    std::vector<TDrawItem> Items(const TGraphPicture& p, TDrawItem::Kind kind) {
        std::vector<TDrawItem> out;
        for (const TDrawItem& item : p.Items)
            if (item.What == kind) out.push_back(item);
        return out;
    }
    TSignals signals;
    TOsc osc;
    TSignalsData data;
};

TEST(BeamColors, SixBeamsInGroupsOfTheirOwnGetSixColoursWhileTheClassicRuleGivesOne) {
    Screen s({1, 2, 3, 4, 5, 6});
    TLayoutOptions options;
    const std::vector<TDrawItem> classic = s.Items(s.Layout(options), TDrawItem::Beam);
    ASSERT_EQ(classic.size(), 6u);
    for (const TDrawItem& beam : classic) EXPECT_EQ(beam.Color, BeamColor(TColorScheme::Gray, 0));
    options.BeamColors = true;
    const std::vector<TDrawItem> own = s.Items(s.Layout(options), TDrawItem::Beam);
    ASSERT_EQ(own.size(), 6u);
    for (size_t k = 0; k < own.size(); ++k)
        EXPECT_EQ(own[k].Color, BeamPaletteColor(TColorScheme::Gray, static_cast<int>(k)));
}

TEST(BeamColors, ABeamKeepsItsColourInAnotherGroupAndHiddenBeamsTakeNone) {
    // S1 hidden; S3 drawn in group 1 before S0 and S2 in group 2.
    Screen s({2, 0, 2, 1});
    TLayoutOptions options;
    options.BeamColors = true;
    options.Legend = true;
    options.Names = {"S0", "S1", "S2", "S3"};
    const std::vector<TDrawItem> legend = s.Items(s.Layout(options), TDrawItem::Legend);
    ASSERT_EQ(legend.size(), 3u);
    EXPECT_EQ(legend[0].Text, "S3");
    EXPECT_EQ(legend[0].Color, BeamPaletteColor(TColorScheme::Gray, 2)) << "third shown beam";
    EXPECT_EQ(legend[1].Text, "S0");
    EXPECT_EQ(legend[1].Color, BeamPaletteColor(TColorScheme::Gray, 0));
    EXPECT_EQ(legend[2].Color, BeamPaletteColor(TColorScheme::Gray, 1));
    // The tables and spectra take the same colours.
    const TBeamGrouping grouping(s.osc.View(0));
    for (int r = 0; r < grouping.RowCount(); ++r) {
        const TValueCell cell =
            ValueCell(grouping, &s.osc.View(0), s.signals, r, 1, -1, nullptr, true);
        EXPECT_EQ(BeamColorOf(TColorScheme::Gray, true, cell.ColorIndex),
                  legend[static_cast<size_t>(r)].Color);
        EXPECT_EQ(ValueCell(grouping, &s.osc.View(0), s.signals, r, 1, -1).ColorIndex,
                  grouping.Row(r)->IndexInGroup)
            << "the classic rule while off";
    }
    const std::vector<TStatsRow> stats =
        StatsRows(grouping, &s.osc.View(0), s.signals, 0, 0.5, true);
    ASSERT_EQ(stats.size(), 3u);
    EXPECT_EQ(stats[0].ColorIndex, 2);
    const std::vector<TBeamChoice> chosen = ChooseBeams(grouping, {}, true);
    ASSERT_EQ(chosen.size(), 3u);
    EXPECT_EQ(chosen[0].ColorIndex, 2);
    EXPECT_EQ(chosen[1].ColorIndex, 0);
}

TEST(BeamColors, AReferenceRunIsDashedInItsBeamsColourWithAnEntryOfItsOwn) {
    Screen s({1, 1, 2});
    std::vector<double> other(static_cast<size_t>(s.data.SampleCount()), 0.25);
    const std::vector<const double*> reference{other.data(), nullptr, other.data()};
    TLayoutOptions options;
    options.Legend = true;
    options.Names = {"S0", "S1", "S2"};
    options.ReferenceLabel = ReferenceLegendText("12:03:15");
    EXPECT_EQ(options.ReferenceLabel, "опорный: 12:03:15");

    // Off: the classic paler, solid reference on the gray scheme and no entry.
    TGraphPicture classic = s.Layout(options, &reference);
    std::vector<TDrawItem> beams = s.Items(classic, TDrawItem::Beam);
    ASSERT_EQ(beams.size(), 5u);
    EXPECT_EQ(beams[0].Color, ReferenceColor(TColorScheme::Gray, 0));
    EXPECT_FALSE(beams[0].Dashed);
    for (const TDrawItem& item : s.Items(classic, TDrawItem::Legend))
        EXPECT_FALSE(item.Dashed) << item.Text;

    options.BeamColors = true;
    TGraphPicture own = s.Layout(options, &reference);
    beams = s.Items(own, TDrawItem::Beam);
    ASSERT_EQ(beams.size(), 5u);
    // Group 1: S0's reference, S0, S1; group 2: S2's reference, S2.
    EXPECT_TRUE(beams[0].Dashed);
    EXPECT_EQ(beams[0].Color, BeamPaletteColor(TColorScheme::Gray, 0));
    EXPECT_FALSE(beams[1].Dashed);
    EXPECT_EQ(beams[1].Color, beams[0].Color) << "the beam's own hue";
    EXPECT_TRUE(beams[3].Dashed);
    EXPECT_EQ(beams[3].Color, BeamPaletteColor(TColorScheme::Gray, 2));
    std::vector<TDrawItem> entries;
    for (const TDrawItem& item : s.Items(own, TDrawItem::Legend))
        if (item.Dashed) entries.push_back(item);
    ASSERT_EQ(entries.size(), 2u) << "one per band with a reference trace";
    EXPECT_EQ(entries[0].Text, "опорный: 12:03:15");
    EXPECT_EQ(entries[0].Color, BeamPaletteColor(TColorScheme::Gray, 0));
    EXPECT_EQ(entries[1].Color, BeamPaletteColor(TColorScheme::Gray, 2));

    // Without a reference run, no entry.
    for (const TDrawItem& item : s.Items(s.Layout(options), TDrawItem::Legend))
        EXPECT_FALSE(item.Dashed);
}

TEST(BeamColors, OffTheLayoutIsTheClassicOne) {
    Screen s({1, 1, 2, 1});
    TLayoutOptions off;
    off.Legend = true;
    off.Names = {"S0", "S1", "S2", "S3"};
    const TGraphPicture p = s.Layout(off);
    int k = 0;
    for (const TDrawItem& item : s.Items(p, TDrawItem::Beam)) {
        // Group 1 holds S0, S1, S3; group 2 S2.
        const int inGroup = k < 3 ? k : 0;
        EXPECT_EQ(item.Color, BeamColor(TColorScheme::Gray, inGroup));
        ++k;
    }
}

}  // namespace
}  // namespace kvaril
