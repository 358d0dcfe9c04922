// The value table, statistics over a span and spectrum requests of the current screen.

#include "osc/OscReadings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "SessionFixture.h"
#include "base/uCommon.h"
#include "document/uBeam.h"
#include "osc/BeamGroups.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

constexpr double kPi = 3.14159265358979323846;

using Readings = TSessionFixture;
using ReadingsWithReference = TReferenceFixture;

TEST_F(Readings, TheValueRowsFollowTheGroupsAndTheCursor) {
    std::vector<TValueRow> rows = s.Readings().ValueRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].Cells[1].Text, "B");
    EXPECT_EQ(rows[2].Cells[2].Text, "0") << "at T0";
    s.MousePress(100, false);
    EXPECT_EQ(s.Readings().ValueRows()[2].Cells[2].Text, "0.5") << "at the measured time";
    s.MouseRelease(100, false, 10);
    s.SelectBeams({0});
    s.EditBeam(TBeamRow::Group, "Нет");
    rows = s.Readings().ValueRows();
    ASSERT_EQ(rows.size(), 2u) << "grouping follows the edit with nothing rebuilt by hand";
    EXPECT_EQ(rows[0].Cells[1].Text, "B");
    s.ToOneGroup();
    rows = s.Readings().ValueRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].Cells[0].Text, "1");
    EXPECT_EQ(rows[2].Cells[0].ColorIndex, 2);
    s.ToManyGroups();
    EXPECT_EQ(s.Readings().ValueRows()[2].Cells[0].Text, "3");
}

// A long run's picture comes from its min/max summary; the value at the cursor still reads the
// sample of its quantum, never the extreme of a block around it (here a spike on every 64th).
TEST(ReadingsOfALongRun, TheCursorReadsItsSampleNotTheSummary) {
    TSignals signals;
    TOsc osc;
    MakeHandRun(signals, {"A"}, 1e-5, 2,
                [](int, int q) { return q % 64 == 63 ? 9999.0 : q % 1000; });
    TOscSession s{osc, signals};
    s.PrepareForRun();
    s.SetGraphWidth(200);
    ASSERT_NE(signals.Data().Summary(0), nullptr) << "the picture of 200000 quanta uses it";
    for (int x : {37, 100, 163}) {
        s.MousePress(x, false);
        const int64_t k = Round(s.Cursors().MeasureTime() / 1e-5L);
        const std::string sample = FormatFloat4(signals.Data().GetData(0, static_cast<int32_t>(k)));
        EXPECT_EQ(s.Readings().ValueRows()[0].Cells[2].Text, sample) << "column " << x;
        s.MouseRelease(x, false, 10);
    }
}

TEST_F(Readings, StatisticsFollowTheWindowAndTheMarkers) {
    Window(0.1, 0.2);
    std::vector<TStatsRow> rows = s.Readings().StatsRows();
    ASSERT_EQ(rows.size(), 3u);
    const TStatsRow& c = rows[2];
    EXPECT_EQ(c.Name, "C");
    auto cell = [](const TStatsRow& r, TMeasure col) { return r.Cells[static_cast<int>(col)]; };
    EXPECT_EQ(cell(c, TMeasure::Count), "101") << "both ends of the window count";
    EXPECT_EQ(cell(c, TMeasure::Min), "0.1");
    EXPECT_EQ(cell(c, TMeasure::TimeOfMin), "0.1");
    EXPECT_EQ(cell(c, TMeasure::Max), "0.2");
    EXPECT_EQ(cell(c, TMeasure::TimeOfMax), "0.2");
    EXPECT_EQ(cell(c, TMeasure::Mean), "0.15");
    EXPECT_EQ(cell(c, TMeasure::PeakToPeak), "0.1");
    EXPECT_EQ(cell(rows[1], TMeasure::StdDev), "0");
    EXPECT_EQ(cell(rows[1], TMeasure::Rms), "0.5");

    Label(0.5);
    Label(0.52);
    s.SetSpan("m1..m2");
    rows = s.Readings().StatsRows();
    EXPECT_EQ(cell(rows[2], TMeasure::Count), "21");
    EXPECT_EQ(cell(rows[2], TMeasure::Min), "0.5");
    s.SetSpan("m1..m9");  // names no markers: the window again
    double t0 = 0, t1 = 0;
    EXPECT_FALSE(s.Readings().SpanTimes(t0, t1));
    EXPECT_EQ(cell(s.Readings().StatsRows()[2], TMeasure::Count), "101");
}

