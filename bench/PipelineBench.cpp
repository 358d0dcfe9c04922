// Times the whole model pipeline (generate kvm.pas, compile through dcc32, load and run in the
// model host) against a bare Free Pascal compile of the same unit, in the same run; and F9 again
// on the unchanged document, which reuses the library. Then, for a 10-signal document: where
// F9's time goes, phase by phase, and an auto-run after the typing pause (copy, generate, build,
// run, take the samples over, lay out the picture) against a bare compile of the same unit.
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

#include "base/uCommon.h"
#include "document/uBeam.h"
#include "document/uSignal.h"
#include "model/AfterRun.h"
#include "model/ChildProcess.h"
#include "model/FpcBuild.h"
#include "model/LibraryStamp.h"
#include "model/ModelBox.h"
#include "model/ModelGenerator.h"
#include "model/ModelRunner.h"
#include "model/RunHistory.h"
#include "model/RunSnapshot.h"
#include "osc/ScreenLayout.h"

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

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A fresh folder holding the unit in Bin/ as Free Pascal accepts it, the project and the store
// unit, as dcc32 prepares it.
fs::path PrepareBareFolder(const std::string& binDir) {
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
    return work;
}

// Seconds `argv` takes to run in `work`; a failure ends the bench, whose numbers would lie.
double TimedRun(const std::vector<std::string>& argv, const fs::path& work, const char* what) {
    const auto start = Clock::now();
    TSpawnOptions options;
    options.Argv = argv;
    options.WorkDir = work.string();
    ChildProcess child(options);
    child.Wait(std::chrono::minutes(5));
    const double seconds = Seconds(start);
    if (!WIFEXITED(child.Status()) || WEXITSTATUS(child.Status()) != 0) {
        std::fprintf(stderr, "%s failed\n", what);
        std::exit(1);
    }
    return seconds;
}

// ppcx64 on the same unit, project and store unit, in a fresh folder, as dcc32 would call it.
double BareCompile(const std::string& binDir, const std::string& compiler) {
    const fs::path work = PrepareBareFolder(binDir);
    const double seconds = TimedRun(FpcArguments(compiler, "kvml.dpr"), work, "bare compile");
    fs::remove_all(work);
    return seconds;
}

// The bare compile in its steps. Free Pascal writes the object files itself (no assembler is
// started), so compiling and assembling are one step; with -s it stops before linking and leaves
// the commands it would have run in ppas.sh: the linker, then strip for -Xs.
struct TCompileSteps {
    double Compile = 0, Link = 0, Strip = 0;
    std::string Linker;
    double Lld = -1;  // the same link by ld.lld, when it is there and links
};

// ld.lld on the linker's command line, in place of ld.bfd: it knows no "-b elf64-x86-64", and
// its input is ELF anyway. Seconds, or -1 when it is missing or fails. (mold and gold stop at
// the SEARCH_DIR and INSERT AFTER of Free Pascal's linker script.)
double LldSeconds(std::vector<std::string> command, const fs::path& work) {
    const char* lld = "/usr/bin/ld.lld";
    if (::access(lld, X_OK) != 0) return -1;
    command[0] = lld;
    for (size_t i = 1; i + 1 < command.size(); ++i)
        if (command[i] == "-b") command.erase(command.begin() + i, command.begin() + i + 2);
    for (std::string& arg : command)
        if (arg == "kvml.dll") arg = "kvml-lld.dll";
    const auto start = Clock::now();
    TSpawnOptions options;
    options.Argv = command;
    options.WorkDir = work.string();
    ChildProcess child(options);
    child.Wait(std::chrono::minutes(1));
    const double seconds = Seconds(start);
    const bool ok = WIFEXITED(child.Status()) && WEXITSTATUS(child.Status()) == 0;
    return ok && fs::exists(work / "kvml-lld.dll") ? seconds : -1;
};

