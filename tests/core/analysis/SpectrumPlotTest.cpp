// Axes of the spectrum view: fitting to spectra and the way back from pixels.

#include "analysis/SpectrumPlot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace kvaril {
namespace {

TSpectrum Spectrum(std::vector<double> amplitudes, double quantTime = 0.001) {
    TSpectrum s;
    s.N = 2 * (static_cast<int>(amplitudes.size()) - 1);
    s.QuantTime = quantTime;
    s.Amplitude = std::move(amplitudes);
    return s;
}

TEST(SpectrumAxes, LinearAxesShowEveryBinFromZero) {
    const TSpectrum s = Spectrum({0.5, 2, 1, 0});  // N = 6: bins at 0, 166.7, 333.3, 500 Hz
    const TSpectrumAxes a = FitSpectrumAxes({&s}, false, false, 300, 100);
    EXPECT_DOUBLE_EQ(a.FMin, 0);
    EXPECT_DOUBLE_EQ(a.FMax, 500);
    EXPECT_DOUBLE_EQ(a.AMin, 0);
    EXPECT_DOUBLE_EQ(a.AMax, 2.1) << "5% of headroom over the largest amplitude";
    EXPECT_DOUBLE_EQ(a.X(250), 150);
    EXPECT_DOUBLE_EQ(a.Y(0), 100);
    EXPECT_NEAR(a.FrequencyAt(a.X(123)), 123, 1e-9);
    EXPECT_NEAR(a.LevelAt(a.Y(1.5)), 1.5, 1e-12);
}

TEST(SpectrumAxes, LogarithmicFrequencyLeavesOutTheZeroBin) {
    const TSpectrum s = Spectrum({1, 1, 1, 1, 1, 1}, 0.01);  // N = 10: 10 .. 50 Hz
    const TSpectrumAxes a = FitSpectrumAxes({&s}, true, false, 200, 100);
    EXPECT_DOUBLE_EQ(a.FMin, 10);
    EXPECT_DOUBLE_EQ(a.FMax, 50);
    EXPECT_DOUBLE_EQ(a.X(10), 0);
    EXPECT_DOUBLE_EQ(a.X(50), 200);
    EXPECT_NEAR(a.FrequencyAt(a.X(20)), 20, 1e-9);
    EXPECT_NEAR(a.X(std::sqrt(500.0)), 100, 1e-9) << "the geometric mean sits in the middle";
}

TEST(SpectrumAxes, DecibelsInWholeTensAndAtMost160Below) {
    const TSpectrum s = Spectrum({0, 1e-12, 3, 0.01});  // -200 dB floor for the zero
    const TSpectrumAxes a = FitSpectrumAxes({&s}, false, true, 100, 100);
    EXPECT_DOUBLE_EQ(a.AMax, 10);  // 20·log10(3) = 9.5
    EXPECT_DOUBLE_EQ(a.AMin, -150);
    EXPECT_NEAR(a.LevelAt(a.Y(1)), 0, 1e-9);
}

TEST(SpectrumAxes, NoFiniteSpectrumGivesUsableAxes) {
    TSpectrum bad = Spectrum({1, 2, 3});
    bad.NonFinite = true;
    for (bool log : {false, true})
        for (bool db : {false, true}) {
            const TSpectrumAxes a = FitSpectrumAxes({&bad, nullptr}, log, db, 0, 0);
            EXPECT_GT(a.FMax, a.FMin);
            EXPECT_GT(a.AMax, a.AMin);
            EXPECT_TRUE(std::isfinite(a.X(a.FMax)) && std::isfinite(a.Y(1)));
            EXPECT_EQ(a.Width, 1);
        }
}

TEST(SpectrumAxes, DecadesWithinTheRange) {
    EXPECT_EQ(DecadeTicks(0.5, 2000), (std::vector<double>{1, 10, 100, 1000}));
    EXPECT_EQ(DecadeTicks(10, 10), (std::vector<double>{10}));
    EXPECT_TRUE(DecadeTicks(0, 100).empty());
    EXPECT_TRUE(DecadeTicks(20, 90).empty());
    EXPECT_TRUE(DecadeTicks(100, 1).empty());
}

// ---- the view: zoom and pan

// 0 .. 250 kHz in 2501 bins of 100 Hz, a 500 px by 200 px plot.
TSpectrumView WideView(const TSpectrum& s, bool log = false, bool db = true) {
    TSpectrumView v;
    v.Fit({&s}, log, db, 500, 200);
    return v;
}

TSpectrum Wide() {
    std::vector<double> a(2501, 1e-4);
    a[190] = 0.25;
    a[200] = 1;
    a[210] = 0.25;
    return Spectrum(std::move(a), 2e-6);
}

TEST(SpectrumView, TheWheelZoomsAboutThePointerOnBothAxes) {
    const TSpectrum s = Wide();
    TSpectrumView v = WideView(s);
    EXPECT_FALSE(v.Zoomed());
    const double x = v.Axes().X(20000), y = v.Axes().Y(0.25);
    v.ZoomAt(x, y, 3, true, true);
    EXPECT_TRUE(v.Zoomed());
    const double factor = std::pow(kWheelZoom, -3);
    EXPECT_NEAR(v.Axes().FMax - v.Axes().FMin, 250000 * factor, 1e-6);
    EXPECT_NEAR(v.Axes().X(20000), x, 1e-9) << "the point under the pointer stays";
    EXPECT_NEAR(v.Axes().Y(0.25), y, 1e-9);
    // Back out as far as it goes: all of it, and never more.
    v.ZoomAt(x, y, -30, true, false);
    EXPECT_DOUBLE_EQ(v.Axes().FMin, 0);
    EXPECT_DOUBLE_EQ(v.Axes().FMax, 250000);
    v.ShowAll();
    EXPECT_FALSE(v.Zoomed());
    EXPECT_EQ(v.Axes().AMin, v.Full().AMin);
    EXPECT_EQ(v.Axes().Width, 500);
}

TEST(SpectrumView, AZoomedViewPansWithinTheSpectrumAndFreelyInLevel) {
    const TSpectrum s = Wide();
    TSpectrumView v = WideView(s);
    ASSERT_TRUE(v.SetFrequencyRange(18000, 22000));
    EXPECT_DOUBLE_EQ(v.Axes().FMin, 18000);
    EXPECT_DOUBLE_EQ(v.Axes().FMax, 22000);
    v.Pan(100, 0);  // the content 100 px right: 1/5 of 4 kHz lower
    EXPECT_NEAR(v.Axes().FMin, 17200, 1e-6);
    EXPECT_NEAR(v.Axes().FMax, 21200, 1e-6);
    v.Pan(10000, 0);  // stops at 0 Hz
    EXPECT_DOUBLE_EQ(v.Axes().FMin, 0);
    EXPECT_NEAR(v.Axes().FMax, 4000, 1e-6);
    const double a0 = v.Axes().AMin, a1 = v.Axes().AMax;
    v.Pan(0, 50);  // the content 50 px down: levels a quarter of the range higher
    EXPECT_NEAR(v.Axes().AMin, a0 + (a1 - a0) / 4, 1e-9);
    EXPECT_NEAR(v.Axes().AMax, a1 + (a1 - a0) / 4, 1e-9);
    EXPECT_FALSE(v.SetFrequencyRange(300000, 400000)) << "beyond the spectrum";
    EXPECT_FALSE(v.SetFrequencyRange(18000, 300000)) << "reaching beyond it: refused whole";
    EXPECT_NEAR(v.Axes().FMax, 4000, 1e-6) << "nothing changed";
    ASSERT_TRUE(v.SetFrequencyRange(18000, v.Full().FMax * 1.0001)) << "a rounded end";
    EXPECT_DOUBLE_EQ(v.Axes().FMax, v.Full().FMax);
    EXPECT_FALSE(v.SetFrequencyRange(5, 5));
    EXPECT_TRUE(v.SetFrequencyRange(22000, 18000)) << "either order";
    EXPECT_DOUBLE_EQ(v.Axes().FMin, 18000);
}

TEST(SpectrumView, TheRubberBandFillsThePlot) {
    const TSpectrum s = Wide();
    TSpectrumView v = WideView(s);
    const TSpectrumAxes& a = v.Axes();
    const double x0 = a.X(18500), x1 = a.X(21500), y0 = a.Y(1), y1 = a.Y(0.1);
    ASSERT_TRUE(v.ZoomToBox(x1, y1, x0, y0));  // dragged either way
    EXPECT_NEAR(v.Axes().FMin, 18500, 1e-6);
    EXPECT_NEAR(v.Axes().FMax, 21500, 1e-6);
    EXPECT_NEAR(v.Axes().AMax, 0, 1e-9);
    EXPECT_NEAR(v.Axes().AMin, -20, 1e-9);
    // The 19 and 21 kHz lines, 5 px from the carrier before, are now far apart.
    EXPECT_GT(v.Axes().X(21000) - v.Axes().X(20000), 150);
    EXPECT_FALSE(v.ZoomToBox(10, 10, 12, 11)) << "a click is no box";
    // A band only 2 px high zooms frequency alone.
    const double amin = v.Axes().AMin;
    ASSERT_TRUE(v.ZoomToBox(100, 50, 300, 52));
    EXPECT_EQ(v.Axes().AMin, amin);
}

TEST(SpectrumView, NewSpectraKeepTheChosenRangeAChangedModeShowsAll) {
    const TSpectrum s = Wide();
    TSpectrumView v = WideView(s);
    v.SetFrequencyRange(18000, 22000);
    v.Fit({&s}, false, true, 600, 200);  // another window function, say
    EXPECT_DOUBLE_EQ(v.Axes().FMin, 18000);
    EXPECT_EQ(v.Axes().Width, 600);
    v.Fit({&s}, false, false, 600, 200);  // linear amplitude: the levels refit, f stays
    EXPECT_DOUBLE_EQ(v.Axes().FMin, 18000);
    EXPECT_DOUBLE_EQ(v.Axes().AMax, v.Full().AMax);
    v.Fit({&s}, true, false, 600, 200);  // logarithmic frequency: all of it
    EXPECT_DOUBLE_EQ(v.Axes().FMin, 100);
    EXPECT_DOUBLE_EQ(v.Axes().FMax, 250000);
    // Zooming on a logarithmic axis keeps the point under the pointer too.
    const double x = v.Axes().X(20000);
    v.ZoomAt(x, 0, 4, true, false);
    EXPECT_NEAR(v.Axes().X(20000), x, 1e-9);
    EXPECT_NEAR(std::log10(v.Axes().FMax / v.Axes().FMin),
                std::log10(2500.0) * std::pow(kWheelZoom, -4), 1e-9);
}

// ---- the readout

TEST(SpectrumReadout, SnapsToTheNearestBinOfTheNearestCurveAndReadsEveryCurveThere) {
    TSpectrum a = Wide();
    TSpectrum b = Wide();
    b.Amplitude[200] = 0.5;
    b.Amplitude[201] = 0.01;
    TSpectrumView v;
    v.Fit({&a, &b}, false, true, 500, 200);
    v.SetFrequencyRange(19000, 21000);  // 20 bins over 500 px: 25 px a bin
    const TSpectrumAxes& ax = v.Axes();
    // The pointer just above b's carrier top, nearer to it than to a's.
    const double yb = ax.Y(0.5);
    TSpectrumReadout r = SnapReadout(ax, {&a, &b}, ax.X(20000) + 4, yb - 3);
    EXPECT_EQ(r.Curve, 1);
    EXPECT_EQ(r.Bin, 200);
    EXPECT_DOUBLE_EQ(r.Frequency, 20000);
    ASSERT_EQ(r.Amplitudes.size(), 2u);
    EXPECT_DOUBLE_EQ(r.Amplitudes[0], 1) << "each curve's own amplitude, not the pointer's height";
    EXPECT_DOUBLE_EQ(r.Amplitudes[1], 0.5);
    EXPECT_DOUBLE_EQ(r.X, ax.X(20000));
    EXPECT_DOUBLE_EQ(r.Y, yb);
    // Low on the plot between lines: the floor's nearest bin.
    r = SnapReadout(ax, {&a, &b}, ax.X(19500) + 10, ax.Y(1e-4) + 5);
    EXPECT_EQ(r.Bin, 195);
    EXPECT_DOUBLE_EQ(r.Amplitudes[0], 1e-4);
    // A spectrum without amplitudes reads NaN; none at all snaps nowhere.
    TSpectrum bad = a;
    bad.NonFinite = true;
    r = SnapReadout(ax, {&bad, &b}, ax.X(20000), yb);
    EXPECT_EQ(r.Curve, 1);
    EXPECT_TRUE(std::isnan(r.Amplitudes[0]));
    EXPECT_EQ(SnapReadout(ax, {&bad}, 10, 10).Curve, -1);
}

TEST(SpectrumReadout, FindsATallLineAmongThousandsOfBinsPerPixel) {
    std::vector<double> amplitudes(200001, 1e-6);
    amplitudes[123456] = 1;
    const TSpectrum s = Spectrum(std::move(amplitudes));
    const TSpectrumAxes a = FitSpectrumAxes({&s}, false, true, 400, 200);
    const TSpectrumReadout r = SnapReadout(a, {&s}, a.X(s.Frequency(123456)) + 2, a.Y(1) + 2);
    EXPECT_EQ(r.Bin, 123456);
}

// ---- ticks and labels

TEST(SpectrumTicks, EngineeringNumbersOnTheFrequencyAxis) {
    TSpectrumAxes a;
    a.FMin = 0;
    a.FMax = 250000;
    a.Width = 500;
    std::vector<std::string> texts;
    for (const TAxisTick& t : FrequencyTicks(a)) texts.push_back(t.Text);
    EXPECT_EQ(texts, (std::vector<std::string>{"0", "50 к", "100 к", "150 к", "200 к", "250 к"}));
    a.FMin = 19000;
    a.FMax = 21000;
    texts.clear();
    for (const TAxisTick& t : FrequencyTicks(a)) texts.push_back(t.Text);
    EXPECT_EQ(texts, (std::vector<std::string>{"19 к", "19,5 к", "20 к", "20,5 к", "21 к"}));
    a.LogFrequency = true;
    a.FMin = 10;
    a.FMax = 1e6;
    texts.clear();
    for (const TAxisTick& t : FrequencyTicks(a)) texts.push_back(t.Text);
    EXPECT_EQ(texts, (std::vector<std::string>{"10", "100", "1 к", "10 к", "100 к", "1 М"}));
    a.FMin = 100;
    a.FMax = 1000;  // one decade: 1, 2 and 5 within it
    texts.clear();
    for (const TAxisTick& t : FrequencyTicks(a)) texts.push_back(t.Text);
    EXPECT_EQ(texts, (std::vector<std::string>{"100", "200", "500", "1 к"}));
}

TEST(SpectrumTicks, LevelsInDecibelsFromTheTop) {
    TSpectrumAxes a;
    a.Decibels = true;
    a.AMin = -120;
    a.AMax = 0;
    a.Height = 240;
    const std::vector<TAxisTick> ticks = LevelTicks(a);
    ASSERT_FALSE(ticks.empty());
    EXPECT_EQ(ticks.front().Text, "\u2212120");
    EXPECT_DOUBLE_EQ(ticks.front().Pixel, 240);
    EXPECT_EQ(ticks.back().Text, "0");
    EXPECT_DOUBLE_EQ(ticks.back().Pixel, 0);
}

TEST(SpectrumLabels, TheLastLabelIsMovedInsideNotCut) {
    // "250 к" centred on the right edge of a 500 px axis would stick out by half its width.
    const std::vector<double> at = PlaceLabels({{0, 20}, {250, 40}, {500, 40}}, 0, 500, 4);
    EXPECT_DOUBLE_EQ(at[0], 0) << "the first moves right";
    EXPECT_DOUBLE_EQ(at[1], 230);
    EXPECT_DOUBLE_EQ(at[2], 460) << "the last ends at the axis end";
    // Crowded labels: those that would touch the one before are left out.
    const std::vector<double> crowded = PlaceLabels({{10, 30}, {30, 30}, {60, 30}}, 0, 500, 4);
    EXPECT_DOUBLE_EQ(crowded[0], 0);
    EXPECT_TRUE(std::isnan(crowded[1]));
    EXPECT_DOUBLE_EQ(crowded[2], 45);
}

}  // namespace
}  // namespace kvaril
