// The measuring lines over the traces: A/B cursors and marker lines.

#include <QPainter>

#include "scope/OscPainter.h"

namespace kvaril {

namespace {

// Where the texts of the picture stand: the group numbers (in the painter's font, as
// DrawGroupNumber draws them) and the grid's numbers.
QRegion TextAreas(const QFontMetrics& metrics, const TGraphPicture* picture,
                  const TGridLayout* grid) {
    QRegion areas;
    if (picture)
        for (const TDrawItem& item : picture->Items)
            if (item.What == TDrawItem::GroupNumber)
                areas += QRect(0, item.Y,
                               metrics.horizontalAdvance(QString::fromStdString(item.Text)) + 3,
                               metrics.height());
    if (grid) {
        const QFontMetrics gridMetrics(GridTextFont());
        for (const TGridText& t : grid->Texts) {
            const int w = gridMetrics.horizontalAdvance(QString::fromStdString(t.Text));
            areas += QRect((t.AlignRight ? t.X - w : t.X) - 1, t.Y, w + 2, gridMetrics.height());
        }
    }
    return areas;
}

}  // namespace

void PaintMarkLines(QPainter& painter, const std::vector<TMarkLine>& lines, const QSize& size,
                    const TGraphPicture* picture, const TGridLayout* grid) {
    if (lines.empty()) return;
    const QRegion texts = TextAreas(painter.fontMetrics(), picture, grid);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QColor color = ToQColor(kMarkLineColor);
    QPen solid(color, 0);
    QPen dashed(color, 0, Qt::CustomDashLine);
    dashed.setDashPattern({3, 3});
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    for (const TMarkLine& line : lines) {
        painter.setPen(line.Dashed ? dashed : solid);
        // In pieces between the texts it would cross.
        const QRegion column = QRegion(line.X, 0, 1, size.height()) - texts;
        for (const QRect& piece : column)
            painter.drawLine(line.X, piece.top(), line.X, piece.bottom());
        if (line.Label.empty()) continue;
        // The letter in a box of the line's colour right of the line, left of it at the edge,
        // below any text it would cover.
        const QString text = QString::fromStdString(line.Label);
        const int w = metrics.horizontalAdvance(text) + 4, h = metrics.height();
        const int left = line.X + 1 + w <= size.width() ? line.X + 1 : line.X - w;
        QRect box(left, 0, w, h);
        for (int i = 0; i < 8 && texts.intersects(box); ++i)
            box.moveTop((texts & box).boundingRect().bottom() + 1);
        painter.fillRect(box, color);
        painter.setPen(Qt::white);
        painter.drawText(box, Qt::AlignCenter, text);
    }
    painter.restore();
}

}  // namespace kvaril
