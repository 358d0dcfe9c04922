#pragma once
// A finished sweep as the oscilloscope shows it: the sweep (its constants and values) and every
// run's samples. Shared between the main window, which made it, and the windows that draw it,
// so that it lives as long as any of them shows it.

#include <memory>
#include <string>

#include "sweep/SweepPlan.h"
#include "sweep/SweepRun.h"

namespace kvaril {

struct TSweepShown {
    TSweep Sweep;
    TSweepResult Result;  // a failed run has no samples (Ok() is false)
};

using TSweepShownPtr = std::shared_ptr<const TSweepShown>;

}  // namespace kvaril
