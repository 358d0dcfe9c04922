#include "scope/OscPainter.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <span>

namespace kvaril {

namespace {

void DrawPiece(QPainter& p, TFigureKind kind, std::span<const TPoint> piece) {
    if (piece.empty()) return;
    if (piece.size() == 1) {
        p.drawPoint(piece[0].X, piece[0].Y);
    } else if (kind == TFigureKind::Polyline) {
        static thread_local std::vector<QPoint> points;
        points.resize(piece.size());
        for (size_t i = 0; i < points.size(); ++i) points[i] = {piece[i].X, piece[i].Y};
        p.drawPolyline(points.data(), static_cast<int>(points.size()));
    } else if (kind == TFigureKind::Bezier) {
        QPainterPath path(QPointF(piece[0].X, piece[0].Y));
        for (size_t i = 1; i + 2 < piece.size(); i += 3) {
            const TPoint &c1 = piece[i], &c2 = piece[i + 1], &e = piece[i + 2];
            path.cubicTo(c1.X, c1.Y, c2.X, c2.Y, e.X, e.Y);
        }
        p.drawPath(path);
    }
}

// A gap of the figure (NaN samples) is left open: each piece is a line or chain of its own.
template <typename Write>
void ForEachPieceOf(const TBeamFigure& figure, Write&& write) {
    ForEachPiece(figure, [&](size_t first, size_t count) {
        write(std::span<const TPoint>(figure.Points.data() + first, count));
    });
}

void DrawFigure(QPainter& p, const TBeamFigure& figure) {
    ForEachPieceOf(figure,
                   [&](std::span<const TPoint> piece) { DrawPiece(p, figure.Kind, piece); });
}

void DrawGroupNumber(QPainter& p, const TDrawItem& item, TLegendPen& legend) {
    const QFontMetrics metrics = p.fontMetrics();
    const QString text = QString::fromStdString(item.Text);
    const TLegendSpot spot = PlaceLegendItem(item, legend, LegendMetrics(p.fontMetrics()), 0);
    p.fillRect(QRect(QPoint(0, spot.Y), QPoint(metrics.horizontalAdvance(text) + 3 - 1,
                                               spot.Y + metrics.height() - 1)),
               QColor(255, 255, 0));
    p.setPen(Qt::black);
    p.drawText(QPoint(spot.X, spot.Y + metrics.ascent()), text);
}

// One pixel of the window: the thinnest line on a file's page or a normal screen, as many device
// pixels as the ratio says on a high-density screen, so a trace keeps its weight and its
// strokes still touch.
QPen TracePen(const QPainter& p, const QColor& color) {
    const qreal ratio = p.device() ? p.device()->devicePixelRatioF() : 1;
    QPen pen(color, ratio > 1 ? ratio : 0);
    pen.setCosmetic(true);
    pen.setCapStyle(Qt::SquareCap);
    return pen;
}

// Lines through a painter go through the middle of their pixels: a line wider than a device
// pixel (a high-density screen) then covers its pixel's rows and columns, not half a pixel of
// the neighbours, and a page's hairline sits where the window's pixel is.
class TOnPixelCentres {
  public:
    TOnPixelCentres(QPainter& p, bool on) : p_(on ? &p : nullptr) {
        if (p_) {
            p_->save();
            p_->translate(0.5, 0.5);
        }
    }
    ~TOnPixelCentres() {
        if (p_) p_->restore();
    }
    TOnPixelCentres(const TOnPixelCentres&) = delete;
    TOnPixelCentres& operator=(const TOnPixelCentres&) = delete;

