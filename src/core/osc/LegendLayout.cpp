#include "osc/LegendLayout.h"

#include <algorithm>

#include "osc/ScreenLayout.h"

namespace kvaril {

namespace {

// The group number's yellow box is three pixels wider than its text; the names start four
// pixels after it.
constexpr int kNumberBox = 3, kNumberGap = 4;
// Where a wrapped line starts, and a name's own left edge.
constexpr int kLineStart = 2;

}  // namespace

TLegendSpot PlaceLegendItem(const TDrawItem& item, TLegendPen& pen, const TLegendMetrics& metrics,
                            int width) {
    const int w = metrics.Width ? metrics.Width(item.Text) : 0;
    if (item.What == TDrawItem::GroupNumber) {
        pen = {item.Y, w + kNumberBox + kNumberGap, 0};
        return {item.X0, item.Y, 0};
    }
    if (pen.Y != item.Y) pen = {item.Y, kLineStart, 0};
    const int space = metrics.Width ? metrics.Width(" ") : 0;
    TLegendSpot spot;
    if (item.Dashed) {
        spot.SampleX = pen.X;
        pen.X += kLegendSampleWidth + space;
    }
    if (item.What == TDrawItem::RunLegend && width > 0 && pen.X > kLineStart &&
        (item.NewLine || pen.X + w > width)) {
        ++pen.Line;
        pen.X = kLineStart;
    }
    spot.X = pen.X;
    spot.Y = item.Y + pen.Line * metrics.LineHeight;
    pen.X += w + 2 * space;
    return spot;
}

int LegendLineCount(const std::vector<TDrawItem>& items, const TLegendMetrics& metrics, int width) {
    TLegendPen pen;
    int lines = 0;
    for (const TDrawItem& item : items) {
        if (item.What != TDrawItem::GroupNumber && item.What != TDrawItem::Legend &&
            item.What != TDrawItem::RunLegend)
            continue;
        PlaceLegendItem(item, pen, metrics, width);
        lines = std::max(lines, pen.Line + 1);
    }
    return lines;
}

TBand BandUnderLegend(const TBand& band, int lines, const TLegendMetrics& metrics) {
    const int strip = lines * metrics.LineHeight + 1;
    int h = band.Height - strip;
    if (h % 2 == 0) --h;  // an odd height has a middle row for the zero line
    if (lines <= 0 || h < 3) return band;
    const int top = band.Top + band.Height - h;
    return {top, h, h / 2, top + h / 2};
}

}  // namespace kvaril
