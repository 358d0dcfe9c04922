#pragma once
// Running a sweep: every run is built and run as F9 builds and runs a document, each in a
// model folder of its own (so runs never see each other's unit, log or library), as many at
// once as the machine has cores. A run that fails is reported and the others go on. A run's
// folder is the same for the same run of the next sweep: an unchanged repeat finds its library
// built and only runs it.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/ModelGenerator.h"
#include "model/ModelOutcome.h"
#include "model/ModelRunner.h"
#include "sweep/SweepPlan.h"

namespace kvaril {

class TSignals;

struct TSweepOptions {
    // What every run is asked, as F9 asks it: the model directory, the quanta limit in force,
    // the time-out per run (from its model's start) and the memory available.
    TRunOptions Run;
    int Jobs = 0;  // runs at once; 0: the cores this process may use
};

// What refuses a sweep before anything runs, said once rather than by every run: times beyond
// the quanta limit of `run`, or stores of all `runs` (a sweep keeps every run's samples) beyond
// the memory `run` has available.
std::optional<TErrorBox> CheckSweepRuns(const TSignals& signals, int runs, const TRunOptions& run);

struct TSweepHooks {
    // Runs finished so far, of all. Called from the sweep's threads, one call at a time.
    std::function<void(int done, int total)> Progress;
    // Polled from the sweep's threads: true stops every run.
    std::function<bool()> Cancelled;
};

// Why a run has no samples, in the words of the table the user reads.
struct TSweepFailure {
    int Run = 0;
    std::string Values;  // the run's label ("Fc=1000")
    std::string Signal;  // UTF-8; empty when no signal is to blame
    std::string Phase;  // "Компиляция", "Create", "Make", "Destroy" or "Выполнение"
    std::string Message;  // the error box: its title, a line break, its text (plain line ends)
};

struct TSweepRun {
    std::unique_ptr<TSignals> Signals;  // the run's document, with its samples when Ok
    TModelOutcome Outcome;
    bool Ok() const { return Outcome.Ok; }
};

struct TSweepResult {
    std::vector<TSweepRun> Runs;          // one per run, in the sweep's order
    std::vector<TSweepFailure> Failures;  // in the sweep's order
    bool Cancelled = false;               // the user stopped it (a run's time limit is a failure)
};

// The cores this process may run on (at least 1).
int AvailableCores();

// The model folder of run `run`: `binDir`sweep/<run>/, made when missing, with the compiler,
// the model host and the model project of `binDir` linked (or copied) into it. Throws
// EFileError when it cannot be made.
std::string SweepFolder(const std::string& binDir, int run);

TSweepResult RunSweep(const TSignals& document, const TSweep& sweep, const TSweepOptions& options,
                      const TSweepHooks& hooks = {});

}  // namespace kvaril
