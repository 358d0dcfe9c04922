#pragma once
// What a window's thread and the thread doing its long work share: the work's progress, which
// the window polls, and the user's request to stop, which the work polls. Neither side ever
// waits for the other, so a busy window cannot stall the work nor the work freeze the window.

#include <atomic>
#include <cstdint>

#include "base/WorkHooks.h"

namespace kvaril {

class TWorkChannel {
  public:
    // The hooks the work is given; they refer to this channel, which must outlive the work.
    TWorkHooks Hooks() {
        TWorkHooks hooks;
        hooks.Cancelled = [this] { return stop_.load(std::memory_order_relaxed); };
        hooks.Progress = [this](int64_t done, int64_t total) {
            total_.store(total, std::memory_order_relaxed);
            done_.store(done, std::memory_order_relaxed);
        };
        return hooks;
    }

    void Stop() { stop_.store(true, std::memory_order_relaxed); }
    bool StopAsked() const { return stop_.load(std::memory_order_relaxed); }

    // The last progress reported; {0, 0} before the first.
    struct TProgress {
        int64_t Done = 0, Total = 0;
    };
    TProgress Progress() const {
        return {done_.load(std::memory_order_relaxed), total_.load(std::memory_order_relaxed)};
    }

  private:
    std::atomic<bool> stop_{false};
    std::atomic<int64_t> done_{0}, total_{0};
};

}  // namespace kvaril
