#pragma once
// Running a built model: the model host process loads kvml.dll, maps the result store's rows,
// calls MainModelProc and reports back. Nothing the model does can take the workbench down.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "model/CompilerDriver.h"
#include "model/ModelGenerator.h"
#include "model/ModelOutcome.h"
#include "model/RefusedCalls.h"
#include "model/RunReport.h"

namespace kvaril {

class TSignals;
class TModelFolderLock;
class TModelHost;

// The largest file a model may write in its scratch folder.
inline constexpr unsigned long long kModelFileLimitBytes = 256ull << 20;

// A machine that can make no box for the model: the run is refused, and what to enable is said.
inline constexpr const char* kUnconfinedText =
    "Модель не запущена: система не позволяет оградить ее от ваших файлов - нет ни пространств "
    "имен пользователя (для bubblewrap), ни Landlock. Включите одно из них: "
    "sysctl kernel.unprivileged_userns_clone=1 и user.max_user_namespaces > 0, либо ядро "
    "5.13 или новее с Landlock в списке lsm=";

struct TRunOptions {
    std::string BinDir;                                // ends with "/"
    std::chrono::milliseconds Timeout{0};              // 0: no limit (the user can still cancel)
    unsigned long long MemoryLimitBytes = 2ull << 30;  // besides the store itself
    unsigned long long CpuLimitSeconds = 600;
    int32_t MaxQuanta = kClassicMaxQuanta;  // ModelGenerator.h: classic, or long runs
    // The memory a long run's store may take (StoreBudget.h); 0: what the system has available.
    unsigned long long AvailableMemoryBytes = 0;
};

// The refusal of a run beyond the classic limit whose store would not fit in the memory
// available; nothing for classic runs, whose stores are small.
std::optional<TErrorBox> CheckRunMemory(const TSignals& signals, const TRunOptions& options);

// The text of a model that ended the process itself (RefusedCalls.h: of a refused call).
std::string ModelExitText(int code);

// The quantum whose Make failed, from the failing signal and the last sample written before
// the fault; nothing outside Make or without a known place.
std::optional<int> FailingQuant(const TRunReport& report, int signalCount, int quantCount);

// Where the editor goes after a fault in phase `phase` (0 Create, 1 Make, 2 Destroy) of signal
// `signalIndex`: the line that implements the phase in the signal's text, at the phase's name;
// the signal's first line when its text implements none.
std::optional<TSourceLocation> PhaseLocation(const TSignals& signals, int signalIndex, int phase);

// The host's report turned into the run's outcome (the error box and its place).
TModelOutcome InterpretRunReport(const TRunReport& report, const TSignals& signals, int waitStatus);

// Runs the library already built in BinDir over the store of `signals`, in `host` or in a host
// of the pool a sweep's runs take theirs from (ModelHost.h). A held `folderLock` is released as
// soon as the host has loaded the library: from then on another run may rebuild it.
TModelOutcome RunModelLibrary(TSignals& signals, const TRunOptions& options,
                              const TModelHooks& hooks, TModelFolderLock* folderLock = nullptr,
                              TModelHost* host = nullptr);

// The whole run action without the window: wait for the model folder, generate, build, run.
// Status "Ok" at the end, whether the model succeeded or failed inside.
TModelOutcome RunModel(TSignals& signals, const TRunOptions& options, const TModelHooks& hooks);

}  // namespace kvaril
