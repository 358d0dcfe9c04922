// Sweeps built and run for real: runs in parallel never mix, each equals a single run with its
// value, a failing run is reported while the others complete, and a repeat reuses libraries.

#include "sweep/SweepRun.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/uCommon.h"
#include "model/ModelFixture.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

class SweepRunTest : public testing::ModelFixture {
  protected:
    void SetUp() override {
        ModelFixture::SetUp();
        signals_.SetQuantTime(0.001);
        signals_.SetTotalTime(0.2);
        AddWith("Gen", "const Freq = 10;", "  Value := Sin(2 * Pi * Freq * t);");
        AddWith("Amp", "const Gain: Double = 2.5E0;", "  Value := Gain * Signal_Gen.Value + t;");
        sweepOptions_.Run.BinDir = binDir_;
        sweepOptions_.Jobs = 2;
    }

    void AddWith(const std::string& name, const std::string& declaration, const std::string& make) {
        TSignal& signal = Add(name, make);
        signal.Lines().insert(signal.Lines().begin(), declaration);
    }

    TSweep Sweep(std::initializer_list<const char*> options) {
        TSweep sweep;
        std::string error;
        for (const char* option : options)
            EXPECT_TRUE(AddSweepParameter(signals_, option, sweep, error)) << error;
        return sweep;
    }

    // The document run once with `line` in place of signal `signal`'s first line.
    std::vector<double> SingleRun(int signal, const std::string& line) {
        const std::string old = signals_.Items(signal).Lines()[0];
        signals_.Items(signal).Lines()[0] = line;
        const TModelOutcome outcome = Run();
        signals_.Items(signal).Lines()[0] = old;
        EXPECT_TRUE(outcome.Ok) << (outcome.Error ? outcome.Error->Text : "");
        return Samples(signals_);
    }

    static std::vector<double> Samples(const TSignals& signals) {
        std::vector<double> all;
        for (int s = 0; s < signals.Count(); ++s)
            for (int q = 0; q < signals.QuantCount(); ++q)
                all.push_back(signals.Data().GetData(s, q));
        return all;
    }

    TSweepOptions sweepOptions_;
};

TEST_F(SweepRunTest, ParallelRunsEachEqualASingleRunWithTheirValues) {
    const TSweep sweep = Sweep({"Gen.Freq=5,20", "Amp.Gain=-1,3.5"});
    int calls = 0, last = 0;
    TSweepHooks hooks;
    hooks.Progress = [&](int done, int total) {
        ++calls;
        last = done;
        EXPECT_EQ(total, 4);
    };
    const TSweepResult result = RunSweep(signals_, sweep, sweepOptions_, hooks);
    ASSERT_TRUE(result.Failures.empty()) << result.Failures[0].Message;
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(last, 4);
    ASSERT_EQ(result.Runs.size(), 4u);
    for (int run = 0; run < 4; ++run) {
        const std::vector<double> values = sweep.ValuesOf(run);
        SCOPED_TRACE(sweep.RunLabel(run));
        ASSERT_TRUE(result.Runs[run].Ok());
        const std::string freq = "const Freq = " + SweepLiteral(values[0]) + ";";
        const std::string gain = "const Gain: Double = " + SweepLiteral(values[1]) + ";";
        signals_.Items(0).Lines()[0] = freq;
        EXPECT_EQ(Samples(*result.Runs[run].Signals), SingleRun(1, gain));
        signals_.Items(0).Lines()[0] = "const Freq = 10;";
    }
    EXPECT_NE(Samples(*result.Runs[0].Signals), Samples(*result.Runs[3].Signals));
}

TEST_F(SweepRunTest, AFailingRunIsReportedWhileTheOthersComplete) {
    signals_.Items(1).Lines()[0] = "const Gain: Double = 1; Steps: Integer = 3;";
    signals_.Items(1).Lines()[signals_.Items(1).Lines().size() - 2] = "  Value := Steps / Gain;";
    const TSweep sweep = Sweep({"Amp.Gain=2,0,4"});
    TSweepResult result = RunSweep(signals_, sweep, sweepOptions_);
    ASSERT_EQ(result.Failures.size(), 1u);
    const TSweepFailure& failure = result.Failures[0];
    EXPECT_EQ(failure.Run, 1);
    EXPECT_EQ(failure.Values, "Gain=0");
    EXPECT_EQ(failure.Signal, "Amp");
    EXPECT_EQ(failure.Phase, "Make");
    EXPECT_NE(failure.Message.find("division by zero"), std::string::npos) << failure.Message;
    EXPECT_EQ(failure.Message.find('\r'), std::string::npos);
    EXPECT_TRUE(result.Runs[0].Ok());
    EXPECT_TRUE(result.Runs[2].Ok());
    EXPECT_EQ(result.Runs[2].Signals->Data().GetData(1, 7), 0.75);

    // A value the type cannot take fails in the compiler, named after its signal.
    result = RunSweep(signals_, Sweep({"Amp.Steps=2,2.5"}), sweepOptions_);
    ASSERT_EQ(result.Failures.size(), 1u);
    EXPECT_EQ(result.Failures[0].Values, "Steps=2.5");
    EXPECT_EQ(result.Failures[0].Phase, "Компиляция");
    EXPECT_EQ(result.Failures[0].Signal, "Amp");
    EXPECT_EQ(result.Runs[0].Signals->Data().GetData(1, 7), 2.0);
}

