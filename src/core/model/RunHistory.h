#pragma once
// The results of the last runs of the open document, kept so that a new run can be compared
// with an earlier one: the five newest, plus one the user pinned. Each keeps a copy of the
// signal names and samples of its run, no more than the result store held.

#include <cstddef>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace kvaril {

class TSignals;

struct TStoredRun {
    int Id = 0;                      // 1, 2, ... in the order of the runs
    std::string Label;               // UTF-8: when it ran
    double QuantTime = 0;            // the document's quantization time of that run
    int SampleCount = 0;             // samples per signal
    std::vector<std::string> Names;  // Windows-1251, in the order of the rows
    std::vector<double> Values;      // row by row, SampleCount each

    int SignalCount() const { return static_cast<int>(Names.size()); }
    const double* Row(int row) const {
        return Values.data() + static_cast<size_t>(row) * SampleCount;
    }
    // The row of the `occurrence`-th signal (from 0) called `name`, or −1: a run whose signals
    // were renamed, added or removed still matches by name.
    int FindRow(const std::string& name, int occurrence = 0) const;
    size_t ByteSize() const;
};

// A copy of the result store of `signals` after a successful run.
TStoredRun CaptureRun(const TSignals& signals, std::time_t when);

// For each signal of `signals`, the matching row of `run` (−1 when there is none); names that
// occur twice match their occurrences in order.
std::vector<int> MatchRows(const TSignals& signals, const TStoredRun& run);

// Per signal of `signals`, the samples of its match in `run`, or null; all null when the run
// had other times (another quantization or length), whose samples would not line up.
std::vector<const double*> ReferenceRows(const TSignals& signals, const TStoredRun& run);

class TRunHistory {
  public:
    static constexpr int kKept = 5;
    // The memory the kept runs may take together (long runs are large).
    static constexpr size_t kDefaultBudget = size_t{1} << 30;

    // The new run goes first; the sixth newest is dropped unless pinned. Beyond the memory
    // budget, older runs are dropped too, the oldest first and the pinned one last (never the
    // new one); Dropped() tells how many.
    const TStoredRun& Add(TStoredRun run);
    int Dropped() const { return dropped_; }
    void SetBudget(size_t bytes) { budget_ = bytes; }
    size_t Budget() const { return budget_; }
    void Clear();

    // Newest first; a pinned run that fell out of the five comes last.
    std::vector<const TStoredRun*> Runs() const;
    const TStoredRun* Find(int id) const;
    const TStoredRun* Newest() const { return ring_.empty() ? nullptr : ring_.front().get(); }
    // Keeps run `id` even after five more runs; pinning another releases the previous one.
    void Pin(int id);
    int PinnedId() const { return pinned_ ? pinned_->Id : 0; }
    // The memory of every run kept, pinned one included, counted once.
    size_t ByteSize() const;

  private:
    std::vector<std::shared_ptr<const TStoredRun>> ring_;  // newest first
    std::shared_ptr<const TStoredRun> pinned_;
    int lastId_ = 0;
    size_t budget_ = kDefaultBudget;
    int dropped_ = 0;  // by the budget, in the last Add
};

// "12:03:15, сигналов: 3" and a note when pinned.
std::string RunChoiceText(const TStoredRun& run, bool pinned);

}  // namespace kvaril