  private:
    QPainter* p_;
};

// A legend's text on the picture's background, so that a trace passing under the name does not
// hide it; a
// reference run's entry ("Цвета по лучам") starts with a dashed sample line.
// `width`: where a sweep run's entry that would pass it starts a new line instead.
void DrawLegendName(QPainter& p, const TDrawItem& item, TLegendPen& legend,
                    const QColor& background, int width = 0) {
    const QFontMetrics metrics = p.fontMetrics();
    const TLegendSpot spot = PlaceLegendItem(item, legend, LegendMetrics(p.fontMetrics()), width);
    if (item.Dashed) {
        p.fillRect(QRect(spot.SampleX - 1, spot.Y, kLegendSampleWidth + 2, metrics.height()),
                   background);
        const int y = spot.Y + metrics.height() / 2;
        for (int x = 0; x < kLegendSampleWidth; x += 2 * kDash)
            p.fillRect(QRect(spot.SampleX + x, y, kDash, 1), ToQColor(item.Color));
    }
    const QString text = QString::fromStdString(item.Text);
    p.fillRect(QRect(spot.X - 1, spot.Y, metrics.horizontalAdvance(text) + 2, metrics.height()),
               background);
    p.setPen(ToQColor(item.Color));
    p.drawText(QPoint(spot.X, spot.Y + metrics.ascent()), text);
}

// A beam's figure: written straight into the raster where there is one, else painted.
void DrawBeam(QPainter& p, const TGraphPicture& picture, const TDrawItem& item,
              const TPixels* raster) {
    const TBeamFigure& figure = picture.Figures[static_cast<size_t>(item.Figure)];
    const QRgb rgb = ToQColor(item.Color).rgb();
    QPen pen = TracePen(p, ToQColor(item.Color));
    if (item.Dashed) pen.setStyle(Qt::DashLine);
    if (figure.Kind == TFigureKind::Strokes && !raster) {
        // Down the middle of the column from the top of its first row to the bottom of its last,
        // without caps: lines between pixel centres with square caps came out a row too long
        // or short on some columns (beyond the band) and not at all for a single row.
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        for (const TStroke& s : figure.Strokes)
            if (!item.Dashed || (s.X / kDash) % 2 == 0)
                p.drawLine(QPointF(s.X + 0.5, s.Top), QPointF(s.X + 0.5, s.Bottom + 1));
        return;
    }
    TOnPixelCentres centres(p, raster == nullptr);
    if (figure.Kind == TFigureKind::Strokes) {
        WriteStrokes(*raster, figure.Strokes, rgb, item.Dashed);
    } else if (raster && figure.Kind == TFigureKind::Polyline) {
        ForEachPieceOf(figure, [&](std::span<const TPoint> piece) {
            if (item.Dashed)
                WriteDashedPolyline(*raster, piece, rgb);
            else
                WritePolyline(*raster, piece, rgb);
        });
    } else if (raster && figure.Kind == TFigureKind::Bezier) {
        ForEachPieceOf(figure, [&](std::span<const TPoint> piece) {
            if (item.Dashed)
                WriteDashedBezier(*raster, piece, rgb);
            else
                WriteBezier(*raster, piece, rgb);
        });
    } else {
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        DrawFigure(p, figure);
    }
}

void DrawMessage(QPainter& p, const TGraphPicture& picture, const TDrawItem& item) {
    const QFontMetrics metrics = p.fontMetrics();
    const QString text = QString::fromStdString(item.Text);
    p.fillRect(QRect(0, 0, metrics.horizontalAdvance(text), metrics.height()),
               ToQColor(picture.Background));
    p.setPen(ToQColor(item.Color));
    p.drawText(QPoint(item.X0, item.Y + metrics.ascent()), text);
}

void DrawItems(QPainter& p, const TGraphPicture& picture, const TPixels* raster) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    TLegendPen legend;
    for (const TDrawItem& item : picture.Items) {
        switch (item.What) {
            case TDrawItem::Line: {
                // The end point is excluded: the last column stays free.
                TOnPixelCentres centres(p, raster == nullptr);
                p.setPen(TracePen(p, ToQColor(item.Color)));
                if (item.X1 - 1 >= item.X0) p.drawLine(item.X0, item.Y, item.X1 - 1, item.Y);
                break;
            }
            case TDrawItem::Beam:
                DrawBeam(p, picture, item, raster);
                break;
            case TDrawItem::GroupNumber:
                DrawGroupNumber(p, item, legend);
                break;
            case TDrawItem::Message:
                DrawMessage(p, picture, item);
                break;
            case TDrawItem::Legend:
                DrawLegendName(p, item, legend, ToQColor(picture.Background));
                break;
            case TDrawItem::RunLegend:
                DrawLegendName(p, item, legend, ToQColor(picture.Background), picture.Width);
                break;
            case TDrawItem::MeasureLevel: {
                QPen pen(ToQColor(item.Color), 0, Qt::DashLine);
                p.setPen(pen);
                p.drawLine(item.X0, item.Y, item.X1, item.Y);
                break;
            }
            case TDrawItem::MeasureTick:
                p.setPen(QPen(ToQColor(item.Color), 0));
                p.drawLine(item.X0, item.Y - 8, item.X0, item.Y);
                break;
        }
    }
}

void DrawGridLines(QPainter& p, const TGridLayout& grid, int width, int height) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(ToQColor(grid.LineColor), 0));
    for (int x : grid.Columns) p.drawLine(x, 0, x, height - 1);
    for (int y : grid.Rows) p.drawLine(0, y, width - 1, y);
}

