#include "sweep/SweepRun.h"

#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>

#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/uCommon.h"
#include "document/uSignal.h"
#include "model/CompilerDriver.h"
#include "model/ModelBox.h"
#include "model/ModelFolderLock.h"
#include "model/ModelHost.h"
#include "model/ModelRunner.h"
#include "store/StoreBudget.h"
#include "store/uSignalsData.h"

namespace kvaril {

namespace fs = std::filesystem;

int AvailableCores() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return CPU_COUNT(&set);
    return std::max(1u, std::thread::hardware_concurrency());
}

namespace {

// The files every build and run reads from the model directory.
constexpr const char* kTools[] = {"dcc32", "kvaril-modelhost", "kvml.dpr", "uSignalsData.pas"};

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// `to` becomes `from`: a hard link keeps the compiler's identity, so the library stamp of the
// folder stays valid from one sweep to the next; across file systems, a copy that is replaced
// only when the tool in the model folder changes.
void LinkTool(const fs::path& from, const fs::path& to) {
    struct stat source {
    }, target{};
    if (::stat(from.c_str(), &source) != 0) return;  // reported by the build that needs it
    const bool exists = ::lstat(to.c_str(), &target) == 0;
    if (exists && S_ISREG(target.st_mode) && SameFile(source, target)) return;
    if (exists && S_ISREG(target.st_mode) && target.st_size == source.st_size &&
        target.st_mtim.tv_sec >= source.st_mtim.tv_sec && target.st_nlink == 1)
        return;  // our own copy of the same file
    if (exists && ::unlink(to.c_str()) != 0)
        throw EFileError("Не могу заменить " + to.string() + ": " + std::strerror(errno));
    if (::link(from.c_str(), to.c_str()) == 0) return;
    std::error_code ec;
    const fs::path temp = to.string() + ".new";
    fs::copy_file(from, temp, fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::rename(temp, to, ec);
    if (ec) throw EFileError("Не могу скопировать " + from.string() + ": " + ec.message());
}

struct TStep {
    TModelOutcome Outcome;
    bool Built = false;
    bool TimedOut = false;
};

// The F9 sequence in the run's own folder: wait for it, generate, build, run.
TStep BuildAndRun(TSignals& signals, const std::string& folder, const TSweepOptions& options,
                  const TSweepHooks& sweepHooks, TModelHost& host) {
    TStep step;
    // The limit guards against a model that never ends: it counts from the model's start, not
    // while the run waits for a core or its build (which has its own limit).
    std::optional<std::chrono::steady_clock::time_point> modelStarted;
    TModelHooks hooks;
    hooks.Cancelled = [&] {
        if (sweepHooks.Cancelled && sweepHooks.Cancelled()) return true;
        step.TimedOut = modelStarted && options.Run.Timeout.count() > 0 &&
                        std::chrono::steady_clock::now() - *modelStarted > options.Run.Timeout;
        return step.TimedOut;
    };
    TRunOptions run = options.Run;
    run.BinDir = folder;
    TModelFolderLock lock;
    lock.Acquire(folder, hooks);
    if (!lock.Held()) {
        step.Outcome.Cancelled = true;
        return step;
    }
    step.Outcome = GenerateModelLocked(folder, signals, hooks, kCompileTimeout, run.MaxQuanta);
    if (!step.Outcome.Ok) return step;
    step.Built = true;
    modelStarted = std::chrono::steady_clock::now();
    step.Outcome = RunModelLibrary(signals, run, hooks, &lock, &host);
    return step;
}

std::string SignalName(const TSignals& signals, int index) {
    if (index < 0 || index >= signals.Count()) return {};
    return Cp1251ToUtf8(signals.Items(index).Name());
}

TSweepFailure Failure(const TSweep& sweep, int run, const TSignals& signals, const TStep& step,
                      const TSweepOptions& options) {
    static constexpr const char* kPhases[] = {"Create", "Make", "Destroy"};
    const TModelOutcome& outcome = step.Outcome;
    TSweepFailure failure{
        run, sweep.RunLabel(run), {}, step.Built ? "Выполнение" : "Компиляция", {}};
    if (step.TimedOut) {
        failure.Message =
            "Остановлено: истекло время (" +
            FormatShortestPlain(std::chrono::duration<double>(options.Run.Timeout).count()) + " с)";
        return failure;
    }
    if (step.Built) {
        failure.Signal = SignalName(signals, outcome.FailedSignal);
        if (outcome.FailedPhase >= 0) failure.Phase = kPhases[outcome.FailedPhase];
    } else if (outcome.Location) {
        failure.Signal = SignalName(signals, outcome.Location->SignalIndex);
    }
    failure.Message =
        outcome.Error ? outcome.Error->Title + "\n" + outcome.Error->Text : "Модель не построена";
    failure.Message = WithPlainLineEnds(failure.Message);
    while (failure.Message.ends_with('\n')) failure.Message.pop_back();
    return failure;
}

}  // namespace

std::optional<TErrorBox> CheckSweepRuns(const TSignals& signals, int runs, const TRunOptions& run) {
    if (std::optional<TErrorBox> box = CheckModelTimes(signals, run.MaxQuanta)) return box;
    unsigned long long available = run.AvailableMemoryBytes;
    const int32_t quanta = signals.QuantCount();
    if (quanta <= kClassicMaxQuanta) return std::nullopt;  // small stores, as for F9
    if (available == 0) available = AvailableMemory().value_or(0);
    if (available == 0) return std::nullopt;  // nothing to tell by: the allocation will say
    const int64_t signalsInAll = static_cast<int64_t>(signals.Count()) * std::max(runs, 1);
    return CheckStoreMemory(static_cast<int32_t>(std::min<int64_t>(signalsInAll, INT32_MAX)),
                            quanta, available);
}

std::string SweepFolder(const std::string& binDir, int run) {
    const fs::path folder = fs::path(binDir) / "sweep" / std::to_string(run + 1);
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) throw EFileError("Не могу создать папку " + folder.string() + ": " + ec.message());
    for (const char* tool : kTools) LinkTool(fs::path(binDir) / tool, folder / tool);
    return folder.string() + "/";
}

