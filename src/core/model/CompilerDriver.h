#pragma once
// Building the model library: generate kvm.pas, run the compiler in the model directory with
// its output in kvml.err, and read the log.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "model/ModelGenerator.h"
#include "model/ModelOutcome.h"

namespace kvaril {

class TSignals;

// What a long step needs from whoever waits for it. All may be called from the thread that
// runs the step; all may be empty.
struct TModelHooks {
    std::function<void(const std::string&)> ShowStatus;  // UTF-8
    std::function<bool()> Cancelled;                     // polled while a child process runs
    // While the model runs, about every 50 ms: the quanta done of `total`.
    std::function<void(int64_t done, int64_t total)> Progress;
};

inline constexpr std::chrono::milliseconds kCompileTimeout{30000};

// `binDir` ends with "/". Deletes the old library, compiles, and parses the log.
TModelOutcome BuildModelLibrary(const std::string& binDir, const TSignals& signals,
                                const TModelHooks& hooks,
                                std::chrono::milliseconds timeout = kCompileTimeout);

// Checks the times, writes kvm.pas into `binDir` (setting every signal's StartLine), then
// builds, holding the model folder's lock throughout. A failure to write kvm.pas throws
// EFileError.
// `maxQuanta`: the most quanta the times may give (ModelGenerator.h).
TModelOutcome GenerateModel(const std::string& binDir, TSignals& signals, const TModelHooks& hooks,
                            std::chrono::milliseconds timeout = kCompileTimeout,
                            int32_t maxQuanta = kClassicMaxQuanta);

// GenerateModel for a caller that already holds the model folder's lock.
TModelOutcome GenerateModelLocked(const std::string& binDir, TSignals& signals,
                                  const TModelHooks& hooks,
                                  std::chrono::milliseconds timeout = kCompileTimeout,
                                  int32_t maxQuanta = kClassicMaxQuanta);

// A box when a file the build writes in `binDir` is a symbolic link: writing through it would
// overwrite whatever it points to.
std::optional<TErrorBox> CheckModelFolderFiles(const std::string& binDir);

}  // namespace kvaril
