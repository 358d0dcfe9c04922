// A measure per run of a sweep: statistics and spectral peaks of known signals in every run, a
// failed run as NaN, intervals of time, the table's texts, the curves of two constants and the
// plot's axes.

#include "osc/SweepMeasure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "HandSweep.h"
#include "base/ValueStream.h"
#include "batch/SweepBatch.h"
#include "export/DataRange.h"

namespace kvaril {
namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<double> Measures(const TSweepTable& table) {
    std::vector<double> out;
    for (const TSweepPoint& p : table.Rows) out.push_back(p.Measure);
    return out;
}

// Out = A·sin(2π·50·t) with the swept amplitude A, and Ramp = t; Q = 1 ms, T = 1 s.
class SweepMeasureTest : public ::testing::Test {
  protected:
    std::shared_ptr<TSweepShown> Sine(std::vector<double> amplitudes, std::set<int> failed = {}) {
        return MakeHandSweep(
            {"Out", "Ramp"}, 0.001, 1, {{"A", amplitudes}},
            [](const std::vector<double>& v, int s, int q) {
                return s == 0 ? v[0] * std::sin(2 * kPi * 50 * q * 0.001) : q * 0.001;
            },
            failed);
    }
    TSweepTable Measure(const TSweepShown& sweep, int signal, TMeasure quantity, double t0 = 0,
                        double t1 = 1) {
        return MeasureSweep(analyzer_, sweep, {signal, quantity, t0, t1});
    }
    TSpectrumAnalyzer analyzer_;
};

TEST_F(SweepMeasureTest, ASineAmplitudeAndRmsPerRun) {
    const auto sweep = Sine({0.5, 1, 2});
    const TSweepTable max = Measure(*sweep, 0, TMeasure::Max);
    EXPECT_EQ(max.Names, std::vector<std::string>{"A"});
    ASSERT_EQ(max.Rows.size(), 3u);
    for (int run = 0; run < 3; ++run) {
        const TSweepPoint& p = max.Rows[static_cast<size_t>(run)];
        EXPECT_EQ(p.Run, run);
        EXPECT_EQ(p.Values, sweep->Sweep.ValuesOf(run));
        EXPECT_TRUE(p.Ok);
        EXPECT_NEAR(p.Measure, p.Values[0], 1e-9);  // 50 Hz at 1 kHz: the crest is a sample
    }
    // A whole number of periods: the RMS is A/√2; the peak-to-peak 2A.
    const std::vector<double> rms = Measures(Measure(*sweep, 0, TMeasure::Rms, 0, 0.999));
    const std::vector<double> p2p = Measures(Measure(*sweep, 0, TMeasure::PeakToPeak));
    for (size_t i = 0; i < 3; ++i) {
        const double a = sweep->Sweep.ValuesOf(static_cast<int>(i))[0];
        EXPECT_NEAR(rms[i], a / std::sqrt(2.0), 1e-9);
        EXPECT_NEAR(p2p[i], 2 * a, 1e-9);
    }
}

// The cells of a CSV text by line, split at commas (the tests' names have none).
std::vector<std::vector<std::string>> CsvCells(const std::string& text) {
    std::vector<std::vector<std::string>> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.emplace_back();
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');) lines.back().push_back(cell);
    }
    return lines;
}

