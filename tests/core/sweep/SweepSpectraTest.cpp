// The spectrum window over a sweep: one curve per good run of each beam, named by its run and
// drawn in a readable shade of the beam's colour; and the request the oscilloscope opens it on.

#include "sweep/SweepSpectra.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "HandSweep.h"
#include "osc/BeamPalette.h"
#include "osc/OscSession.h"
#include "osc/SessionFixture.h"
#include "sweep/SweepRamp.h"

namespace kvaril {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr TRgb kWhite{255, 255, 255}, kBlack{0, 0, 0}, kGray{192, 192, 192};

TEST(SweepRamp, ShadesOfOneHueEachReadableAndInOrder) {
    for (TRgb background : {kWhite, kBlack, kGray})
        for (TRgb base : {TRgb{0, 0, 255}, TRgb{0, 128, 0}, TRgb{255, 0, 255}, kBlack,
                          TRgb{255, 255, 0}, kWhite}) {
            // The palettes' colours are readable on their backgrounds; others need not be.
            if (ContrastRatio(base, background) < kMinBeamContrast) continue;
            SCOPED_TRACE(::testing::Message() << int(base.R) << "," << int(base.G) << ","
                                              << int(base.B) << " on " << int(background.R));
            const std::vector<TRgb> ramp = SweepRamp(base, background, 8);
            ASSERT_EQ(ramp.size(), 8u);
            const double floor = std::min(kMinBeamContrast, ContrastRatio(base, background));
            std::set<std::tuple<int, int, int>> distinct;
            for (size_t i = 0; i < ramp.size(); ++i) {
                EXPECT_GE(ContrastRatio(ramp[i], background), floor - 1e-9) << i;
                distinct.insert({ramp[i].R, ramp[i].G, ramp[i].B});
                // Nearer the background first, farther from it last.
                if (i > 0) {
                    EXPECT_GE(ContrastRatio(ramp[i], background) + 1e-9,
                              ContrastRatio(ramp[i - 1], background));
                }
            }
            EXPECT_EQ(distinct.size(), 8u) << "every run its own shade";
        }
    EXPECT_EQ(SweepRamp({0, 0, 255}, kWhite, 1), std::vector<TRgb>{TRgb({0, 0, 255})});
    EXPECT_TRUE(SweepRamp({0, 0, 255}, kWhite, 0).empty());
}

TEST(SweepRamp, KeepsTheHue) {
    // Blue mixed with white or black stays blue: its red and green move together.
    for (TRgb c : SweepRamp({0, 0, 255}, kWhite, 5)) {
        EXPECT_EQ(c.R, c.G);
        EXPECT_GE(c.B, c.R);
    }
}

// Tone = sin(2π·Fc·t) at 100 kHz for 1000 samples; Hum = 0.1 everywhere.
std::shared_ptr<TSweepShown> Tones(std::set<int> failed = {}) {
    return MakeHandSweep(
        {"Tone", "Hum"}, 1e-5, 0.01, {{"Fc", {1000, 2000, 3000}}},
        [](const std::vector<double>& v, int s, int q) {
            return s == 0 ? std::sin(2 * kPi * v[0] * q * 1e-5) : 0.1;
        },
        failed);
}

TEST(SweepSpectra, ACurvePerGoodRunNamedByItsValues) {
    TSpectrumAnalyzer analyzer;
    const auto sweep = Tones({1});
    const std::vector<TRgb> beamColors{{0, 0, 255}, {255, 0, 0}};
    const TSweepSpectra s = SweepSpectra(analyzer, *sweep, {{0, 1}}, beamColors, kWhite, 0, 0.00999,
                                         TSpectrumWindow::Hann);
    ASSERT_EQ(s.Curves.size(), 2u);
    EXPECT_EQ(s.Curves[0].Name, "Fc=1000");
    EXPECT_EQ(s.Curves[1].Name, "Fc=3000");
    EXPECT_NEAR(s.Curves[0].Peak.Frequency, 1000, 1e-6);
    EXPECT_NEAR(s.Curves[1].Peak.Frequency, 3000, 1e-6);
    EXPECT_FALSE(s.Curves[1].Peaks.empty());
    ASSERT_EQ(s.Colors.size(), 2u);
    EXPECT_EQ(s.Colors, SweepRamp(beamColors[1], kWhite, 2)) << "shades of the beam's colour";
    for (size_t i = 0; i < s.Curves.size(); ++i) EXPECT_EQ(s.Curves[i].ColorIndex, int(i));
}

TEST(SweepSpectra, SeveralBeamsNameTheirCurvesByBeamAndRun) {
    TSpectrumAnalyzer analyzer;
    const TSweepSpectra s =
        SweepSpectra(analyzer, *Tones(), {{0, 0}, {1, 1}, {9, 0}}, {{0, 0, 255}, {255, 0, 0}},
                     kWhite, 0, 0.00999, TSpectrumWindow::Hann);
    ASSERT_EQ(s.Curves.size(), 6u) << "a signal the runs lack has no curves";
    EXPECT_EQ(s.Curves[0].Name, "Tone: Fc=1000");
    EXPECT_EQ(s.Curves[5].Name, "Hum: Fc=3000");
    EXPECT_NEAR(s.Curves[5].Spectrum.Amplitude[0], 0.1, 1e-9);
    EXPECT_NE(s.Colors[0], s.Colors[3]) << "each beam its own hue";
}

// The oscilloscope opens the spectrum window on the sweep it shows, with the beam chosen.
TEST_F(TSessionFixture, SpectrumRequestCarriesTheSweepAndOneBeamWithoutAChoice) {
    EXPECT_EQ(s.Readings().SpectrumRequest().Sweep, nullptr);
    EXPECT_EQ(s.Readings().SpectrumRequest().Beams.size(), 3u);
    const auto sweep = MakeHandSweep({"A", "B", "C"}, 0.001, 1, {{"K", {1, 2}}},
                                     [](const std::vector<double>& v, int, int) { return v[0]; });
    s.References().SetSweep(sweep);
    TSpectrumRequest r = s.Readings().SpectrumRequest();
    EXPECT_EQ(r.Sweep, sweep);
    ASSERT_EQ(r.Beams.size(), 1u);
    EXPECT_EQ(r.Beams[0].Signal, 0);
    s.Beams().SetSelection({1, 2});
    r = s.Readings().SpectrumRequest();
    ASSERT_EQ(r.Beams.size(), 2u);
    EXPECT_EQ(r.Beams[1].Signal, 2);
    s.References().SetSweep(nullptr);
    EXPECT_EQ(s.Readings().SpectrumRequest().Beams.size(), 2u);
}

}  // namespace
}  // namespace kvaril