TEST_F(Readings, HiddenBeamsHaveNoStatisticsRow) {
    View().Beam(0).SetGroup(0);
    const std::vector<TStatsRow> rows = s.Readings().StatsRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Name, "B");
}

TEST_F(Readings, SpectraOfChosenBeamsKeepTheirColours) {
    TSignalsData& d = signals.Data();
    // A: a sine of amplitude 2 at 50 Hz, on a bin of a 1000-sample range.
    for (int q = 0; q < d.SampleCount(); ++q)
        d.SetData(0, q, 2 * std::sin(2 * kPi * 50 * q * 0.001));
    BeamsToOneGroup(View());
    TSpectrumAnalyzer analyzer;
    s.SelectBeams({0, 2});
    Window(0, 0.999);
    const TSpectrumRequest request = s.Readings().SpectrumRequest();
    EXPECT_EQ(request.Span, "Окно");
    std::vector<TBeamSpectrum> spectra = BeamSpectra(analyzer, signals, request.Beams, request.T0,
                                                     request.T1, TSpectrumWindow::Hann);
    ASSERT_EQ(spectra.size(), 2u);
    EXPECT_EQ(spectra[0].Name, "A");
    EXPECT_EQ(spectra[0].ColorIndex, 0);
    EXPECT_EQ(spectra[1].Name, "C");
    EXPECT_EQ(spectra[1].ColorIndex, 2) << "C is the third beam of the one group";
    EXPECT_EQ(spectra[0].Spectrum.N, 1000);
    EXPECT_NEAR(spectra[0].Peak.Frequency, 50, 1e-6);
    EXPECT_NEAR(spectra[0].Peak.Amplitude, 2, 1e-9);
    // None chosen: every beam the screen shows.
    s.SelectBeams({});
    EXPECT_EQ(s.Readings().SpectrumRequest().Beams.size(), 3u);
}

TEST_F(Readings, TheSpectrumOffersItsIntervalsTheWindowFirst) {
    Window(0.1, 0.2);
    Label(0.5);
    Label(0.52);
    s.SetSpan("m1..m2");  // the Статистика page's span is not the spectrum's
    TSpectrumRequest r = s.Readings().SpectrumRequest();
    EXPECT_EQ(r.Span, "Окно");
    EXPECT_EQ(r.Interval, 0);
    EXPECT_DOUBLE_EQ(r.T0, 0.1);
    EXPECT_DOUBLE_EQ(r.T1, 0.2);
    std::vector<std::string> captions;
    for (const TSpectrumInterval& i : r.Intervals) captions.push_back(i.Caption);
    EXPECT_EQ(captions, (std::vector<std::string>{"Окно", "Весь запуск", "m1..m2", "A..B"}));
    EXPECT_FALSE(r.Intervals.back().Available) << "no A/B cursors yet";
    EXPECT_FALSE(ChooseInterval(r, 3));
    EXPECT_EQ(r.Span, "Окно");
    ASSERT_TRUE(ChooseInterval(r, FindInterval(r, "m1..m2")));
    EXPECT_DOUBLE_EQ(r.T0, 0.5);
    EXPECT_DOUBLE_EQ(r.T1, 0.52);
    ASSERT_TRUE(ChooseInterval(r, FindInterval(r, "Весь запуск")));
    EXPECT_DOUBLE_EQ(r.T0, 0);
    EXPECT_NEAR(r.T1, (signals.Data().SampleCount() - 1) * signals.QuantTime(), 1e-12);
    EXPECT_EQ(FindInterval(r, "A..B"), -1);
    // Cursors, when the session has them, make A..B a choice in either order.
    const std::pair<double, double> ab{0.3, 0.25};
    const std::vector<TSpectrumInterval> withCursors =
        SpectrumIntervals(*s.Current(), signals, &ab);
    ASSERT_TRUE(withCursors.back().Available);
    EXPECT_DOUBLE_EQ(withCursors.back().T0, 0.25);
    EXPECT_DOUBLE_EQ(withCursors.back().T1, 0.3);
}

// ---- with a reference run

TEST_F(ReadingsWithReference, TheValueTableShowsTheReferenceAndTheDifference) {
    s.SetReference(1);
    ASSERT_NE(s.References().Reference(), nullptr);
    const std::vector<TValueRow> rows = s.Readings().ValueRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].Cells[2].Text, "0.75");
    EXPECT_EQ(rows[1].Cells[3].Text, "0.5");
    EXPECT_EQ(rows[1].Cells[4].Text, "0.25");
    s.SetReference(0);
    EXPECT_EQ(s.Readings().ValueRows()[1].Cells[3].Text, "");
}

}  // namespace
}  // namespace kvaril
