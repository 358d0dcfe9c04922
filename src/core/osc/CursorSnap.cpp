#include "osc/CursorSnap.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace kvaril {

namespace {

struct TPlateau {
    int64_t First, Last;
};

// The plateau of equal finite samples through quantum k, within [first, last].
TPlateau PlateauAt(const double* row, int64_t k, int64_t first, int64_t last) {
    TPlateau p{k, k};
    if (!std::isfinite(row[k])) return p;
    while (p.First > first && row[p.First - 1] == row[k]) --p.First;
    while (p.Last < last && row[p.Last + 1] == row[k]) ++p.Last;
    return p;
}

bool IsExtremum(const double* row, int64_t n, const TPlateau& p, int64_t first, int64_t last) {
    // A plateau that reaches the window's edge may go on beyond it.
    if (p.First <= first || p.Last >= last || p.First < 1 || p.Last > n - 2) return false;
    const double v = row[p.First], a = row[p.First - 1], b = row[p.Last + 1];
    if (!std::isfinite(v) || !std::isfinite(a) || !std::isfinite(b)) return false;
    return (a < v && b < v) || (a > v && b > v);
}

}  // namespace

int64_t NearestExtremum(const double* row, int64_t n, int64_t k, TQuantRange shown) {
    const int64_t first = std::max<int64_t>(shown.First, 0);
    const int64_t last = std::min<int64_t>(shown.Last, n - 1);
    if (k < first || k > last) return k;
    // Plateau by plateau outwards, each sample read once per side; the first extremum on each
    // side is the nearest there.
    std::optional<TPlateau> left, right;
    const TPlateau here = PlateauAt(row, k, first, last);
    if (IsExtremum(row, n, here, first, last)) return (here.First + here.Last) / 2;
    for (int64_t j = here.First - 1; j >= first && !left;) {
        const TPlateau p = PlateauAt(row, j, first, last);
        if (IsExtremum(row, n, p, first, last)) left = p;
        j = p.First - 1;
    }
    for (int64_t j = here.Last + 1; j <= last && !right;) {
        const TPlateau p = PlateauAt(row, j, first, last);
        if (IsExtremum(row, n, p, first, last)) right = p;
        j = p.Last + 1;
    }
    if (!left && !right) return k;
    const TPlateau& nearest =
        !right || (left && k - left->Last <= right->First - k) ? *left : *right;
    return (nearest.First + nearest.Last) / 2;
}

}  // namespace kvaril
