// A sweep of 8 values of a 10-signal, 10000-quanta document against one F9 of the same
// document (generate, compile, run), in the same run; then the same sweep again, unchanged,
// which reuses every run's library and the boxes the first one started. Prints the ratios and the
// bounds they are held to: a sweep at most 1.3 × (8 / cores) F9s, a repeat at most 0.3 F9.
//   build/bench/sweep_bench

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "document/uSignal.h"
#include "model/LibraryStamp.h"
#include "model/ModelRunner.h"
#include "sweep/SweepRun.h"

namespace fs = std::filesystem;
using namespace kvaril;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kSignals = 10;
constexpr int kValues = 8;

void MakeDocument(TSignals& signals) {
    signals.SetQuantTime(0.0001);
    signals.SetTotalTime(1.0);  // 10000 quanta
    for (int i = 0; i < kSignals; ++i) {
        auto signal = std::make_unique<TSignal>(signals);
        signal->InitTemplate("S" + std::to_string(i), false);
        // Each signal its own constant: the unit holds them all at one level.
        signal->Lines()[20] = "  Value := Sin(Freq" + std::to_string(i) + " * " +
                              std::to_string(i + 1) + " * t) * 0.5 + t;";
        signal->Lines().insert(signal->Lines().begin(),
                               "const Freq" + std::to_string(i) + " = 100;");
        signals.Insert(std::move(signal), -1);
    }
}

// A fresh copy of the build's model directory: nothing built yet.
std::string FreshModelFolder() {
    const fs::path dir =
        fs::temp_directory_path() / ("kvaril-sweep-bench-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const char* file : {"dcc32", "kvaril-modelhost", "kvml.dpr", "uSignalsData.pas"})
        fs::copy_file(fs::path(KVARIL_BENCH_BIN_DIR) / file, dir / file);
    return dir.string() + "/";
}

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

}  // namespace

int main() {
    TSignals signals;
    MakeDocument(signals);
    const std::string binDir = FreshModelFolder();

    TRunOptions run;
    run.BinDir = binDir;
    // The median of three F9s, each compiling: the machine is shared.
    std::vector<double> f9s;
    for (int r = 0; r < 3; ++r) {
        RemoveLibraryStamp(binDir);
        const auto began = Clock::now();
        const TModelOutcome single = RunModel(signals, run, {});
        f9s.push_back(Seconds(began));
        if (!single.Ok) {
            std::fprintf(stderr, "F9 failed: %s\n", single.Error ? single.Error->Text.c_str() : "");
            return 1;
        }
    }
    std::sort(f9s.begin(), f9s.end());
    const double f9 = f9s[1];
    // F9 again on the unchanged document: the part of a run that no library reuse removes.
    std::vector<double> reruns;
    for (int r = 0; r < 3; ++r) {
        const auto began = Clock::now();
        RunModel(signals, run, {});
        reruns.push_back(Seconds(began));
    }
    std::sort(reruns.begin(), reruns.end());
    Clock::time_point start;

    TSweep sweep;
    std::string error;
    if (!AddSweepParameter(signals, "S0.Freq0=100:800:8", sweep, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    TSweepOptions options;
    options.Run.BinDir = binDir;
    start = Clock::now();
    const TSweepResult first = RunSweep(signals, sweep, options);
    const double swept = Seconds(start);
    // The median of three repeats, as of the F9s.
    std::vector<double> repeats;
    for (int r = 0; r < 3; ++r) {
        start = Clock::now();
        const TSweepResult again = RunSweep(signals, sweep, options);
        repeats.push_back(Seconds(start));
        if (!again.Failures.empty()) {
            std::fprintf(stderr, "sweep failed\n");
            return 1;
        }
    }
    std::sort(repeats.begin(), repeats.end());
    const double repeat = repeats[1];
    if (!first.Failures.empty()) {
        std::fprintf(stderr, "sweep failed\n");
        return 1;
    }

    const int cores = AvailableCores();
    const double bound = 1.3 * kValues / std::min(cores, kValues);
    std::printf("%d signals x %d quanta, %d values, %d cores\n", kSignals, signals.QuantCount(),
                kValues, cores);
    std::printf("one F9:            %7.3f s\n", f9);
    std::printf("sweep:             %7.3f s  = %5.2f F9 (bound %.2f)%s\n", swept, swept / f9, bound,
                swept / f9 <= bound ? "" : "  OVER");
    std::printf("F9 reusing its library: %7.3f s (a repeat needs %d of them, %d at a time)\n",
                reruns[1], kValues, std::min(cores, kValues));
    std::printf("unchanged repeat:  %7.3f s  = %5.2f F9 (bound 0.30)%s\n", repeat, repeat / f9,
                repeat / f9 <= 0.3 ? "" : "  OVER");
    fs::remove_all(binDir);
    return 0;
}
