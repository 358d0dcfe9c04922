// Times the whole model pipeline (generate kvm.pas, compile through dcc32, load and run in the
// model host) against a bare Free Pascal compile of the same unit, in the same run; and F9 again
// on the unchanged document, which reuses the library.
//   build/bench/pipeline_bench [REPEATS]

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "document/uSignal.h"
#include "model/ChildProcess.h"
#include "model/FpcBuild.h"
#include "model/LibraryStamp.h"
#include "model/ModelBox.h"
#include "model/ModelGenerator.h"
#include "model/ModelRunner.h"
#include "model/uCommon.h"

namespace fs = std::filesystem;
using namespace kvaril;
using Clock = std::chrono::steady_clock;

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void MakeDocument(TSignals& signals, int count) {
    signals.Clear();
    signals.SetQuantTime(0.0001);
    signals.SetTotalTime(1.0);  // 10000 quanta
    for (int i = 0; i < count; ++i) {
        auto signal = std::make_unique<TSignal>(signals);
        signal->InitTemplate("S" + std::to_string(i), false);
        signal->Lines()[20] = "  Value := Sin(" + std::to_string(i + 1) + " * t) * 0.5 + t;";
        signals.Insert(std::move(signal), -1);
    }
}

// ppcx64 on the same unit, project and store unit, in a fresh folder, as dcc32 would call it.
double BareCompile(const std::string& binDir, const std::string& compiler) {
    const fs::path work =
        fs::temp_directory_path() / ("kvaril-bench-" + std::to_string(::getpid()));
    fs::remove_all(work);
    fs::create_directories(work / "units");
    std::ifstream in(binDir + "kvm.pas", std::ios::binary);
    std::string unit((std::istreambuf_iterator<char>(in)), {});
    std::ofstream(work / "kvm.pas", std::ios::binary)
        << JoinLines(PatchUnitForFpc(SplitLines(unit)));
    fs::copy_file(binDir + "kvml.dpr", work / "kvml.dpr");
    fs::copy_file(binDir + "uSignalsData.pas", work / "uSignalsData.pas");

    const auto start = Clock::now();
    TSpawnOptions options;
    options.Argv = FpcArguments(compiler, "kvml.dpr");
    options.WorkDir = work.string();
    ChildProcess fpc(options);
    fpc.Wait(std::chrono::minutes(5));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!WIFEXITED(fpc.Status()) || WEXITSTATUS(fpc.Status()) != 0) {
        std::fprintf(stderr, "bare compile failed\n");
        std::exit(1);
    }
    fs::remove_all(work);
    return seconds;
}

// Median seconds to start and end `argv` as a child, over `repeats` starts.
double StartSeconds(const std::vector<std::string>& argv, int repeats) {
    std::vector<double> times;
    for (int r = 0; r < repeats; ++r) {
        TSpawnOptions spawn;
        spawn.Argv = argv;
        const auto start = Clock::now();
        ChildProcess child(spawn);
        child.Wait(std::chrono::seconds(10));
        times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const std::string binDir = KVARIL_BENCH_BIN_DIR;
    const std::optional<std::string> compiler = FindFreePascal();
    if (!compiler) {
        std::fprintf(stderr, "ppcx64 not found\n");
        return 1;
    }
    // "around": what the runner adds to the model's own computing (store, process, loading),
    // as a share of that computing.
    std::printf("%-8s %12s %12s %7s %14s %7s %10s %10s %8s\n", "signals", "pipeline ms",
                "bare fpc ms", "ratio", "unchanged ms", "ratio", "run ms", "model ms", "around");
    for (int count : {1, 10, 50}) {
        TSignals signals;
        MakeDocument(signals, count);
        TRunOptions options;
        options.BinDir = binDir;
        std::vector<double> pipeline, bare, run, unchanged, compute;
        for (int r = 0; r < repeats; ++r) {
            RemoveLibraryStamp(binDir);  // a compile, as after an edit
            const auto start = Clock::now();
            TModelOutcome outcome = RunModel(signals, options, {});
            pipeline.push_back(std::chrono::duration<double>(Clock::now() - start).count());
            if (!outcome.Ok) {
                std::fprintf(stderr, "run failed: %s\n",
                             outcome.Error ? outcome.Error->Text.c_str() : "");
                return 1;
            }
            // F9 again on the same document: the library is reused.
            const auto again = Clock::now();
            RunModel(signals, options, {});
            unchanged.push_back(std::chrono::duration<double>(Clock::now() - again).count());
            bare.push_back(BareCompile(binDir, *compiler));
            // The model's own share: load and run the library just built.
            const auto runStart = Clock::now();
            const TModelOutcome ran = RunModelLibrary(signals, options, {});
            run.push_back(std::chrono::duration<double>(Clock::now() - runStart).count());
            compute.push_back(ran.ModelSeconds);
        }
        const double p = Median(pipeline) * 1000, b = Median(bare) * 1000;
        const double u = Median(unchanged) * 1000;
        const double m = Median(run) * 1000, c = Median(compute) * 1000;
        std::printf("%-8d %12.1f %12.1f %7.2f %14.1f %7.2f %10.1f %10.1f %8.2f\n", count, p, b,
                    p / b, u, u / b, m, c, (m - c) / c);
    }
    // What the model's box adds to starting the host: a program started in it against the same
    // program started bare.
    TScratchFolder scratch;
    const double bare = StartSeconds({"/bin/true"}, 21);
    const double boxed =
        StartSeconds(BoxedCommand(AvailableBox(), scratch.Path(), {"/bin/true"}), 21);
    std::printf("\nbox (%s): start %.1f ms, bare start %.1f ms, the box adds %.1f ms\n",
                AvailableBox() == TBoxKind::Namespaces ? "namespaces" : "Landlock", boxed * 1e3,
                bare * 1e3, (boxed - bare) * 1e3);
    return 0;
}
