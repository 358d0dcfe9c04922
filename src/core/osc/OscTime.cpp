#include "osc/OscTime.h"

#include <cmath>

#include "base/uCommon.h"
#include "document/uSignal.h"

namespace kvaril {

namespace {

// One decimal more than the step has. A step of exactly 0.001 has three decimals, so it must
// count as below the bound 0.001 although its double lies a hair above it.
bool Below(double q, double bound) { return q < bound * (1 + 1e-9); }

long double TimeScale(double q) {
    if (Below(q, 0.00001)) return 1000000;
    if (Below(q, 0.0001)) return 100000;
    if (Below(q, 0.001)) return 10000;
    if (Below(q, 0.01)) return 1000;
    if (Below(q, 0.1)) return 100;
    if (Below(q, 1)) return 10;
    return 1;
}

}  // namespace

std::string FormatOscTime(double quantTime, double t) {
    const long double s = TimeScale(quantTime);
    return FormatFloat(Round(t * s) / s);
}

double SnapToQuant(double quantTime, double t) {
    if (quantTime < MinQuantTime) return t;
    // Both roundings go through a 64-bit integer, which a larger time overflows to the other
    // sign; there the grid is finer than a double can tell apart anyway. NaN stays NaN.
    constexpr long double kCountable = 4e18L;
    const long double x = t;
    if (!(std::fabs(x / quantTime) < kCountable && std::fabs(x) * 1000000.0L < kCountable))
        return t;
    const int64_t k = Round(static_cast<long double>(t) / quantTime);
    return static_cast<double>(Round(k * static_cast<long double>(quantTime) * 1000000.0L) /
                               1000000.0L);
}

std::string MarkerName(int index) { return "m" + std::to_string(index + 1); }

int MarkerIndex(const std::string& name) {
    auto at = [&name](size_t i) -> int {
        return i < name.size() ? static_cast<unsigned char>(name[i]) : 0;
    };
    int result = at(1) - '0';
    if (at(2) >= '0' && at(2) <= '9') result = result * 10 + (at(2) - '0');
    return result - 1;
}

}  // namespace kvaril