TSweepResult RunSweep(const TSignals& document, const TSweep& sweep, const TSweepOptions& options,
                      const TSweepHooks& hooks) {
    RemoveKeptScratchFolders();  // what the last command's models wrote
    const int total = sweep.RunCount();
    const int jobs = std::min(total, options.Jobs > 0 ? options.Jobs : AvailableCores());
    // One box for all the runs of a worker, kept for the next sweep: making one is most of what
    // a run that reuses its library costs. Boxes not kept begin now, while the runs are prepared.
    std::vector<std::unique_ptr<TModelHost>> hosts;
    for (int i = 0; i < jobs; ++i)
        hosts.push_back(TakeModelHost(options.Run.BinDir + "kvaril-modelhost"));
    TSweepResult result;
    result.Runs.resize(static_cast<size_t>(total));
    std::vector<std::string> folders;
    std::vector<TStep> steps(static_cast<size_t>(total));
    for (int run = 0; run < total; ++run) {
        result.Runs[run].Signals = std::make_unique<TSignals>();
        SweepDocument(document, sweep, run, *result.Runs[run].Signals);
        folders.push_back(SweepFolder(options.Run.BinDir, run));
    }

    std::atomic<int> next{0};
    std::mutex progress;
    int done = 0;
    std::atomic<int> workers{0};
    const auto work = [&] {
        const int worker = workers++;
        for (int run; (run = next++) < total;) {
            TModelHost& host = *hosts[worker];
            TSignals& signals = *result.Runs[run].Signals;
            try {
                steps[run] = BuildAndRun(signals, folders[run], options, hooks, host);
                // What F9 does after a run: the drawing scales by these maxima.
                if (steps[run].Outcome.Ok) signals.Data().CalcMaxima();
            } catch (const std::exception& e) {
                steps[run].Outcome = TModelOutcome::Failure("Отладка программы", e.what());
            }
            std::lock_guard<std::mutex> lock(progress);
            ++done;
            if (hooks.Progress) hooks.Progress(done, total);
        }
    };
    std::vector<std::thread> threads;
    for (int i = 1; i < jobs; ++i) threads.emplace_back(work);
    work();
    for (std::thread& thread : threads) thread.join();
    for (std::unique_ptr<TModelHost>& host : hosts) GiveBackModelHost(std::move(host));

    for (int run = 0; run < total; ++run) {
        TStep& step = steps[run];
        result.Runs[run].Outcome = step.Outcome;
        if (step.Outcome.Ok) continue;
        if (step.Outcome.Cancelled && !step.TimedOut) {
            result.Cancelled = true;
            continue;
        }
        result.Failures.push_back(Failure(sweep, run, *result.Runs[run].Signals, step, options));
    }
    return result;
}

}  // namespace kvaril
