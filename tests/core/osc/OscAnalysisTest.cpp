// Spans between a screen's markers, their suggestions, and per-beam spectra.

#include "osc/OscAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>

#include "SessionFixture.h"
#include "document/uBeam.h"
#include "document/uSignal.h"
#include "osc/BeamGroups.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

using Analysis = TSessionFixture;

struct SpanCase {
    const char* Text;
    bool Ok;
    double T0, T1;
};

struct Spans : Analysis, ::testing::WithParamInterface<SpanCase> {};

TEST_P(Spans, ResolveAgainstTheScreensMarkers) {
    Label(0.1);
    Label(0.4);
    Label(0.7);
    Window(0.2, 0.9);
    double t0 = -1, t1 = -1;
    EXPECT_EQ(ResolveSpan(View(), GetParam().Text, t0, t1), GetParam().Ok);
    EXPECT_DOUBLE_EQ(t0, GetParam().T0);
    EXPECT_DOUBLE_EQ(t1, GetParam().T1);
}

INSTANTIATE_TEST_SUITE_P(
    Analysis, Spans,
    ::testing::Values(SpanCase{"Окно", true, 0.2, 0.9}, SpanCase{"", true, 0.2, 0.9},
                      SpanCase{"m1..m2", true, 0.1, 0.4}, SpanCase{"m3..m1", true, 0.1, 0.7},
                      SpanCase{" m2 .. m3", true, 0.4, 0.7}, SpanCase{"m1..m4", false, 0.2, 0.9},
                      SpanCase{"m0..m1", false, 0.2, 0.9}, SpanCase{"m1..", false, 0.2, 0.9},
                      SpanCase{"m1-m2", false, 0.2, 0.9}, SpanCase{"m1..m2x", false, 0.2, 0.9}));

TEST_F(Analysis, SpanSuggestionsAreTheOneListOfEveryAnalysis) {
    EXPECT_EQ(SpanSuggestions(View()), (std::vector<std::string>{"Окно", "Весь запуск"}));
    Label(0.1);
    Label(0.2);
    Label(0.3);
    EXPECT_EQ(SpanSuggestions(View()),
              (std::vector<std::string>{"Окно", "Весь запуск", "m1..m2", "m1..m3", "m2..m3"}));
    EXPECT_EQ(SpanSuggestions(View(), true).back(), "A..B") << "while the cursors are shown";
    // The spectrum window lists the same, A..B always, to be chosen only with the cursors.
    const std::vector<TSpectrumInterval> listed = SpectrumIntervals(View(), signals, nullptr);
    ASSERT_EQ(listed.size(), 6u);
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(listed[i].Caption, SpanSuggestions(View())[i]);
    EXPECT_FALSE(listed[5].Available);
}

TEST_F(Analysis, TheWholeRunAndTheCursorsResolveWhereTheyAreGiven) {
    Window(0.2, 0.9);
    double t0 = -1, t1 = -1;
    EXPECT_TRUE(ResolveSpan(View(), "Весь запуск", t0, t1, &signals));
    EXPECT_DOUBLE_EQ(t0, 0);
    EXPECT_DOUBLE_EQ(t1, 0.999);
    EXPECT_FALSE(ResolveSpan(View(), "Весь запуск", t0, t1)) << "no run given";
    EXPECT_DOUBLE_EQ(t0, 0.2) << "then the window";
    const std::pair<double, double> ab{0.7, 0.3};
    EXPECT_TRUE(ResolveSpan(View(), "A..B", t0, t1, &signals, &ab));
    EXPECT_DOUBLE_EQ(t0, 0.3);
    EXPECT_DOUBLE_EQ(t1, 0.7);
    EXPECT_FALSE(ResolveSpan(View(), "A..B", t0, t1, &signals)) << "the cursors hidden";
}

// The Статистика page measures over any interval of the list, A..B and the whole run included.
TEST_F(Analysis, StatisticsTakeTheWholeRunAndTheCursors) {
    s.ShowCursorPair(true);
    s.SetCursorTimes(0.25, 0.5);
    double t0 = 0, t1 = 0;
    s.SetSpan("A..B");
    EXPECT_TRUE(s.Readings().SpanTimes(t0, t1));
    EXPECT_DOUBLE_EQ(t0, 0.25);
    EXPECT_DOUBLE_EQ(t1, 0.5);
    const std::vector<TStatsRow> rows = s.Readings().StatsRows();
    ASSERT_FALSE(rows.empty());
    s.SetSpan("Весь запуск");
    EXPECT_TRUE(s.Readings().SpanTimes(t0, t1));
    EXPECT_DOUBLE_EQ(t1, 0.999);
    s.ShowCursorPair(false);
    s.SetSpan("A..B");
    EXPECT_FALSE(s.Readings().SpanTimes(t0, t1)) << "hidden cursors name no interval";
}

TEST_F(Analysis, ASpectrumOfABeamWithNaNSaysSo) {
    signals.Data().SetData(1, 10, std::nan(""));
    TSpectrumAnalyzer analyzer;
    const std::vector<TBeamSpectrum> spectra = BeamSpectra(
        analyzer, signals, ChooseBeams(TBeamGrouping(View()), {1}), 0, 1, TSpectrumWindow::Hann);
    ASSERT_EQ(spectra.size(), 1u);
    EXPECT_TRUE(spectra[0].Spectrum.NonFinite);
}

// The window runs long analyses beside itself: they tell how far they are and stop when asked.
TEST_F(Analysis, StatisticsAndSpectraOfSeveralBeamsReportProgressAndStop) {
    const TBeamGrouping grouping(View());
    ASSERT_GE(grouping.RowCount(), 3);
    std::vector<std::pair<int64_t, int64_t>> reports;
    TWorkHooks hooks;
    hooks.Progress = [&](int64_t done, int64_t total) { reports.emplace_back(done, total); };
    EXPECT_EQ(StatsRows(grouping, &View(), signals, 0, 1, false, hooks).size(),
              static_cast<size_t>(grouping.RowCount()));
    ASSERT_EQ(reports.size(), static_cast<size_t>(grouping.RowCount() - 1)) << "between rows";
    const int64_t perRow = AnalysisQuanta(signals, 0, 1);
    EXPECT_EQ(reports[0], std::make_pair(perRow, perRow * grouping.RowCount()));

    reports.clear();
    TSpectrumAnalyzer analyzer;
    const std::vector<TBeamChoice> beams = ChooseBeams(grouping, {0, 1, 2});
    EXPECT_EQ(BeamSpectra(analyzer, signals, beams, 0, 1, TSpectrumWindow::Hann, hooks).size(), 3u);
    EXPECT_EQ(reports, (std::vector<std::pair<int64_t, int64_t>>{{1, 3}, {2, 3}}));

    hooks.Cancelled = [] { return true; };
    EXPECT_THROW(BeamSpectra(analyzer, signals, beams, 0, 1, TSpectrumWindow::Hann, hooks),
                 EWorkCancelled);
    EXPECT_THROW(StatsRows(grouping, &View(), signals, 0, 1, false, hooks), EWorkCancelled);
}

}  // namespace
}  // namespace kvaril
