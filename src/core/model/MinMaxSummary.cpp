#include "model/MinMaxSummary.h"

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
// s < lo ? s : lo, so a NaN sample changes neither bound, as in Take.
TMinMax ScanBlock(const double* s, int64_t n) {
    TMinMax m{kInf, -kInf};
    int64_t k = 0;
#if defined(__SSE2__)
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
#endif
    for (; k < n; ++k) Take(m, s[k]);
    return m;
}

}  // namespace

TMinMax ScanMinMax(const double* samples, int32_t first, int32_t last) {
    TMinMax m{kInf, -kInf};
    for (int32_t k = first; k <= last; ++k) Take(m, samples[k]);
    return m;
}

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
    const int64_t end = static_cast<int64_t>(last) + 1;
    int64_t pos = first;
    constexpr int64_t base = int64_t{1} << kBaseShift;
    // Short stretches, and a summary not built, are read sample by sample.
    if (!Built() || end - pos < 2 * base) return ScanBlock(samples + pos, end - pos);
    TMinMax m{kInf, -kInf};
    // The partial block at the start, sample by sample.
    const int64_t aligned = (pos + base - 1) & ~(base - 1);
    Take(m, ScanBlock(samples + pos, aligned - pos));
    pos = aligned;
    // Upwards: whole blocks of each level until the position is aligned to the next level.
    const int levels = static_cast<int>(levels_.size());
    int level = 0;
    for (;;) {
        const int shift = kBaseShift + kFanShift * level;
        const int64_t size = int64_t{1} << shift;
        const std::vector<TMinMax>& blocks = levels_[static_cast<size_t>(level)];
        const int64_t nextSize = size << kFanShift;
        while ((pos & (nextSize - 1)) != 0 && pos + size <= end &&
               static_cast<size_t>(pos >> shift) < blocks.size()) {
            Take(m, blocks[static_cast<size_t>(pos >> shift)]);
            pos += size;
        }
        if ((pos & (nextSize - 1)) != 0 || level + 1 >= levels) break;
        if (pos + nextSize > end) break;
        ++level;
    }
    // Downwards: the largest blocks that still fit, then smaller ones.
    for (; level >= 0; --level) {
        const int shift = kBaseShift + kFanShift * level;
        const int64_t size = int64_t{1} << shift;
        const std::vector<TMinMax>& blocks = levels_[static_cast<size_t>(level)];
        while (pos + size <= end && static_cast<size_t>(pos >> shift) < blocks.size()) {
            Take(m, blocks[static_cast<size_t>(pos >> shift)]);
            pos += size;
        }
    }
    // The partial block at the end.
    Take(m, ScanBlock(samples + pos, end - pos));
    return m;
}

}  // namespace kvaril
