#pragma once
// What the small plots (the FFT window's and the "Свип" page's) draw alike: the numbers along
// their axes over the grid lines, and the legend box in the top right corner.

#include <QColor>
#include <QRect>
#include <QString>
#include <vector>

#include "analysis/SpectrumPlot.h"

class QPainter;

namespace kvaril {

// Numbers under the plot area `r` at `ticks`, each over its grid line, moved inside
// [0, widgetWidth) rather than cut and left out where they would overlap.
void DrawBottomTicks(QPainter& p, const QRect& r, const std::vector<TAxisTick>& ticks,
                     int widgetWidth, int gap, const QColor& grid, const QColor& text);
// Numbers left of `r` between `labelLeft` and the area, each beside its grid line, kept within
// the widget's height and, from the bottom up, left out where they would overlap.
void DrawLeftTicks(QPainter& p, const QRect& r, const std::vector<TAxisTick>& ticks, int labelLeft,
                   int widgetHeight, int gap, const QColor& grid, const QColor& text);

struct TLegendRow {
    QString Text;
    QColor Color;
};
// The rows, each a short line in its colour and its text, on a backing in the top right corner
// of `r`; `more` ("и еще 3") as a last row without a line when not empty; a frame in `frame`
// when it is valid.
void DrawLegendBox(QPainter& p, const QRect& r, const std::vector<TLegendRow>& rows,
                   const QString& more, int lineLength, int gap, const QColor& background,
                   const QColor& frame = QColor());

}  // namespace kvaril
