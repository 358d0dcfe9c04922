// Axes of the spectrum view: fitting to spectra and the way back from pixels.

#include "analysis/SpectrumPlot.h"

#include <gtest/gtest.h>

#include <cmath>

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

}  // namespace
}  // namespace kvaril