// The Свип page and the command line read one table of measures: every measure of every run
// is the number --stats writes for that run, or --peaks for its largest peak.
TEST_F(SweepMeasureTest, EveryMeasureIsTheNumberTheCommandLineWritesForTheRun) {
    const auto sweep = MakeHandSweep({"Out"}, 0.001, 1, {{"A", {0.5, 2}}, {"F", {50, 120}}},
                                     [](const std::vector<double>& v, int, int q) {
                                         return v[0] * std::sin(2 * kPi * v[1] * q * 0.001) + 0.1;
                                     });
    const double t0 = 0.1, t1 = 0.85;
    const TSignals& first = *sweep->Result.Runs[0].Signals;
    const TQuantRange quanta = QuantsOfRun(first, t0, t1, first.Data().SampleCount());
    const TDataRange range{{0}, quanta.First, quanta.Last};
    MemorySink stats, peaks;
    std::ostringstream warnings;
    WriteSweepStatsCsv(stats, sweep->Sweep, sweep->Result, range);
    WriteSweepPeaksCsv(peaks, sweep->Sweep, sweep->Result, range, TSpectrumWindow::Hann, {},
                       warnings);
    const auto statsCells = CsvCells(stats.bytes), peakCells = CsvCells(peaks.bytes);
    // A run's row: its only statistics line, and the first of its peak lines (rank 1).
    const auto rank = std::find(peakCells[0].begin(), peakCells[0].end(), "rank");
    ASSERT_NE(rank, peakCells[0].end());
    const size_t rankColumn = static_cast<size_t>(rank - peakCells[0].begin());
    auto rowOf = [rankColumn](const std::vector<std::vector<std::string>>& cells, int run,
                              bool peak) {
        int seen = -1;
        for (size_t i = 1; i < cells.size(); ++i)
            if ((!peak || cells[i].at(rankColumn) == "1") && ++seen == run) return cells[i];
        return std::vector<std::string>{};
    };
    int checked = 0;
    for (const TMeasureInfo& m : AllMeasures()) {
        // The statistics' and the peak table's; the automatic measures have --measure.
        if (m.Kind != TMeasureKind::Statistic && m.Kind != TMeasureKind::Peak) continue;
        const bool peak = m.Kind == TMeasureKind::Peak;
        const auto& cells = peak ? peakCells : statsCells;
        const auto header = cells.at(0);
        const auto column = std::find(header.begin(), header.end(), m.Key) - header.begin();
        ASSERT_LT(static_cast<size_t>(column), header.size()) << m.Key;
        const TSweepTable table = MeasureSweep(analyzer_, *sweep, {0, m.Id, t0, t1});
        ASSERT_EQ(table.Rows.size(), 4u);
        for (int run = 0; run < 4; ++run) {
            const auto row = rowOf(cells, run, peak);
            ASSERT_GT(row.size(), static_cast<size_t>(column)) << m.Key << " run " << run;
            EXPECT_EQ(table.Rows[static_cast<size_t>(run)].Measure,
                      std::strtod(row[static_cast<size_t>(column)].c_str(), nullptr))
                << m.Key << " run " << run;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 4 * (kStatisticCount + 3));
}

TEST_F(SweepMeasureTest, PeakFrequencyAndLevelOfATonePerRun) {
    // 100 kHz sampling, 1000 samples: bins of 100 Hz, every tone on a bin.
    const auto sweep = MakeHandSweep({"Tone"}, 1e-5, 0.01, {{"Fc", {500, 1000, 2000, 4000}, true}},
                                     [](const std::vector<double>& v, int, int q) {
                                         return 0.5 * std::sin(2 * kPi * v[0] * q * 1e-5);
                                     });
    TSweepMeasure m{0, TMeasure::PeakFrequency, 0, 0.00999, TSpectrumWindow::Hann};
    const TSweepTable f = MeasureSweep(analyzer_, *sweep, m);
    EXPECT_TRUE(f.LogX);
    const std::vector<double> want{500, 1000, 2000, 4000};
    for (size_t i = 0; i < 4; ++i) EXPECT_NEAR(f.Rows[i].Measure, want[i], 1e-6) << i;
    m.Quantity = TMeasure::PeakAmplitude;
    for (double a : Measures(MeasureSweep(analyzer_, *sweep, m))) EXPECT_NEAR(a, 0.5, 1e-9);
    m.Quantity = TMeasure::PeakLevel;
    for (double db : Measures(MeasureSweep(analyzer_, *sweep, m)))
        EXPECT_NEAR(db, 20 * std::log10(0.5), 1e-6);
    // The window the user picked is the one used: a rectangular one reads the same on-bin tone.
    m.Window = TSpectrumWindow::Rectangular;
    m.Quantity = TMeasure::PeakFrequency;
    EXPECT_NEAR(MeasureSweep(analyzer_, *sweep, m).Rows[2].Measure, 2000, 1e-6);
}

TEST_F(SweepMeasureTest, AFailedRunIsNaNAndKeepsItsPlace) {
    const auto sweep = Sine({0.5, 1, 2}, {1});
    for (TMeasure q : {TMeasure::Max, TMeasure::Count, TMeasure::PeakFrequency}) {
        const TSweepTable t = Measure(*sweep, 0, q);
        ASSERT_EQ(t.Rows.size(), 3u);
        EXPECT_FALSE(t.Rows[1].Ok);
        EXPECT_EQ(t.Rows[1].Values, std::vector<double>{1});
        EXPECT_TRUE(std::isnan(t.Rows[1].Measure)) << std::string(MeasureInfo(q).Caption);
        EXPECT_TRUE(t.Rows[0].Ok && t.Rows[2].Ok);
        EXPECT_FALSE(std::isnan(t.Rows[2].Measure));
        EXPECT_EQ(SweepMeasureText(q, t.Rows[1], 0.001), "ошибка");
    }
    const TSweepTable t = Measure(*sweep, 0, TMeasure::Max);
    EXPECT_EQ(SweepTableText(t, "max"), "A\tmax\n0.5\t0.5\n1\t\n2\t2\n");
    const std::vector<TSweepCurve> curves = SweepCurves(sweep->Sweep, t);
    ASSERT_EQ(curves.size(), 1u);
    EXPECT_EQ(curves[0].X, (std::vector<double>{0.5, 2}));
}

TEST_F(SweepMeasureTest, IntervalsOfTimeChooseTheQuantaOfEveryRun) {
    const auto sweep = Sine({1, 2});
    // Ramp = t over 0.2 .. 0.4 s: quanta 200 .. 400.
    for (const TSweepPoint& p : Measure(*sweep, 1, TMeasure::Mean, 0.2, 0.4).Rows)
        EXPECT_NEAR(p.Measure, 0.3, 1e-12);
    for (const TSweepPoint& p : Measure(*sweep, 1, TMeasure::Count, 0.2, 0.4).Rows)
        EXPECT_EQ(p.Measure, 201);
    const TSweepTable tMin = Measure(*sweep, 1, TMeasure::TimeOfMin, 0.2, 0.4);
    EXPECT_NEAR(tMin.Rows[0].Measure, 0.2, 1e-12);
    EXPECT_NEAR(Measure(*sweep, 1, TMeasure::TimeOfMax, 0.2, 0.4).Rows[1].Measure, 0.4, 1e-12);
    // A quarter period of the sine, from its zero to its crest: the minimum is 0 at 0.2 s.
    const TSweepTable sMin = Measure(*sweep, 0, TMeasure::Min, 0.2, 0.205);
    EXPECT_NEAR(sMin.Rows[1].Measure, 0, 1e-9);
    EXPECT_NEAR(Measure(*sweep, 0, TMeasure::Max, 0.2, 0.205).Rows[1].Measure, 2, 1e-9);
    // An interval beyond the run holds nothing: no number, and the page says so.
    const TSweepTable none = Measure(*sweep, 1, TMeasure::Mean, 5, 6);
    EXPECT_TRUE(none.Rows[0].Ok);
    EXPECT_TRUE(std::isnan(none.Rows[0].Measure));
    EXPECT_EQ(SweepMeasureText(TMeasure::Mean, none.Rows[0], 0.001), "нет");
    // A signal the runs do not have measures nothing either.
    EXPECT_TRUE(std::isnan(Measure(*sweep, 7, TMeasure::Mean).Rows[0].Measure));
}

TEST_F(SweepMeasureTest, NaNInTheIntervalGivesNoNumber) {
    const auto sweep = MakeHandSweep(
        {"X"}, 0.001, 0.1, {{"K", {1, 2}}},
        [](const std::vector<double>& v, int, int q) { return q == 50 && v[0] == 2 ? NAN : v[0]; });
    for (TMeasure q : {TMeasure::Mean, TMeasure::PeakFrequency}) {
        const std::vector<double> m = Measures(Measure(*sweep, 0, q, 0, 0.1));
        EXPECT_FALSE(std::isnan(m[0])) << std::string(MeasureInfo(q).Caption);
        EXPECT_TRUE(std::isnan(m[1])) << std::string(MeasureInfo(q).Caption);
    }
    // Before the NaN the second run is measured as the first.
    EXPECT_EQ(Measures(Measure(*sweep, 0, TMeasure::Mean, 0, 0.04)), (std::vector<double>{1, 2}));
}

TEST_F(SweepMeasureTest, TextsOfTheTable) {
    TSweepPoint p{0, {1000}, true, 0.000000001};
    EXPECT_EQ(SweepMeasureText(TMeasure::Mean, p, 0.001), "0");  // the statistics' rule
    p.Measure = 0.123456;
    EXPECT_EQ(SweepMeasureText(TMeasure::Rms, p, 0.001), "0.1235");
    p.Measure = 1000;
    EXPECT_EQ(SweepMeasureText(TMeasure::PeakFrequency, p, 0.001), "1,0000 кГц");
    p.Measure = -6.0206;
    EXPECT_EQ(SweepMeasureText(TMeasure::PeakLevel, p, 0.001), "\u22126,02 дБ");
    p.Measure = 201;
    EXPECT_EQ(SweepMeasureText(TMeasure::Count, p, 0.001), "201");
    EXPECT_EQ(std::string(MeasureInfo(TMeasure::Rms).Caption), "СКЗ");
    EXPECT_EQ(std::string(MeasureInfo(TMeasure::PeakFrequency).Caption), "f пика");
    EXPECT_TRUE((MeasureInfo(TMeasure::PeakLevel).Kind == TMeasureKind::Peak));
    EXPECT_FALSE((MeasureInfo(TMeasure::StdDev).Kind == TMeasureKind::Peak));
}

TEST_F(SweepMeasureTest, TwoConstantsMakeOneCurvePerValueOfTheSecond) {
    // Out = Fc · Q: the first constant changes slowest.
    const auto sweep =
        MakeHandSweep({"Out"}, 0.001, 0.01, {{"Fc", {1, 2, 3}}, {"Q", {10, 20}}},
                      [](const std::vector<double>& v, int, int) { return v[0] * v[1]; }, {2});
    const TSweepTable t = Measure(*sweep, 0, TMeasure::Mean);
    EXPECT_EQ(t.Names, (std::vector<std::string>{"Fc", "Q"}));
    EXPECT_EQ(t.Rows[3].Values, (std::vector<double>{2, 20}));
    const std::vector<TSweepCurve> curves = SweepCurves(sweep->Sweep, t);
    ASSERT_EQ(curves.size(), 2u);
    EXPECT_EQ(curves[0].Label, "Q = 10");
    EXPECT_EQ(curves[1].Label, "Q = 20");
    // Run 2 (Fc = 2, Q = 10) failed: a gap in the first curve.
    EXPECT_EQ(curves[0].X, (std::vector<double>{1, 3}));
    EXPECT_EQ(curves[0].Y, (std::vector<double>{10, 30}));
    EXPECT_EQ(curves[1].X, (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(curves[1].Y, (std::vector<double>{20, 40, 60}));
    EXPECT_EQ(SweepTableText(t, "среднее"),
              "Fc\tQ\tсреднее\n1\t10\t10\n1\t20\t20\n2\t10\t\n2\t20\t40\n3\t10\t30\n3\t20\t60\n");
}

TEST_F(SweepMeasureTest, ALogarithmicMeasureAxisOnlyForPositiveNumbersSpanningADecade) {
    auto logY = [this](std::vector<double> amplitudes, TMeasure q = TMeasure::Max) {
        return Measure(*Sine(std::move(amplitudes)), 0, q).LogY;
    };
    EXPECT_TRUE(logY({0.1, 1, 10}));
    EXPECT_FALSE(logY({0.5, 1, 2}));  // within a decade
    EXPECT_FALSE(logY({1, 10}));      // a decade exactly: more is asked
    EXPECT_TRUE(logY({1, 10.001}));
    EXPECT_FALSE(logY({0.1, 1, 10}, TMeasure::Min));  // negative
    EXPECT_FALSE(logY({0, 1, 10}));                   // a zero cannot be drawn on it
    EXPECT_FALSE(Measure(*Sine({0.1, 1, 10}), 0, TMeasure::Max).LogX);  // a list
    // A failed run does not count against it.
    EXPECT_TRUE(Measure(*Sine({0.1, 1, 10, 100}, {0}), 0, TMeasure::Max).LogY);
}

TEST_F(SweepMeasureTest, PlotAxesHoldEveryPointWithTicksInside) {
    const std::vector<TSweepCurve> curves{{"", {500, 1000, 4000}, {0.01, 0.1, 1}},
                                          {"", {500, 2000}, {0.5, 0.02}}};
    const TSweepPlotAxes a = FitSweepAxes(curves, true, true, 400, 200);
    EXPECT_TRUE(a.LogX && a.LogY);
    for (const TSweepCurve& c : curves)
        for (size_t i = 0; i < c.X.size(); ++i) {
            EXPECT_GT(a.X(c.X[i]), 0);
            EXPECT_LT(a.X(c.X[i]), 400);
            EXPECT_GT(a.Y(c.Y[i]), 0);
            EXPECT_LT(a.Y(c.Y[i]), 200);
        }
    EXPECT_LT(a.Y(1), a.Y(0.01));  // larger measures higher up
    // Equal steps of the ratio are equal steps of pixels.
    EXPECT_NEAR(a.X(1000) - a.X(500), a.X(4000) - a.X(2000), 1e-9);
    const std::vector<TAxisTick> y = a.YTicks();
    ASSERT_GE(y.size(), 2u);
    for (const TAxisTick& t : y) EXPECT_NEAR(t.Pixel, a.Y(t.Value), 1e-9) << t.Text;
    const std::vector<TAxisTick> x = a.XTicks();
    ASSERT_FALSE(x.empty());
    for (const TAxisTick& t : x) EXPECT_NEAR(t.Pixel, a.X(t.Value), 1e-9) << t.Text;
    // A negative number cannot go on a logarithmic axis: that axis is linear then.
    const TSweepPlotAxes linear = FitSweepAxes({{"", {1, 2}, {-1, 1}}}, true, true, 400, 200);
    EXPECT_TRUE(linear.LogX);
    EXPECT_FALSE(linear.LogY);
    // One point: a range about it, not an empty one.
    const TSweepPlotAxes one = FitSweepAxes({{"", {3}, {0}}}, false, false, 400, 200);
    EXPECT_LT(one.XMin, 3);
    EXPECT_GT(one.XMax, 3);
    EXPECT_NEAR(one.Y(0), 100, 1e-9);
    // The same RMS from every run, apart from rounding: one value with room about it, and ticks
    // of a few digits, not a range of rounding noise.
    const TSweepPlotAxes same = FitSweepAxes(
        {{"", {1000, 4000}, {0.70710678118654746, 0.70710678118654757}}}, false, false, 400, 200);
    EXPECT_NEAR(same.YMin, 0.6364, 1e-3);
    EXPECT_NEAR(same.YMax, 0.7778, 1e-3);
    for (const TAxisTick& t : same.YTicks()) EXPECT_LE(t.Text.size(), 8u) << t.Text;
}

}  // namespace
}  // namespace kvaril

namespace kvaril {
namespace {

// The Свип page plots an automatic measure as it plots a statistic: squares whose duty is the
// swept constant give it back run by run.
TEST(SweepAutomaticMeasure, ASweptDutyIsMeasuredInEveryRun) {
    const auto sweep = MakeHandSweep({"Square"}, 1e-5, 0.01, {{"D", {20, 50, 70}}},
                                     [](const std::vector<double>& v, int, int q) {
                                         return (q + 50) % 200 < 2 * v[0] ? 1.0 : 0.0;
                                     });
    TSpectrumAnalyzer analyzer;
    const TSweepTable table = MeasureSweep(analyzer, *sweep, {0, TMeasure::Duty, 0, 0.01});
    ASSERT_EQ(table.Rows.size(), 3u);
    for (const TSweepPoint& row : table.Rows) EXPECT_NEAR(row.Measure, row.Values[0], 1e-9);
    EXPECT_EQ(SweepMeasureText(TMeasure::Duty, table.Rows[1], 1e-5), "50,00 %");
}

}  // namespace
}  // namespace kvaril
