#pragma once
// The min/max summary of one row of samples, for drawing long runs: the smallest and largest
// sample of every block of 64 quanta, and of blocks 8 times larger level by level (512, 4096,
// …). The smallest and largest sample of any stretch then comes from at most 15 blocks of one
// level plus the two partial blocks at its edges. A picture needs an edge's samples only when
// the block around it reaches a row beyond the rest of the column, so a column of a compressed
// picture costs about the same at 10 000 000 quanta as at 10000 and seldom touches the samples.
//
// NaN takes part in no minimum or maximum (as in the column-by-column rule, a NaN has no row):
// a block of nothing but NaN holds +inf as its minimum and −inf as its maximum, which no
// combination can pick. Infinities are ordinary values. The summary takes about 1/28 of the
// samples' memory.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace kvaril {

struct TMinMax {
    double Lo;  // +inf when no sample counted
    double Hi;  // −inf when no sample counted
    bool Any() const { return Lo <= Hi; }
};

// What a reader of extremes tells apart: a picture, for one, only a value's row. Alike must be
// an equivalence whose classes are stretches of the number line (a value between two alike ones
// is alike them too), as a scale that keeps or reverses the order of values gives. Never asked
// about NaN.
class TResolution {
  public:
    virtual bool Alike(double a, double b) const = 0;

  protected:
    ~TResolution() = default;
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
    // The same as far as `resolution` tells: Lo and Hi are alike the smallest and the largest
    // sample, which the summary finds without reading the samples of an edge whose block holds
    // nothing beyond the classes of the rest. !Any() exactly when there is no non-NaN sample.
    TMinMax Range(const double* samples, int32_t first, int32_t last,
                  const TResolution& resolution) const;

  private:
    // Takes into `known` the samples from..to−1 of one block of `level` (the one ending at `to`
    // for a left edge, the one starting at `from` for a right one) as far as they may change its
    // classes: a block that cannot is passed over, one that may is split into whole blocks of
    // the level below and a smaller edge, down to the samples.
    void AddEdge(const double* samples, int64_t from, int64_t to, int level, bool left,
                 const TResolution& resolution, TMinMax& known) const;

    int32_t count_ = 0;
    std::vector<std::vector<TMinMax>> levels_;  // level k: blocks of 64 · 8^k quanta
};

// The smallest and largest non-NaN sample of `count` samples, looking at every one.
TMinMax ScanSamples(const double* samples, int64_t count);
// The same for first..last (inclusive), as a short stretch or a row without a summary is read.
// Inline: a compressed picture of a short run asks this for every column of a handful of
// samples, where a call costs as much as the looking.
inline TMinMax ScanMinMax(const double* samples, int32_t first, int32_t last) {
    if (last - first >= 16) return ScanSamples(samples + first, last - first + 1);
    TMinMax m{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    for (int32_t k = first; k <= last; ++k) {
        m.Lo = samples[k] < m.Lo ? samples[k] : m.Lo;  // a NaN changes neither bound
        m.Hi = samples[k] > m.Hi ? samples[k] : m.Hi;
    }
    return m;
}

}  // namespace kvaril