// ---- readable scales: the grid's texts in the window's normal font, each on a backing
void DrawGridTexts(QPainter& p, const TGridLayout& grid) {
    const QFont font = GridTextFont();
    p.save();
    p.setFont(font);
    p.setPen(ToQColor(grid.TextColor));
    const QFontMetrics metrics(font);
    for (const TGridText& t : grid.Texts) {
        const QString text = QString::fromStdString(t.Text);
        const int w = metrics.horizontalAdvance(text);
        const int x = t.AlignRight ? t.X - w : t.X;
        p.fillRect(QRect(x - 1, t.Y, w + 2, metrics.height()), ToQColor(grid.Backing));
        p.drawText(QPoint(x, t.Y + metrics.ascent()), text);
    }
    p.restore();
}

}  // namespace

TLegendMetrics LegendMetrics(const QFontMetrics& metrics) {
    TLegendMetrics m;
    m.LineHeight = metrics.height();
    m.Width = [metrics](const std::string& text) {
        return metrics.horizontalAdvance(QString::fromStdString(text));
    };
    return m;
}

QFont GridTextFont() {
    QFont font = QGuiApplication::font();
    if (font.pointSizeF() > 0) font.setPixelSize(qRound(font.pointSizeF() * 96 / 72));
    return font;
}

TGridMetrics GridTextMetrics() {
    const QFontMetrics metrics(GridTextFont());
    return {metrics.height(), metrics.horizontalAdvance(QLatin1Char('0'))};
}

namespace {

void PaintRaster(QPainter& p, const TPixels& raster, const TGraphPicture& picture,
                 const TGridLayout* grid) {
    // Qt's own fill, on an image over just the raster's memory: faster than a loop of ours.
    QImage(raster.Bits, raster.Width, raster.Height, raster.Stride, QImage::Format_RGB32)
        .fill(ToQColor(picture.Background));
    if (grid) DrawGridLines(p, *grid, raster.Width, raster.Height);
    DrawItems(p, picture, &raster);
    if (grid) DrawGridTexts(p, *grid);
}

}  // namespace

void PaintGraphImage(QImage& image, const TGraphPicture& picture, const TGridLayout* grid) {
    const TPixels raster{image.bits(), image.bytesPerLine(), image.width(), image.height()};
    QPainter p(&image);
    PaintRaster(p, raster, picture, grid);
}

void PaintGraphPixels(QPainter& painter, const TPixels& pixels, const TGraphPicture& picture,
                      const TGridLayout* grid) {
    painter.save();
    PaintRaster(painter, pixels, picture, grid);
    painter.restore();
}

void PaintGraphVector(QPainter& painter, const TGraphPicture& picture, const TGridLayout* grid) {
    painter.fillRect(QRect(0, 0, picture.Width, picture.Height), ToQColor(picture.Background));
    if (grid) DrawGridLines(painter, *grid, picture.Width, picture.Height);
    DrawItems(painter, picture, nullptr);
    if (grid) DrawGridTexts(painter, *grid);
}

void PaintGraphOn(QImage& image, const TGraphPicture& picture, const TGridLayout* grid) {
    if (image.devicePixelRatio() == 1) {
        PaintGraphImage(image, picture, grid);
        return;
    }
    QPainter painter(&image);
    PaintGraphVector(painter, picture, grid);
}

void PaintLabelStrip(QPainter& painter, const std::vector<TLabelMark>& marks, const QSize& size,
                     const QColor& background) {
    painter.fillRect(QRect(QPoint(0, 0), size), background);
    painter.setPen(Qt::black);
    const QFontMetrics metrics = painter.fontMetrics();
    for (const TLabelMark& mark : marks) {
        const QString text = QString::fromStdString(mark.Text);
        painter.fillRect(QRect(mark.X, 0, metrics.horizontalAdvance(text), metrics.height()),
                         background);
        painter.drawText(QPoint(mark.X, metrics.ascent()), text);
    }
}

}  // namespace kvaril
