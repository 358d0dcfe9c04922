#include "osc/ExportSpan.h"

#include <algorithm>

#include "document/uBeam.h"
#include "document/uSignal.h"
#include "osc/OscTime.h"

namespace kvaril {

std::vector<std::string> MarkerTexts(const TView* view, double quantTime) {
    std::vector<std::string> texts;
    if (!view) return texts;
    for (int i = 0; i < view->TimeLabelCount(); ++i)
        texts.push_back(std::to_string(i + 1) + ": " +
                        FormatOscTime(quantTime, view->TimeLabel(i).Time()));
    return texts;
}

TSpanTimes SpanTimesOf(const TView* view, TExportSpan span, int markerA, int markerB,
                       const std::pair<double, double>* cursors) {
    TSpanTimes times;
    if (span == TExportSpan::Cursors) {
        if (!cursors) throw ERangeError("Курсоры A/B не показаны (Вид → Курсоры A/B)");
        times.From = std::min(cursors->first, cursors->second);
        times.To = std::max(cursors->first, cursors->second);
        return times;
    }
    if (span == TExportSpan::Window && view) {
        times.From = std::min(view->T0(), view->T1());
        times.To = std::max(view->T0(), view->T1());
    } else if (span == TExportSpan::Markers) {
        const int count = view ? view->TimeLabelCount() : 0;
        if (markerA < 0 || markerA >= count || markerB < 0 || markerB >= count)
            throw ERangeError("Нет такой метки времени на экране");
        const double a = view->TimeLabel(markerA).Time();
        const double b = view->TimeLabel(markerB).Time();
        times.From = std::min(a, b);
        times.To = std::max(a, b);
    }
    return times;
}

TDataRange ExportRangeOf(const TSignals& signals, const TView* view, const std::set<int>& beams,
                         TExportSpan span, int markerA, int markerB,
                         const std::pair<double, double>* cursors) {
    std::vector<int> indices;
    for (int b : beams)
        if (b >= 0 && b < signals.Count()) indices.push_back(b);
    if (span == TExportSpan::Markers && (view ? view->TimeLabelCount() : 0) < 2)
        throw ERangeError("На экране нет двух меток времени");
    const TSpanTimes times = SpanTimesOf(view, span, markerA, markerB, cursors);
    return RangeOf(signals, std::move(indices), times.From, times.To);
}

}  // namespace kvaril