TCompileSteps SplitCompile(const std::string& binDir, const std::string& compiler) {
    const fs::path work = PrepareBareFolder(binDir);
    std::vector<std::string> argv = FpcArguments(compiler, "kvml.dpr");
    argv.insert(argv.end() - 1, "-s");
    TCompileSteps steps;
    steps.Compile = TimedRun(argv, work, "compile without linking");
    std::ifstream script(work / "ppas.sh");
    std::string line;
    int commands = 0;
    while (std::getline(script, line)) {
        if (line.empty() || line[0] != '/') continue;  // the script's own shell lines
        std::vector<std::string> command;
        size_t start = 0;
        while (start < line.size()) {
            size_t end = line.find(' ', start);
            if (end == std::string::npos) end = line.size();
            if (end > start) command.push_back(line.substr(start, end - start));
            start = end + 1;
        }
        const bool strip =
            fs::path(command[0]).filename().string().find("strip") != std::string::npos;
        if (!strip) {
            steps.Linker = fs::path(command[0]).filename().string();
            steps.Lld = LldSeconds(command, work);
        }
        (strip ? steps.Strip : steps.Link) += TimedRun(command, work, command[0].c_str());
        ++commands;
    }
    if (commands == 0 || !fs::exists(work / "kvml.dll")) {
        std::fprintf(stderr, "ppas.sh did not link kvml.dll\n");
        std::exit(1);
    }
    fs::remove_all(work);
    return steps;
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

// The oscilloscope beside the editor: the right three fifths of a 1920 × 1080 screen.
constexpr int kPictureWidth = 1152, kPictureHeight = 1000;

struct TShown {
    double TakeOver = 0, Layout = 0;
};

// What the window does with a successful run: the samples go into the document's store, the
// run is finished (maxima, beams, a copy kept for comparing) and the picture is laid out.
TShown ShowRun(TSignals& document, TSignals& copy, TOsc& osc, TRunHistory& history) {
    TShown shown;
    auto start = Clock::now();
    document.SwapData(copy);
    FinishRun(document, osc, &history, 0);
    shown.TakeOver = Seconds(start);
    start = Clock::now();
    TGraphPicture picture;
    LayoutGraph(osc, &osc.View(0), document.Data(), document.QuantTime(), document.QuantCount(),
                kPictureWidth, kPictureHeight, picture);
    shown.Layout = Seconds(start);
    return shown;
}

// A user's edit of one coefficient: every call with a new `n` gives a new unit, so the library
// in Bin/ is never the one for this text.
void EditCoefficient(TSignals& signals, int n) {
    signals.Items(0).Lines()[20] =
        "  Value := Sin(1 * t) * " + std::to_string(0.5 + 0.0001 * n) + " + t;";
}

void CheckOk(const TModelOutcome& outcome) {
    if (outcome.Ok) return;
    std::fprintf(stderr, "run failed: %s\n", outcome.Error ? outcome.Error->Text.c_str() : "");
    std::exit(1);
}

// F9 on a 10-signal document in its steps, and an auto-run after the typing pause against a
// bare compile of the same unit.
void StepsOfTenSignals(const std::string& binDir, const std::string& compiler, int repeats) {
    TSignals document;
    MakeDocument(document, 10);
    TOsc osc;
    TRunHistory history;
    TRunOptions options;
    options.BinDir = binDir;
    TRunOptions liveOptions = options;
    liveOptions.Timeout = std::chrono::milliseconds(2000);  // the auto-run's default limit
    std::vector<double> copying, generate, compile, link, strip, driver, host, model, takeOver,
        layout, live, bare, lld, rawLink;
    std::string linker;
    for (int r = 0; r < repeats; ++r) {
        EditCoefficient(document, 2 * r);
        auto start = Clock::now();
        std::unique_ptr<TSignals> copy = CopyForRun(document);
        copying.push_back(Seconds(start));
        start = Clock::now();
        CheckOk(RunModel(*copy, options, {}));
        const double whole = Seconds(start);
        TShown shown = ShowRun(document, *copy, osc, history);
        takeOver.push_back(shown.TakeOver);
        layout.push_back(shown.Layout);
        // The steps inside RunModel, again on the same unit.
        start = Clock::now();
        SaveUnit(GenerateUnit(*copy), binDir + "kvm.pas");
        generate.push_back(Seconds(start));
        // The bare compile, shared out in the proportions of its steps: the steps run as
        // separate processes from here cost a little more than inside one compiler run.
        const double bareF9 = BareCompile(binDir, compiler);
        const TCompileSteps steps = SplitCompile(binDir, compiler);
        const double split = steps.Compile + steps.Link + steps.Strip;
        compile.push_back(bareF9 * steps.Compile / split);
        link.push_back(bareF9 * steps.Link / split);
        rawLink.push_back(steps.Link);
        strip.push_back(bareF9 * steps.Strip / split);
        linker = steps.Linker;
        if (steps.Lld >= 0) lld.push_back(steps.Lld);
        start = Clock::now();
        const TModelOutcome ran = RunModelLibrary(*copy, options, {});
        const double hostRun = Seconds(start);
        CheckOk(ran);
        host.push_back(hostRun - ran.ModelSeconds);
        model.push_back(ran.ModelSeconds);
        // What RunModel spends besides those steps, in this repeat: dcc32's own process, the
        // driver's files, log and stamp, the folder's lock.
        driver.push_back(whole - generate.back() - bareF9 - hostRun);

        // An auto-run as after the pause: a copy and its key, the run in the background with
        // its cancel check, the key of the document again (a newer text would win), the show.
        EditCoefficient(document, 2 * r + 1);
        TModelHooks hooks;
        hooks.Cancelled = [] { return false; };
        start = Clock::now();
        std::unique_ptr<TSignals> liveCopy = CopyForRun(document);
        const std::string key = RunKey(*liveCopy);
        CheckOk(RunModel(*liveCopy, liveOptions, hooks));
        if (RunKey(*CopyForRun(document)) != key) std::exit(1);
        ShowRun(document, *liveCopy, osc, history);
        live.push_back(Seconds(start));
        bare.push_back(BareCompile(binDir, compiler));
    }
    struct TRow {
        const char* Name;
        double Ms;
    };
    const std::string linkName = "link (" + linker + ")";
    const TRow rows[] = {
        {"copy of the document", Median(copying)},
        {"generate kvm.pas", Median(generate)},
        {"Free Pascal: compile and assemble", Median(compile)},
        {linkName.c_str(), Median(link)},
        {"strip (-Xs)", Median(strip)},
        {"dcc32, driver, files, log, stamp", Median(driver)},
        {"host: start, box, load", Median(host)},
        {"model run", Median(model)},
        {"take the samples over", Median(takeOver)},
        {"picture layout 1152x1000", Median(layout)},
    };
    double total = 0;
    for (const TRow& row : rows) total += row.Ms;
    std::printf("\nF9 on 10 signals after an edit, step by step (median of %d):\n", repeats);
    std::printf("  %-36s %8s %7s\n", "step", "ms", "share");
    for (const TRow& row : rows)
        std::printf("  %-36s %8.1f %6.1f%%\n", row.Name, row.Ms * 1e3, 100 * row.Ms / total);
    std::printf("  %-36s %8.1f %6.1f%%\n", "whole", total * 1e3, 100.0);
    if (lld.size() == compile.size())
        std::printf("  the same link by ld.lld: %.2f times %s's own (%d pairs)\n",
                    Median(lld) / Median(rawLink), linker.c_str(), repeats);
    const double l = Median(live), b = Median(bare);
    std::printf(
        "\nauto-run, pause to picture: %.1f ms; bare Free Pascal compile %.1f ms; "
        "ratio %.2f (goal <= 1.30)\n",
        l * 1e3, b * 1e3, l / b);
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
    StepsOfTenSignals(binDir, *compiler, repeats);

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
