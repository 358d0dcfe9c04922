#pragma once
// Long work other than a run (an export, the statistics or a frequency plot of a long range)
// says how far it has come and stops when asked, so the window can show a progress bar with a
// way out. The work polls between pieces of about a megabyte; an empty hook costs nothing.

#include <cstdint>
#include <functional>

#include "base/Errors.h"

namespace kvaril {

// The user stopped the work. Whatever it was writing is removed by the output plan it wrote
// through, as for any failure.
class EWorkCancelled : public EKvaril {
  public:
    EWorkCancelled() : EKvaril("Прервано") {}
    const char* ClassName() const override { return "EWorkCancelled"; }
};

struct TWorkHooks {
    // Units done of `total` (rows, frames, samples, screens); called from the working thread.
    std::function<void(int64_t done, int64_t total)> Progress;
    // Polled from the working thread: true stops the work.
    std::function<bool()> Cancelled;

    // Reports `done` of `total`, then throws EWorkCancelled when the user asked to stop.
    void Step(int64_t done, int64_t total) const {
        if (Progress) Progress(done, total);
        if (Cancelled && Cancelled()) throw EWorkCancelled();
    }
};

}  // namespace kvaril
