#include "store/MinMaxSummary.h"

#include <algorithm>
#include <bit>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kvaril {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// A NaN compares false and changes neither bound.
inline void Take(TMinMax& m, double s) {
    m.Lo = s < m.Lo ? s : m.Lo;
    m.Hi = s > m.Hi ? s : m.Hi;
}

inline void Take(TMinMax& m, const TMinMax& b) {
    m.Lo = b.Lo < m.Lo ? b.Lo : m.Lo;
    m.Hi = b.Hi > m.Hi ? b.Hi : m.Hi;
}

// The bounds of n samples. With SSE2, two pairs of lanes of two: minpd(s, lo) is exactly
// s < lo ? s : lo, so a NaN sample changes neither bound, as in Take. A few samples (a column
// of a short run) are quicker one by one.
TMinMax ScanBlock(const double* s, int64_t n) {
    TMinMax m{kInf, -kInf};
    int64_t k = 0;
#if defined(__SSE2__)
    if (n >= 16) {
        __m128d lo0 = _mm_set1_pd(kInf), lo1 = lo0, hi0 = _mm_set1_pd(-kInf), hi1 = hi0;
        for (; k + 4 <= n; k += 4) {
            const __m128d a = _mm_loadu_pd(s + k), b = _mm_loadu_pd(s + k + 2);
            lo0 = _mm_min_pd(a, lo0);
            hi0 = _mm_max_pd(a, hi0);
            lo1 = _mm_min_pd(b, lo1);
            hi1 = _mm_max_pd(b, hi1);
        }
        alignas(16) double lo[4], hi[4];
        _mm_store_pd(lo, lo0);
        _mm_store_pd(lo + 2, lo1);
        _mm_store_pd(hi, hi0);
        _mm_store_pd(hi + 2, hi1);
        for (int j = 0; j < 4; ++j) Take(m, TMinMax{lo[j], hi[j]});
    }
#endif
    for (; k < n; ++k) Take(m, s[k]);
    return m;
}

// Tells every value apart: the exact extremes.
class TExact final : public TResolution {
  public:
    bool Alike(double a, double b) const override { return a == b; }
};

// Whether block `b` may hold a sample of another class than the extremes `known` so far. When
// it reaches beyond them but alike them, the samples it covers lie between alike values.
bool Matters(const TMinMax& b, const TMinMax& known, const TResolution& resolution) {
    if (!b.Any()) return false;
    if (!known.Any()) return true;
    return (b.Lo < known.Lo && !resolution.Alike(b.Lo, known.Lo)) ||
           (b.Hi > known.Hi && !resolution.Alike(b.Hi, known.Hi));
}

constexpr int ShiftOf(int level) {
    return TMinMaxSummary::kBaseShift + TMinMaxSummary::kFanShift * level;
}

constexpr int64_t RoundUp(int64_t pos, int shift) {
    return (pos + (int64_t{1} << shift) - 1) & ~((int64_t{1} << shift) - 1);
}

}  // namespace

TMinMax ScanSamples(const double* samples, int64_t count) { return ScanBlock(samples, count); }

void TMinMaxSummary::Clear() {
    levels_.clear();
    count_ = 0;
}

size_t TMinMaxSummary::Bytes() const {
    size_t bytes = 0;
    for (const auto& level : levels_) bytes += level.size() * sizeof(TMinMax);
    return bytes;
}

void TMinMaxSummary::Build(const double* samples, int32_t count) {
    Clear();
    count_ = count;
    constexpr int32_t base = 1 << kBaseShift;
    if (count < 2 * base) return;
    // Only whole blocks: a partial one at the end is read sample by sample.
    std::vector<TMinMax> level(static_cast<size_t>(count >> kBaseShift));
    for (size_t b = 0; b < level.size(); ++b)
        level[b] = ScanBlock(samples + (b << kBaseShift), base);
    levels_.push_back(std::move(level));
    constexpr size_t fan = size_t{1} << kFanShift;
    while (levels_.back().size() >= 2 * fan) {
        const std::vector<TMinMax>& below = levels_.back();
        std::vector<TMinMax> up(below.size() >> kFanShift);
        for (size_t b = 0; b < up.size(); ++b) {
            TMinMax m{kInf, -kInf};
            for (size_t k = 0; k < fan; ++k) Take(m, below[(b << kFanShift) + k]);
            up[b] = m;
        }
        levels_.push_back(std::move(up));
    }
}

TMinMax TMinMaxSummary::Range(const double* samples, int32_t first, int32_t last) const {
    return Range(samples, first, last, TExact{});
}

TMinMax TMinMaxSummary::Range(const double* samples, int32_t first, int32_t last,
                              const TResolution& resolution) const {
    const int64_t end = static_cast<int64_t>(last) + 1;
    constexpr int64_t base = int64_t{1} << kBaseShift;
    // Short stretches, and a summary not built, are read sample by sample.
    if (!Built() || end - first < 2 * base) return ScanBlock(samples + first, end - first);
    // The highest level with a whole block inside the stretch, which then holds at most 15 of
    // them: at level 0 there always is one, as the stretch holds 128 quanta. Every level holds
    // every whole block of the run, so the stretch's whole blocks are all there.
    const int top = static_cast<int>(levels_.size()) - 1;
    const int log2 = static_cast<int>(std::bit_width(static_cast<uint64_t>(end - first))) - 1;
    int level = std::min(top, (log2 - kBaseShift) / kFanShift);
    int64_t wholeFrom = 0, wholeTo = 0;
    for (;; --level) {
        const int shift = ShiftOf(level);
        wholeFrom = RoundUp(first, shift);
        wholeTo = (end >> shift) << shift;
        if (wholeFrom < wholeTo || level == 0) break;
    }
    TMinMax known{kInf, -kInf};
    const int shift = ShiftOf(level);
    const std::vector<TMinMax>& blocks = levels_[static_cast<size_t>(level)];
    for (int64_t b = wholeFrom >> shift; b < wholeTo >> shift; ++b)
        Take(known, blocks[static_cast<size_t>(b)]);
    AddEdge(samples, first, wholeFrom, level, true, resolution, known);
    AddEdge(samples, wholeTo, end, level, false, resolution, known);
    return known;
}

void TMinMaxSummary::AddEdge(const double* samples, int64_t from, int64_t to, int level, bool left,
                             const TResolution& resolution, TMinMax& known) const {
    while (from < to) {
        const int shift = ShiftOf(level);
        const std::vector<TMinMax>& blocks = levels_[static_cast<size_t>(level)];
        const auto around = static_cast<size_t>(left ? (to >> shift) - 1 : from >> shift);
        // A right edge in the run's last, partial block of the level has no block around it.
        if (around < blocks.size() && !Matters(blocks[around], known, resolution)) return;
        if (level == 0) {
            Take(known, ScanBlock(samples + from, to - from));
            return;
        }
        // Whole blocks of the level below, and a smaller edge.
        const int below = ShiftOf(--level);
        const std::vector<TMinMax>& finer = levels_[static_cast<size_t>(level)];
        if (left) {
            const int64_t whole = RoundUp(from, below);
            for (int64_t b = whole >> below; b < to >> below; ++b)
                Take(known, finer[static_cast<size_t>(b)]);
            to = whole;
        } else {
            const int64_t whole = (to >> below) << below;
            for (int64_t b = from >> below; b < whole >> below; ++b)
                Take(known, finer[static_cast<size_t>(b)]);
            from = whole;
        }
    }
}

}  // namespace kvaril
