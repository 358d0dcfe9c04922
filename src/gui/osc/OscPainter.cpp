#include "osc/OscPainter.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace kvaril {

namespace {

// Where beams are written straight into the picture's memory.
struct TRaster {
    uchar* Bits;
    qsizetype Stride;
    int Width, Height;
};

void WriteStrokes(const TRaster& r, const std::vector<TStroke>& strokes, QRgb color) {
    const int width = r.Width, height = r.Height;
    uchar* bits = r.Bits;
    const qsizetype stride = r.Stride;
    for (const TStroke& s : strokes) {
        if (s.X < 0 || s.X >= width) continue;
        const int top = std::max(s.Top, 0), bottom = std::min(s.Bottom, height - 1);
        uchar* p = bits + top * stride + s.X * 4;
        for (int y = top; y <= bottom; ++y, p += stride) *reinterpret_cast<QRgb*>(p) = color;
    }
}

inline void Plot(uchar* bits, qsizetype stride, int width, int height, int x, int y, QRgb color) {
    if (x >= 0 && y >= 0 && x < width && y < height)
        *reinterpret_cast<QRgb*>(bits + y * stride + x * 4) = color;
}

// A polyline written into the image's memory with Bresenham's steps, the last point left out
// like a line that stops before its end. Steps (all segments level or upright) and lines of a
// few pixels each are far cheaper this way than through QPainter.
void WritePolyline(const TRaster& r, const std::vector<TPoint>& points, QRgb color) {
    const int width = r.Width, height = r.Height;
    uchar* bits = r.Bits;
    const qsizetype stride = r.Stride;
    for (size_t k = 0; k + 1 < points.size(); ++k) {
        int x = points[k].X, y = points[k].Y;
        const int x1 = points[k + 1].X, y1 = points[k + 1].Y;
        const int dx = std::abs(x1 - x), dy = -std::abs(y1 - y);
        const int sx = x < x1 ? 1 : -1, sy = y < y1 ? 1 : -1;
        int err = dx + dy;
        while (x != x1 || y != y1) {
            Plot(bits, stride, width, height, x, y, color);
            const int e2 = 2 * err;
            if (e2 >= dy) err += dy, x += sx;
            if (e2 <= dx) err += dx, y += sy;
        }
    }
    if (points.size() == 1) Plot(bits, stride, width, height, points[0].X, points[0].Y, color);
}

// A Bézier chain flattened into short straight pieces (a few pixels each) and written like a
// polyline: QPainter's curves cost ten times as much for the hundreds of segments of a beam.
void WriteBezier(const TRaster& r, const std::vector<TPoint>& points, QRgb color) {
    static thread_local std::vector<TPoint> flat;
    flat.clear();
    if (points.empty()) return;
    flat.push_back(points[0]);
    for (size_t i = 1; i + 2 < points.size(); i += 3) {
        const QPointF p0(points[i - 1].X, points[i - 1].Y), c1(points[i].X, points[i].Y),
            c2(points[i + 1].X, points[i + 1].Y), p3(points[i + 2].X, points[i + 2].Y);
        // The control polygon's extent bounds the curve's length well enough for the steps.
        auto extent = [](QPointF a, QPointF b) {
            return std::abs(a.x() - b.x()) + std::abs(a.y() - b.y());
        };
        const double length = extent(p0, c1) + extent(c1, c2) + extent(c2, p3);
        const int steps = std::max(1, static_cast<int>(length / 4));
        const double dt = 1.0 / steps;
        for (int k = 1; k <= steps; ++k) {
            const double t = k * dt, u = 1 - t;
            const QPointF q =
                u * u * u * p0 + 3 * u * u * t * c1 + 3 * u * t * t * c2 + t * t * t * p3;
            auto nearest = [](double v) { return static_cast<int>(v < 0 ? v - 0.5 : v + 0.5); };
            const TPoint point{nearest(q.x()), nearest(q.y())};
            if (!(point == flat.back())) flat.push_back(point);
        }
    }
    WritePolyline(r, flat, color);
}

void DrawFigure(QPainter& p, const TBeamFigure& figure) {
    if (figure.Points.empty()) return;
    if (figure.Kind == TFigureKind::Polyline) {
        static thread_local std::vector<QPoint> points;
        points.resize(figure.Points.size());
        for (size_t i = 0; i < points.size(); ++i)
            points[i] = {figure.Points[i].X, figure.Points[i].Y};
        p.drawPolyline(points.data(), static_cast<int>(points.size()));
    } else if (figure.Kind == TFigureKind::Bezier) {
        QPainterPath path(QPointF(figure.Points[0].X, figure.Points[0].Y));
        for (size_t i = 1; i + 2 < figure.Points.size(); i += 3) {
            const TPoint &c1 = figure.Points[i], &c2 = figure.Points[i + 1],
                         &e = figure.Points[i + 2];
            path.cubicTo(c1.X, c1.Y, c2.X, c2.Y, e.X, e.Y);
        }
        p.drawPath(path);
    }
}

// Where the next legend name of a band goes: after the group number drawn at the same top.
struct TLegendPen {
    int Y = -1;
    int X = 0;
};

void DrawGroupNumber(QPainter& p, const TDrawItem& item, TLegendPen& legend) {
    const QFontMetrics metrics = p.fontMetrics();
    const QString text = QString::fromStdString(item.Text);
    legend = {item.Y, metrics.horizontalAdvance(text) + 3 + 4};
    p.fillRect(QRect(QPoint(0, item.Y), QPoint(metrics.horizontalAdvance(text) + 3 - 1,
                                               item.Y + metrics.height() - 1)),
               QColor(255, 255, 0));
    p.setPen(Qt::black);
    p.drawText(QPoint(item.X0, item.Y + metrics.ascent()), text);
}

// The raster paint engine writes every primitive at once, so the image's memory may be
// written between its calls.
// On the picture's background, so that a trace passing under the name does not hide it.
void DrawLegendName(QPainter& p, const TDrawItem& item, TLegendPen& legend,
                    const QColor& background) {
    const QFontMetrics metrics = p.fontMetrics();
    if (legend.Y != item.Y) legend = {item.Y, 2};
    const QString text = QString::fromStdString(item.Text);
    p.fillRect(QRect(legend.X - 1, item.Y, metrics.horizontalAdvance(text) + 2, metrics.height()),
               background);
    p.setPen(ToQColor(item.Color));
    p.drawText(QPoint(legend.X, item.Y + metrics.ascent()), text);
    legend.X += metrics.horizontalAdvance(text) + metrics.horizontalAdvance(' ') * 2;
}

void DrawItems(QPainter& p, const TGraphPicture& picture, const TRaster* raster) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    TLegendPen legend;
    for (const TDrawItem& item : picture.Items) {
        switch (item.What) {
            case TDrawItem::Line:
                // The end point is excluded: the last column stays free.
                p.setPen(QPen(ToQColor(item.Color), 0));
                if (item.X1 - 1 >= item.X0) p.drawLine(item.X0, item.Y, item.X1 - 1, item.Y);
                break;
            case TDrawItem::Beam: {
                const TBeamFigure& figure = picture.Figures[static_cast<size_t>(item.Figure)];
                if (figure.Kind == TFigureKind::Strokes) {
                    if (raster) {
                        WriteStrokes(*raster, figure.Strokes, ToQColor(item.Color).rgb());
                    } else {
                        p.setPen(QPen(ToQColor(item.Color), 0));
                        for (const TStroke& s : figure.Strokes)
                            p.drawLine(s.X, s.Top, s.X, s.Bottom);
                    }
                } else if (raster && figure.Kind == TFigureKind::Polyline) {
                    WritePolyline(*raster, figure.Points, ToQColor(item.Color).rgb());
                } else if (raster && figure.Kind == TFigureKind::Bezier) {
                    WriteBezier(*raster, figure.Points, ToQColor(item.Color).rgb());
                } else {
                    p.setPen(QPen(ToQColor(item.Color), 0));
                    p.setBrush(Qt::NoBrush);
                    DrawFigure(p, figure);
                }
                break;
            }
            case TDrawItem::GroupNumber:
                DrawGroupNumber(p, item, legend);
                break;
            case TDrawItem::Message: {
                const QFontMetrics metrics = p.fontMetrics();
                const QString text = QString::fromStdString(item.Text);
                p.fillRect(QRect(0, 0, metrics.horizontalAdvance(text), metrics.height()),
                           ToQColor(picture.Background));
                p.setPen(ToQColor(item.Color));
                p.drawText(QPoint(item.X0, item.Y + metrics.ascent()), text);
                break;
            }
            case TDrawItem::Legend:
                DrawLegendName(p, item, legend, ToQColor(picture.Background));
                break;
        }
    }
}

}  // namespace

void PaintGraphImage(QImage& image, const TGraphPicture& picture) {
    image.fill(ToQColor(picture.Background));
    const TRaster raster{image.bits(), image.bytesPerLine(), image.width(), image.height()};
    QPainter p(&image);
    DrawItems(p, picture, &raster);
}

void PaintGraphVector(QPainter& painter, const TGraphPicture& picture) {
    painter.fillRect(QRect(0, 0, picture.Width, picture.Height), ToQColor(picture.Background));
    DrawItems(painter, picture, nullptr);
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
