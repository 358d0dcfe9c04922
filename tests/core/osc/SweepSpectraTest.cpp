// The spectrum window over a sweep: one curve per good run of each beam, named by its run and
// drawn in the beam's ramp; and the request the oscilloscope opens it on.

#include "osc/SweepSpectra.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "HandSweep.h"
#include "osc/BeamPalette.h"
#include "osc/OscSession.h"
#include "osc/SessionFixture.h"

namespace kvaril {
namespace {

constexpr double kPi = 3.14159265358979323846;

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
    const TSweepSpectra s = SweepSpectra(analyzer, *sweep, {{0, 1}}, beamColors,
                                         TColorScheme::White, 0, 0.00999, TSpectrumWindow::Hann);
    ASSERT_EQ(s.Curves.size(), 2u);
    EXPECT_EQ(s.Curves[0].Name, "Fc = 1000");
    EXPECT_EQ(s.Curves[1].Name, "Fc = 3000");
    EXPECT_NEAR(s.Curves[0].Peak.Frequency, 1000, 1e-6);
    EXPECT_NEAR(s.Curves[1].Peak.Frequency, 3000, 1e-6);
    EXPECT_FALSE(s.Curves[1].Peaks.empty());
    ASSERT_EQ(s.Colors.size(), 2u);
    EXPECT_EQ(s.Colors, SweepRamp(TColorScheme::White, beamColors[1], 2)) << "the beam's ramp";
    for (size_t i = 0; i < s.Curves.size(); ++i) EXPECT_EQ(s.Curves[i].ColorIndex, int(i));
}

TEST(SweepSpectra, SeveralBeamsNameTheirCurvesByBeamAndRun) {
    TSpectrumAnalyzer analyzer;
    const TSweepSpectra s =
        SweepSpectra(analyzer, *Tones(), {{0, 0}, {1, 1}, {9, 0}}, {{0, 0, 255}, {255, 0, 0}},
                     TColorScheme::White, 0, 0.00999, TSpectrumWindow::Hann);
    ASSERT_EQ(s.Curves.size(), 6u) << "a signal the runs lack has no curves";
    EXPECT_EQ(s.Curves[0].Name, "Tone: Fc = 1000");
    EXPECT_EQ(s.Curves[5].Name, "Hum: Fc = 3000");
    EXPECT_NEAR(s.Curves[5].Spectrum.Amplitude[0], 0.1, 1e-9);
    EXPECT_NE(s.Colors[0], s.Colors[3]) << "each beam its own hue";
}

// The oscilloscope opens the spectrum window on the sweep it shows, with the beam chosen.
TEST_F(TSessionFixture, SpectrumRequestCarriesTheSweepAndOneBeamWithoutAChoice) {
    EXPECT_EQ(s.Readings().SpectrumRequest().Sweep, nullptr);
    EXPECT_EQ(s.Readings().SpectrumRequest().Beams.size(), 3u);
    const auto sweep = MakeHandSweep({"A", "B", "C"}, 0.001, 1, {{"K", {1, 2}}},
                                     [](const std::vector<double>& v, int, int) { return v[0]; });
    s.SetSweep(sweep);
    TSpectrumRequest r = s.Readings().SpectrumRequest();
    EXPECT_EQ(r.Sweep, sweep);
    ASSERT_EQ(r.Beams.size(), 1u);
    EXPECT_EQ(r.Beams[0].Signal, 0);
    s.SelectBeams({1, 2});
    r = s.Readings().SpectrumRequest();
    ASSERT_EQ(r.Beams.size(), 2u);
    EXPECT_EQ(r.Beams[1].Signal, 2);
    s.SetSweep(nullptr);
    EXPECT_EQ(s.Readings().SpectrumRequest().Beams.size(), 2u);
}

}  // namespace
}  // namespace kvaril
