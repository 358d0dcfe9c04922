// The example documents run cleanly, and their samples match the same formulas computed here.

#include <cmath>
#include <functional>

#include "document/DocumentFile.h"
#include "document/uBeam.h"
#include "model/ModelFixture.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

class Examples : public testing::ModelFixture {
  protected:
    // Runs the example and checks every sample of every signal against `expected`, which is
    // given the quantum's time and fills one value per signal.
    void Check(const std::string& file,
               const std::function<void(double t, std::vector<double>& values)>& expected) {
        TOsc osc;
        ReadDocument(KVARIL_PROJECTS_DIR + file, signals_, osc);
        TModelOutcome r = Run();
        ASSERT_TRUE(r.Ok) << (r.Error ? r.Error->Text : "");
        const TSignalsData& data = signals_.Data();
        std::vector<double> values(static_cast<size_t>(data.SignalCount()), 0.0);
        for (int q = 0; q < data.SampleCount(); ++q) {
            expected(q * signals_.QuantTime(), values);
            for (int s = 0; s < data.SignalCount(); ++s)
                ASSERT_NEAR(data.GetData(s, q), values[static_cast<size_t>(s)], 1e-9)
                    << file << ": signal " << s << ", quantum " << q;
        }
    }
};

TEST_F(Examples, NoisySineThroughMovingAverageAndLowPass) {
    long long seed = 12345;
    double buffer[16] = {};
    int next = 0;
    double sum = 0;
    Check("filters.sig", [&](double t, std::vector<double>& v) {
        v[0] = std::sin(2 * M_PI * 50 * t);
        seed = (seed * 1103515245 + 12345) % 2147483648LL;
        v[1] = 0.6 * (seed / 2147483648.0 - 0.5);
        v[2] = v[0] + v[1];
        sum = sum - buffer[next] + v[2];
        buffer[next] = v[2];
        next = (next + 1) % 16;
        v[3] = sum / 16;
        v[4] = v[4] + 0.1 * (v[2] - v[4]);
    });
}

TEST_F(Examples, AmplitudeModulationAndDemodulation) {
    Check("modulation.sig", [&](double t, std::vector<double>& v) {
        v[0] = std::sin(2 * M_PI * 1000 * t);
        v[1] = 0.5 * std::sin(2 * M_PI * 50 * t);
        v[2] = (1 + v[1]) * v[0];
        v[3] = std::fabs(v[2]);
        v[4] = v[4] + 0.02 * (v[3] * M_PI / 2 - v[4]);
        v[5] = v[4] - 1;
    });
}

TEST_F(Examples, ControlLoopSettlesOnTheSetpoint) {
    double feedback = 0, integral = 0;
    const double dt = 0.0001;
    Check("control.sig", [&](double t, std::vector<double>& v) {
        v[0] = t >= 0.01 ? 1 : 0;
        v[1] = v[0] - feedback;
        integral += 400 * v[1] * dt;
        v[2] = 2 * v[1] + integral;
        v[3] = v[3] + (v[2] - v[3]) * dt / 0.005;
        feedback = v[3];
    });
    EXPECT_NEAR(signals_.Data().GetData(3, 999), 1.0, 1e-6);
}

}  // namespace
}  // namespace kvaril
