// The excitation templates as a user gets them: each builds and runs in a real model, gives the
// samples its name promises, offers its settings to a sweep, and the noise measures a filter's
// response through the estimator.

#include "editing/Excitations.h"

#include <cmath>

#include "ModelFixture.h"
#include "analysis/Response.h"
#include "base/Cp1251.h"
#include "store/uSignalsData.h"
#include "sweep/SweepConstants.h"

namespace kvaril::testing {
namespace {

std::string ErrorText(const TModelOutcome& r) { return r.Error ? r.Error->Text : ""; }

class Excitations : public ModelFixture {
  protected:
    void AddExcitation(TExcitation kind) {
        for (const TExcitationInfo& e : kvaril::Excitations())
            if (e.Kind == kind) {
                auto signal = std::make_unique<TSignal>(signals_);
                const std::string name = FreeSignalName(signals_, e.Name);
                signal->SetName(name);
                signal->Lines() = ExcitationLines(kind, name);
                signals_.Insert(std::move(signal), -1);
            }
    }
    double At(int signal, int q) const { return signals_.Data().GetData(signal, q); }
};

TEST_F(Excitations, EachRunsAndGivesWhatItsNameSays) {
    for (const TExcitationInfo& e : kvaril::Excitations()) AddExcitation(e.Kind);
    AddExcitation(TExcitation::WhiteNoise);  // a second of a kind gets its own name and constants
    ASSERT_EQ(signals_.Items(5).Name(), "Noise2");
    TModelOutcome r = Run();
    ASSERT_TRUE(r.Ok) << ErrorText(r);
    const int n = signals_.Data().SampleCount();

    EXPECT_EQ(At(0, 0), 1.0);  // the impulse
    for (int q = 1; q < n; ++q) ASSERT_EQ(At(0, q), 0.0) << q;
    for (int q = 0; q < n; ++q) ASSERT_EQ(At(1, q), 1.0) << q;  // the step at 0 s
    double sum = 0, squares = 0;
    for (int q = 0; q < n; ++q) {
        const double v = At(2, q);
        ASSERT_TRUE(v >= -1 && v < 1) << q << " " << v;
        ASSERT_EQ(v, At(5, q)) << "the same seed gives the same noise";
        sum += v, squares += v * v;
    }
    EXPECT_NEAR(sum / n, 0, 0.1);
    EXPECT_NEAR(squares / n, 1.0 / 3, 0.05);  // uniform on [−1, 1)
    EXPECT_EQ(At(3, 0), 0.0);                 // the chirp starts at phase 0
    for (int q = 0; q < n; ++q) ASSERT_LE(std::fabs(At(3, q)), 1.0);
    EXPECT_NEAR(At(4, 0), (std::sin(1.0) + std::sin(2.0)) / 3, 1e-12);  // the tones at t = 0

    std::vector<std::string> swept;
    for (const TSweepConstant& c : FindConstants(signals_))
        if (c.Numeric) swept.push_back(signals_.Items(c.Signal).Name() + "." + c.Name);
    EXPECT_EQ(swept,
              (std::vector<std::string>{"Step.Step_Start", "Noise.Noise_Seed", "Chirp.Chirp_F0",
                                        "Chirp.Chirp_F1", "Tones.Tones_F1", "Tones.Tones_F2",
                                        "Tones.Tones_F3", "Noise2.Noise2_Seed"}));
}

TEST_F(Excitations, WhiteNoiseMeasuresAOnePolesHalfPowerFrequency) {
    constexpr double a = 0.9;
    AddExcitation(TExcitation::WhiteNoise);
    Add("Filter", "  Value := " + std::to_string(1 - a) + " * Signal_Noise.Value + " +
                      std::to_string(a) + " * Value;");
    signals_.SetTotalTime(1);  // 10 000 quanta of 0.1 ms
    TModelOutcome r = Run();
    ASSERT_TRUE(r.Ok) << ErrorText(r);
    const TSignalsData& d = signals_.Data();
    TSpectrumAnalyzer analyzer;
    const TResponse response =
        EstimateResponse(analyzer, {"Noise", d.Row(0)}, {{"Filter", d.Row(1)}}, d.SampleCount(),
                         signals_.QuantTime());
    const TResponseMarks marks = ResponseMarks(response, 0);
    ASSERT_EQ(marks.HalfPowerFrequencies.size(), 1u);
    const double formula =
        std::acos((-1 + 4 * a - a * a) / (2 * a)) / (2 * M_PI * signals_.QuantTime());
    EXPECT_NEAR(marks.HalfPowerFrequencies[0], formula, formula * 0.01);
}

}  // namespace
}  // namespace kvaril::testing
