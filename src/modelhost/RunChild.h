#pragma once
// The process forked for one run of a model.

#include <sys/types.h>

#include "model/HostChannel.h"

namespace kvaril {

// Runs `run` with its descriptors and ends the process with the outcome in the shared report;
// never returns. `host` is the forking host (the run ends if it is gone); with `confine` a run
// that cannot be confined is refused.
[[noreturn]] void RunForked(const THostRun& run, const THostRunFds& fds, pid_t host, bool confine);

}  // namespace kvaril
