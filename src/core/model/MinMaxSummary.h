#pragma once
// The min/max summary of one row of samples, for drawing long runs: the smallest and largest
// sample of every block of 64 quanta, and of blocks 8 times larger level by level (512, 4096,
// …). The smallest and largest sample of any stretch then comes from at most a handful of
// blocks per level and at most two partial blocks of samples, so a column of a compressed
// picture costs about the same at 10 000 000 quanta as at 10000.
//
// NaN takes part in no minimum or maximum (as in the column-by-column rule, a NaN has no row):
// a block of nothing but NaN holds +inf as its minimum and −inf as its maximum, which no
// combination can pick. Infinities are ordinary values. The summary takes about 1/28 of the
// samples' memory.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kvaril {

struct TMinMax {
    double Lo;  // +inf when no sample counted
    double Hi;  // −inf when no sample counted
    bool Any() const { return Lo <= Hi; }
};

class TMinMaxSummary {
  public:
    static constexpr int kBaseShift = 6;  // blocks of 64 quanta
    static constexpr int kFanShift = 3;   // each level's blocks 8 of the one below

    // Summarises `samples` (`count` of them); the samples must stay where they are.
    void Build(const double* samples, int32_t count);
    void Clear();
    bool Built() const { return !levels_.empty(); }
    int32_t Count() const { return count_; }
    size_t Bytes() const;

    // The smallest and largest non-NaN sample of first..last (inclusive); !Any() when there is
    // none.
    TMinMax Range(const double* samples, int32_t first, int32_t last) const;

  private:
    int32_t count_ = 0;
    std::vector<std::vector<TMinMax>> levels_;  // level k: blocks of 64 · 8^k quanta
};

// The same by looking at every sample (what Range must equal).
TMinMax ScanMinMax(const double* samples, int32_t first, int32_t last);

}  // namespace kvaril
