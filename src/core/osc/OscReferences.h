#pragma once
// The session's other runs: the reference run drawn beneath the current one and compared in the
// value table, chosen from the run history or pinned there. Runs drawn together with the current
// one (a sweep's overlays) belong here too.

#include <string>
#include <utility>
#include <vector>

#include "sweep/SweepShown.h"

namespace kvaril {

class TOscContext;
class TRunHistory;
struct TStoredRun;

struct TRunChoice {
    int Id;            // 0: none
    std::string Text;  // UTF-8
};

class TOscReferences {
  public:
    explicit TOscReferences(TOscContext& context) : context_(context) {}

    void SetRunHistory(TRunHistory* runs) { runs_ = runs; }
    // "нет" and the runs before the current one, newest first.
    std::vector<TRunChoice> Choices() const;
    void SetReference(int id);  // 0: none
    const TStoredRun* Reference() const;
    // Pins the reference shown, or else the current run.
    void Pin();
    bool CanPin() const;
    // Per current signal, the reference run's samples (see ReferenceRows); null without a
    // reference.
    const std::vector<const double*>* Rows() const;

    // A sweep's runs, drawn over each beam in place of the current run; null: none. Its signals
    // and times are the current run's.
    void SetSweep(TSweepShownPtr sweep) { sweep_ = std::move(sweep); }
    const TSweepShown* Sweep() const { return sweep_.get(); }
    // For a window that keeps showing the sweep after the oscilloscope has moved on.
    const TSweepShownPtr& SharedSweep() const { return sweep_; }

  private:
    TOscContext& context_;
    TRunHistory* runs_ = nullptr;
    int referenceId_ = 0;  // 0: the pinned run, if any; −1: none chosen
    mutable std::vector<const double*> rows_;
    mutable long rowsKey_ = -1;
    TSweepShownPtr sweep_;
};

}  // namespace kvaril
