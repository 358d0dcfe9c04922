#include "osc/MarkLines.h"

#include <algorithm>
#include <cmath>

#include "base/uCommon.h"

namespace kvaril {

std::optional<int> ColumnOfTime(const TView& view, double t, int graphWidth) {
    const long double span = static_cast<long double>(view.T1()) - view.T0();
    if (!(span > 0) || !std::isfinite(t) || t < view.T0() || t > view.T1()) return std::nullopt;
    const int x = static_cast<int>(Round((t - view.T0()) * graphWidth / span));
    return std::clamp(x, 0, std::max(0, graphWidth - 1));
}

std::vector<TMarkLine> LayoutMarkLines(const TView* view, int graphWidth, bool markers,
                                       const std::optional<TCursorPair>& cursors) {
    std::vector<TMarkLine> lines;
    if (!view) return lines;
    if (markers)
        for (int i = 0; i < view->TimeLabelCount(); ++i)
            if (const auto x = ColumnOfTime(*view, view->TimeLabel(i).Time(), graphWidth))
                lines.push_back({*x, true, {}});
    if (cursors) {
        if (const auto x = ColumnOfTime(*view, cursors->A, graphWidth))
            lines.push_back({*x, false, "A"});
        if (const auto x = ColumnOfTime(*view, cursors->B, graphWidth))
            lines.push_back({*x, false, "B"});
    }
    return lines;
}

double SnapToQuantum(double t, double quantTime, int64_t sampleCount) {
    if (!(quantTime > 0) || sampleCount <= 0 || !std::isfinite(t)) return t;
    const int64_t k =
        std::clamp<int64_t>(Round(t / static_cast<long double>(quantTime)), 0, sampleCount - 1);
    return static_cast<double>(k * static_cast<long double>(quantTime));
}

TCursorPair DefaultCursorTimes(const TView& view, double quantTime, int64_t sampleCount) {
    const double w = view.T1() - view.T0();
    return {SnapToQuantum(view.T0() + w / 3, quantTime, sampleCount),
            SnapToQuantum(view.T0() + 2 * w / 3, quantTime, sampleCount)};
}

}  // namespace kvaril
