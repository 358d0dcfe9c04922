#include "osc/ExportSpan.h"

#include <algorithm>

#include "document/uSignal.h"
#include "osc/OscTime.h"
#include "osc/uBeam.h"

namespace kvaril {

std::vector<std::string> MarkerTexts(const TView* view, double quantTime) {
    std::vector<std::string> texts;
    if (!view) return texts;
    for (int i = 0; i < view->TimeLabelCount(); ++i)
        texts.push_back(std::to_string(i + 1) + ": " +
                        FormatOscTime(quantTime, view->TimeLabel(i).Time()));
    return texts;
}

TDataRange ExportRangeOf(const TSignals& signals, const TView* view, const std::set<int>& beams,
                         TExportSpan span, int markerA, int markerB) {
    std::vector<int> indices;
    for (int b : beams)
        if (b >= 0 && b < signals.Count()) indices.push_back(b);
    std::optional<double> from, to;
    if (span == TExportSpan::Window && view) {
        from = std::min(view->T0(), view->T1());
        to = std::max(view->T0(), view->T1());
    } else if (span == TExportSpan::Markers) {
        const int count = view ? view->TimeLabelCount() : 0;
        if (count < 2) throw ERangeError("На экране нет двух меток времени");
        if (markerA < 0 || markerA >= count || markerB < 0 || markerB >= count)
            throw ERangeError("Нет такой метки времени на экране");
        const double a = view->TimeLabel(markerA).Time();
        const double b = view->TimeLabel(markerB).Time();
        from = std::min(a, b);
        to = std::max(a, b);
    }
    return RangeOf(signals, std::move(indices), from, to);
}

}  // namespace kvaril
