#include "scope/PlotFrame.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "common/QtText.h"

namespace kvaril {

void DrawBottomTicks(QPainter& p, const QRect& r, const std::vector<TAxisTick>& ticks,
                     int widgetWidth, int gap, const QColor& grid, const QColor& text) {
    const QFontMetrics fm = p.fontMetrics();
    std::vector<TLabelSpan> spans;
    for (const TAxisTick& t : ticks)
        spans.push_back({r.left() + t.Pixel, double(fm.horizontalAdvance(FromUtf8(t.Text)))});
    const std::vector<double> at = PlaceLabels(spans, 0, widgetWidth, 2 * gap);
    for (size_t i = 0; i < ticks.size(); ++i) {
        const int x = r.left() + static_cast<int>(std::lround(ticks[i].Pixel));
        p.setPen(grid);
        p.drawLine(x, r.top(), x, r.bottom());
        if (std::isnan(at[i])) continue;
        p.setPen(text);
        p.drawText(QPointF(at[i], r.bottom() + gap + fm.ascent()), FromUtf8(ticks[i].Text));
    }
}

void DrawLeftTicks(QPainter& p, const QRect& r, const std::vector<TAxisTick>& ticks, int labelLeft,
                   int widgetHeight, int gap, const QColor& grid, const QColor& text) {
    const QFontMetrics fm = p.fontMetrics();
    double lastTop = HUGE_VAL;
    for (const TAxisTick& t : ticks) {
        const int y = r.top() + static_cast<int>(std::lround(t.Pixel));
        p.setPen(grid);
        p.drawLine(r.left(), y, r.right(), y);
        const double top =
            std::clamp(y - fm.height() / 2.0, 0.0, double(widgetHeight - fm.height()));
        if (top + fm.height() > lastTop) continue;  // from the bottom up: no overlaps
        lastTop = top;
        p.setPen(text);
        p.drawText(QRectF(labelLeft, top, r.left() - gap - labelLeft, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, FromUtf8(t.Text));
    }
}

void DrawLegendBox(QPainter& p, const QRect& r, const std::vector<TLegendRow>& rows,
                   const QString& more, int lineLength, int gap, const QColor& background,
                   const QColor& frame) {
    const QFontMetrics fm = p.fontMetrics();
    const int rowH = fm.height();
    int w = fm.horizontalAdvance(more);
    for (const TLegendRow& row : rows) w = std::max(w, fm.horizontalAdvance(row.Text));
    const int count = static_cast<int>(rows.size()) + (more.isEmpty() ? 0 : 1);
    const QRect box(r.right() - (w + lineLength + 3 * gap) - gap, r.top() + gap,
                    w + lineLength + 3 * gap, count * rowH + gap);
    QColor backing = background;
    backing.setAlpha(225);
    p.fillRect(box, backing);
    if (frame.isValid()) {
        p.setPen(frame);
        p.drawRect(box.adjusted(0, 0, -1, -1));
    }
    const QColor ink = background.lightness() < 100 ? QColor(230, 230, 230) : QColor(20, 20, 20);
    int y = box.top() + gap / 2;
    for (const TLegendRow& row : rows) {
        p.setPen(QPen(row.Color, 2));
        p.drawLine(box.left() + gap, y + rowH / 2, box.left() + gap + lineLength, y + rowH / 2);
        p.setPen(ink);
        p.drawText(QRect(box.left() + 2 * gap + lineLength, y, w + gap, rowH), Qt::AlignVCenter,
                   row.Text);
        y += rowH;
    }
    if (more.isEmpty()) return;
    p.setPen(ink);
    p.drawText(QRect(box.left() + gap, y, w + lineLength + 2 * gap, rowH), Qt::AlignVCenter, more);
}

}  // namespace kvaril