TEST_F(SweepRunTest, AnUnchangedRepeatReusesEveryLibrary) {
    std::filesystem::rename(binDir_ + "dcc32", binDir_ + "dcc32.real");
    FakeCompiler("echo >> " + binDir_ + "compiles\nexec " + binDir_ + "dcc32.real \"$@\"");
    const auto compiles = [&] {
        std::ifstream in(binDir_ + "compiles");
        return static_cast<int>(std::count(std::istreambuf_iterator<char>(in), {}, '\n'));
    };
    const TSweepResult first = RunSweep(signals_, Sweep({"Gen.Freq=1,2,3"}), sweepOptions_);
    ASSERT_TRUE(first.Failures.empty()) << first.Failures[0].Message;
    EXPECT_EQ(compiles(), 3);

    const TSweepResult again = RunSweep(signals_, Sweep({"Gen.Freq=1,2,3"}), sweepOptions_);
    ASSERT_TRUE(again.Failures.empty());
    EXPECT_EQ(compiles(), 3) << "nothing compiled again";
    for (int run = 0; run < 3; ++run)
        EXPECT_EQ(Samples(*again.Runs[run].Signals), Samples(*first.Runs[run].Signals));

    ASSERT_TRUE(RunSweep(signals_, Sweep({"Gen.Freq=1,2,7"}), sweepOptions_).Failures.empty());
    EXPECT_EQ(compiles(), 4) << "only the changed run compiles";
}

// The time limit guards against a model that never ends: a slow build does not count (a
// compiler that sleeps longer than the limit), a model that loops is stopped in its phase.
TEST_F(SweepRunTest, TheTimeLimitCountsFromTheModelsStart) {
    std::filesystem::rename(binDir_ + "dcc32", binDir_ + "dcc32.real");
    FakeCompiler("sleep 0.6\nexec " + binDir_ + "dcc32.real \"$@\"");
    sweepOptions_.Run.Timeout = std::chrono::milliseconds(300);
    const TSweepResult built = RunSweep(signals_, Sweep({"Gen.Freq=1,2"}), sweepOptions_);
    EXPECT_TRUE(built.Failures.empty())
        << built.Failures[0].Phase << ": " << built.Failures[0].Message;

    signals_.Items(0).Lines()[signals_.Items(0).Lines().size() - 2] =
        "  Value := Freq; repeat until Value < 0;";
    const TSweepResult looped = RunSweep(signals_, Sweep({"Gen.Freq=1,2"}), sweepOptions_);
    ASSERT_EQ(looped.Failures.size(), 2u);
    EXPECT_EQ(looped.Failures[0].Phase, "Выполнение");
    EXPECT_EQ(looped.Failures[0].Message, "Остановлено: истекло время (0.3 с)");
    EXPECT_FALSE(looped.Cancelled);
}

// A sweep runs what F9 runs: with long runs in force, a document beyond the classic limit runs
// in every value set; without, it is refused once, before anything runs. All the runs' stores
// are kept, so all of them must fit in the memory.
TEST_F(SweepRunTest, LongRunsAreSweptWithTheLimitInForce) {
    signals_.SetQuantTime(1e-5);
    signals_.SetTotalTime(0.2);  // 20000 quanta
    const TSweep sweep = Sweep({"Gen.Freq=10,20,30"});
    TRunOptions run;
    const std::optional<TErrorBox> classic = CheckSweepRuns(signals_, 3, run);
    ASSERT_TRUE(classic);
    EXPECT_NE(classic->Text.find("максимальное время моделирования"), std::string::npos)
        << classic->Text;
    run.MaxQuanta = kLongMaxQuanta;
    run.AvailableMemoryBytes = 1ull << 30;
    EXPECT_FALSE(CheckSweepRuns(signals_, 3, run));
    run.AvailableMemoryBytes = 1 << 19;
    const std::optional<TErrorBox> memory = CheckSweepRuns(signals_, 3, run);
    ASSERT_TRUE(memory);
    EXPECT_NE(memory->Text.find("6 сигн. × 20000 квантов"), std::string::npos)
        << "two signals in each of three runs: " << memory->Text;

    sweepOptions_.Run.MaxQuanta = kLongMaxQuanta;
    const TSweepResult result = RunSweep(signals_, sweep, sweepOptions_);
    ASSERT_TRUE(result.Failures.empty()) << result.Failures[0].Message;
    for (int run = 0; run < 3; ++run) {
        const TSignals& signals = *result.Runs[run].Signals;
        ASSERT_EQ(signals.Data().SampleCount(), 20000);
        const double t = ModelTime(signals, 19999);
        EXPECT_NEAR(signals.Data().GetData(0, 19999), std::sin(2 * M_PI * 10 * (run + 1) * t),
                    1e-12);
    }
}

TEST_F(SweepRunTest, AStoppedSweepIsCancelledNotFailed) {
    TSweepHooks hooks;
    hooks.Cancelled = [] { return true; };
    const TSweepResult result = RunSweep(signals_, Sweep({"Gen.Freq=1,2"}), sweepOptions_, hooks);
    EXPECT_TRUE(result.Cancelled);
    EXPECT_TRUE(result.Failures.empty());
    EXPECT_FALSE(result.Runs[0].Ok());
}

}  // namespace
}  // namespace kvaril
