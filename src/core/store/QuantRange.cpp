#include "store/QuantRange.h"

#include <algorithm>
#include <cmath>

namespace kvaril {

TQuantRange QuantsWithin(double quantTime, int count, double t0, double t1) {
    TQuantRange range;
    if (!(quantTime > 0) || !(t1 >= t0) || count <= 0) return range;
    // In quanta, in extended precision; clamped before the conversion to int, which a huge
    // typed time would overflow.
    const long double first = std::ceil(static_cast<long double>(t0) / quantTime - kQuantTolerance);
    const long double last = std::floor(static_cast<long double>(t1) / quantTime + kQuantTolerance);
    range.First = static_cast<int>(std::clamp<long double>(first, 0, count));
    range.Last = static_cast<int>(std::clamp<long double>(last, -1, count - 1));
    if (range.Last < range.First) range = TQuantRange{};
    return range;
}

}  // namespace kvaril
