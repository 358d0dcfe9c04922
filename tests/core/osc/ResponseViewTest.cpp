// What the response window estimates: the beams it starts on, a curve per output and run of a
// sweep in the output's ramp, and the bins it draws faint.

#include "osc/ResponseView.h"

#include <gtest/gtest.h>

#include <cmath>

#include "HandRun.h"
#include "HandSweep.h"
#include "osc/BeamPalette.h"

namespace kvaril {
namespace {

// A broadband, repeatable input: a chaotic map's samples.
double Chaos(int q) { return std::sin(q * 0.37 * q); }

TResponseSetup Shown(std::initializer_list<int> shown) {
    TResponseSetup setup;
    for (int s : shown) setup.Base.Beams.push_back({s, s});
    setup.Base.T0 = 0;
    setup.Base.T1 = 1;
    return setup;
}

TEST(ResponseView, StartsOnTheSelectedBeamsOrTheFirstTwoShown) {
    TResponseSetup setup = Shown({0, 1, 2, 3});
    ChooseResponseBeams(setup, {2, 3, 1});
    EXPECT_EQ(setup.Input, 2);
    EXPECT_EQ(setup.Outputs, (std::vector<int>{3, 1}));
    ChooseResponseBeams(setup, {3});
    EXPECT_EQ(setup.Input, 3) << "the selected one first";
    EXPECT_EQ(setup.Outputs, std::vector<int>{0});
    ChooseResponseBeams(setup, {7});  // not shown: as if none were selected
    EXPECT_EQ(setup.Input, 0);
    EXPECT_EQ(setup.Outputs, std::vector<int>{1});
    TResponseSetup alone = Shown({4});
    ChooseResponseBeams(alone, {});
    EXPECT_EQ(alone.Input, 4);
    EXPECT_TRUE(alone.Outputs.empty());
}

TEST(ResponseView, ASweepGivesEachOutputACurvePerGoodRunInItsRamp) {
    const auto sweep = MakeHandSweep(
        {"In", "Out"}, 1e-3, 1, {{"G", {0.5, 1, 2}}},
        [](const std::vector<double>& v, int s, int q) { return (s == 0 ? 1 : v[0]) * Chaos(q); },
        {1});
    TSignals document;
    MakeHandRun(document, {"In", "Out"}, 1e-3, 1, [](int, int q) { return Chaos(q); });
    TResponseSetup setup = Shown({0, 1});
    setup.Base.Sweep = sweep;
    setup.Base.Scheme = TColorScheme::White;
    setup.Input = 0;
    setup.Outputs = {1};
    TSpectrumAnalyzer analyzer;
    const std::vector<TRgb> beamColors{{0, 0, 255}, {255, 0, 0}};
    const TResponseEstimates e = EstimateResponses(analyzer, document, setup, 0, beamColors);
    ASSERT_TRUE(e.Reason.empty()) << e.Reason;
    ASSERT_EQ(e.Runs.size(), 2u) << "the failed run left out";
    EXPECT_EQ(e.Colors, SweepRamp(TColorScheme::White, beamColors[1], 2));

    const std::vector<TBeamSpectrum> gain = ResponseCurves(e, TResponseShow::Magnitude);
    ASSERT_EQ(gain.size(), 2u);
    EXPECT_EQ(gain[0].Name, "G = 0.5");
    EXPECT_EQ(gain[1].Name, "G = 2");
    EXPECT_EQ(gain[1].ColorIndex, 1);
    for (int k = 1; k < gain[0].Spectrum.BinCount(); ++k) {
        EXPECT_NEAR(gain[0].Spectrum.Amplitude[size_t(k)], 0.5, 1e-9) << k;
        EXPECT_NEAR(gain[1].Spectrum.Amplitude[size_t(k)], 2, 1e-9) << k;
        EXPECT_FALSE(gain[0].Faint[size_t(k)]);
    }
    const std::vector<TBeamSpectrum> phase = ResponseCurves(e, TResponseShow::Phase);
    EXPECT_NEAR(phase[1].Spectrum.Amplitude[5], 0, 1e-9);
}

TEST(ResponseView, BinsOfLowCoherenceAreFaint) {
    // Out is a tenth of In buried in an unrelated signal ten times stronger: γ² ≈ 0.0001.
    TSignals signals;
    MakeHandRun(signals, {"In", "Out"}, 1e-3, 1, [](int s, int q) {
        return s == 0 ? Chaos(q) : 0.1 * Chaos(q) + std::sin(q * 0.53 * q + 1);
    });
    TResponseSetup setup = Shown({0, 1});
    ChooseResponseBeams(setup, {});
    TSpectrumAnalyzer analyzer;
    const TResponseEstimates e = EstimateResponses(analyzer, signals, setup, 0, {});
    const std::vector<TBeamSpectrum> coherence = CoherenceCurves(e);
    ASSERT_EQ(coherence.size(), 1u);
    int faint = 0;
    for (size_t k = 0; k < coherence[0].Faint.size(); ++k) {
        EXPECT_EQ(bool(coherence[0].Faint[k]), coherence[0].Spectrum.Amplitude[k] < 0.5) << k;
        faint += coherence[0].Faint[k];
    }
    EXPECT_GT(faint, int(coherence[0].Faint.size()) * 3 / 4);
}

}  // namespace
}  // namespace kvaril
