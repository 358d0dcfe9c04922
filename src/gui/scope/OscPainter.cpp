#include "scope/OscPainter.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <span>

namespace kvaril {

namespace {

// A dashed trace shows runs of this many pixels, with gaps as long.
constexpr int kDash = 4;

// Rows top to bottom of one column, in fixed groups of four whose spare stores repeat the bottom
// row: a run's length changes from column to column, and a loop that ends after each row
// mispredicts its end more often than the spare stores cost.
inline void WriteRun(const TPixels& r, int x, int top, int bottom, QRgb color) {
    uchar* const column = r.Bits + x * 4;
    const qsizetype stride = r.Stride;
    for (int y = top; y <= bottom; y += 4) {
        *reinterpret_cast<QRgb*>(column + y * stride) = color;
        *reinterpret_cast<QRgb*>(column + std::min(y + 1, bottom) * stride) = color;
        *reinterpret_cast<QRgb*>(column + std::min(y + 2, bottom) * stride) = color;
        *reinterpret_cast<QRgb*>(column + std::min(y + 3, bottom) * stride) = color;
    }
}

void WriteStrokes(const TPixels& r, const std::vector<TStroke>& strokes, QRgb color,
                  bool dashed = false) {
    for (const TStroke& s : strokes) {
        if (s.X < 0 || s.X >= r.Width) continue;
        if (dashed && (s.X / kDash) % 2 == 1) continue;
        WriteRun(r, s.X, std::max(s.Top, 0), std::min(s.Bottom, r.Height - 1), color);
    }
}

inline void Plot(uchar* bits, qsizetype stride, int width, int height, int x, int y, QRgb color) {
    if (x >= 0 && y >= 0 && x < width && y < height)
        *reinterpret_cast<QRgb*>(bits + y * stride + x * 4) = color;
}

inline bool Inside(const TPixels& r, int x, int y) {
    return x >= 0 && y >= 0 && x < r.Width && y < r.Height;
}

// One Bresenham segment from (x, y) to (x1, y1), its end point left out. A segment wholly inside
// the picture (nearly all of them) runs without a test per pixel.
void WriteSegment(const TPixels& r, int x, int y, int x1, int y1, QRgb color) {
    const int dx = std::abs(x1 - x), dy = -std::abs(y1 - y);
    const int sx = x < x1 ? 1 : -1, sy = y < y1 ? 1 : -1;
    int err = dx + dy;
    if (Inside(r, x, y) && Inside(r, x1, y1)) {
        uchar* p = r.Bits + y * r.Stride + x * 4;
        const qsizetype stepX = sx * 4, stepY = sy * r.Stride;
        for (int n = std::max(dx, -dy); n > 0; --n) {
            *reinterpret_cast<QRgb*>(p) = color;
            const int e2 = 2 * err;
            if (e2 >= dy) err += dy, p += stepX;
            if (e2 <= dx) err += dx, p += stepY;
        }
        return;
    }
    while (x != x1 || y != y1) {
        Plot(r.Bits, r.Stride, r.Width, r.Height, x, y, color);
        const int e2 = 2 * err;
        if (e2 >= dy) err += dy, x += sx;
        if (e2 <= dx) err += dx, y += sy;
    }
}

// A polyline written into the image's memory with Bresenham's steps, the last point left out
// like a line that stops before its end. Steps (all segments level or upright) and lines of a
// few pixels each are far cheaper this way than through QPainter.
void WritePolyline(const TPixels& r, std::span<const TPoint> points, QRgb color) {
    for (size_t k = 0; k + 1 < points.size(); ++k)
        WriteSegment(r, points[k].X, points[k].Y, points[k + 1].X, points[k + 1].Y, color);
    if (points.size() == 1)
        Plot(r.Bits, r.Stride, r.Width, r.Height, points[0].X, points[0].Y, color);
}

// floor(v + 0.5) and floor(v) without a call into the maths library: coordinates of the
// picture's curves stay far inside ±2^20.
constexpr double kBias = 1048576.0;
inline int Nearest(double v) {
    return static_cast<int>(v + (kBias + 0.5)) - static_cast<int>(kBias);
}

// A curve written one column at a time: the rows its straight pieces cross within a column
// (x within half a pixel of the column's centre) gather into one vertical run, written when the
// curve moves on. Every pixel lies within half a pixel of a piece, and a steep curve costs one
// store per row, not one piece per row.
class TColumnSpans {
  public:
    TColumnSpans(const TPixels& r, QRgb color) : r_(r), color_(color) {}
    ~TColumnSpans() { Flush(); }

    void Piece(double x0, double y0, double x1, double y1) {
        if (x0 > x1) std::swap(x0, x1), std::swap(y0, y1);
        const int first = Nearest(x0), last = Nearest(x1);
        if (first == last) return Add(first, y0, y1);
        const double slope = (y1 - y0) / (x1 - x0);
        double ya = y0;
        for (int column = first; column <= last; ++column) {
            const double xb = column == last ? x1 : column + 0.5;
            const double yb = column == last ? y1 : y0 + (xb - x0) * slope;
            Add(column, ya, yb);
            ya = yb;
        }
    }

    void Add(int column, double ya, double yb) {
        const double lo = std::min(ya, yb), hi = std::max(ya, yb);
        if (column != column_) {
            Flush();
            column_ = column, lo_ = lo, hi_ = hi;
        } else {
            lo_ = std::min(lo_, lo), hi_ = std::max(hi_, hi);
        }
    }

    // A column no other piece shares: written at once.
    void Write(int column, double lo, double hi) const {
        if (column < 0 || column >= r_.Width) return;
        WriteRun(r_, column, std::max(Nearest(lo), 0), std::min(Nearest(hi), r_.Height - 1),
                 color_);
    }

  private:
    void Flush() { Write(column_, lo_, hi_); }

    const TPixels& r_;
    QRgb color_;
    int column_ = -1;
    double lo_ = 0, hi_ = 0;
};

// Whether a segment may be taken with x linear in t: its inner control points lie within 2/3 of a
// column of the even thirds between its ends. The beams' segments always do (one quantum per
// column or so, each rounded to its column), and then x strays from the curve's own by at most
// 3/4 · 2/3 = 1/2 column; with the half pixel of rounding, every pixel stays within one pixel of
// the exact curve.
bool NearlyEven(int x0, int x1, int x2, int x3) {
    return std::abs(3 * x1 - 2 * x0 - x3) <= 2 && std::abs(3 * x2 - x0 - 2 * x3) <= 2;
}

// Such a segment has y as a cubic of x, so each column gets the exact rows of the curve over its
// width: the ends of the column and any turning point inside it.
void WriteNearlyEvenSegment(TColumnSpans& spans, int x0, int x3, double y0, double y1, double y2,
                            double y3) {
    if (x3 < x0) std::swap(x0, x3), std::swap(y0, y3), std::swap(y1, y2);  // the same curve
    const double a = -y0 + 3 * y1 - 3 * y2 + y3, b = 3 * y0 - 6 * y1 + 3 * y2, c = -3 * y0 + 3 * y1;
    auto y = [&](double t) { return ((a * t + b) * t + c) * t + y0; };
    // Turning points: the roots of 3a t² + 2b t + c, in the form that stays exact when a is 0 (a
    // common case with whole rows). Without real roots, or outside the segment, the values taken
    // are still points of the curve (clamped to its ends; NaN becomes 0), which cannot widen a
    // column beyond the curve: no branch to mispredict on noisy traces.
    const double disc = 4 * b * b - 12 * a * c;
    const double q = -0.5 * (2 * b + std::copysign(std::sqrt(std::max(disc, 0.0)), b));
    auto clamp = [](double t) { return t > 0 ? (t < 1 ? t : 1.0) : 0.0; };
    const double t1 = clamp(q / (3 * a)), t2 = clamp(c / q);
    const double v1 = y(t1), v2 = y(t2);
    const int d = x3 - x0;
    const int k1 = Nearest(t1 * d), k2 = Nearest(t2 * d);
    // Column k covers t from (k − ½)/d to (k + ½)/d, cut to the segment. The end columns may be
    // shared with the neighbouring segments; the ones between are this segment's alone.
    const double step = d > 0 ? 1.0 / d : 0;
    auto range = [&](int k, double ya, double yb, double& lo, double& hi) {
        lo = std::min(ya, yb), hi = std::max(ya, yb);
        if (k == k1) lo = std::min(lo, v1), hi = std::max(hi, v1);
        if (k == k2) lo = std::min(lo, v2), hi = std::max(hi, v2);
    };
    double lo, hi;
    if (d == 0) {
        range(0, y0, y3, lo, hi);
        spans.Add(x0, lo, hi);
        return;
    }
    double yLeft = y(0.5 * step);
    range(0, y0, yLeft, lo, hi);
    spans.Add(x0, lo, hi);
    for (int k = 1; k < d; ++k) {
        const double yRight = y((k + 0.5) * step);
        range(k, yLeft, yRight, lo, hi);
        spans.Write(x0 + k, lo, hi);
        yLeft = yRight;
    }
    range(d, yLeft, y3, lo, hi);
    spans.Add(x3, lo, hi);
}

// The flattening keeps each straight piece within this distance of the curve; with the half
// pixel of the columns' rounding, every pixel stays within one pixel of the exact curve.
constexpr double kFlatness = 0.4;

// A Bézier chain flattened into straight pieces and written straight into the image: QPainter's
// curves cost ten times as much for the hundreds of segments of a beam. The number of pieces of
// a segment comes from its control points' second differences: n pieces deviate from the curve
// by at most 3/4 of the largest of them over n squared.
void WriteBezier(const TPixels& r, std::span<const TPoint> points, QRgb color) {
    if (points.empty()) return;
    if (points.size() < 4) {
        Plot(r.Bits, r.Stride, r.Width, r.Height, points[0].X, points[0].Y, color);
        return;
    }
    TColumnSpans spans(r, color);
    for (size_t i = 1; i + 2 < points.size(); i += 3) {
        const TPoint &p0 = points[i - 1], &p1 = points[i], &p2 = points[i + 1], &p3 = points[i + 2];
        if (NearlyEven(p0.X, p1.X, p2.X, p3.X)) {
            WriteNearlyEvenSegment(spans, p0.X, p3.X, p0.Y, p1.Y, p2.Y, p3.Y);
            continue;
        }
        const double x0 = p0.X, y0 = p0.Y, x1 = p1.X, y1 = p1.Y;
        const double x2 = p2.X, y2 = p2.Y, x3 = p3.X, y3 = p3.Y;
        const double bend = std::max({std::abs(x0 - 2 * x1 + x2), std::abs(y0 - 2 * y1 + y2),
                                      std::abs(x1 - 2 * x2 + x3), std::abs(y1 - 2 * y2 + y3)});
        const int n = std::max(1, static_cast<int>(std::ceil(std::sqrt(0.75 * bend / kFlatness))));
        // Forward differences of the cubic at steps of 1/n.
        const double h = 1.0 / n, h2 = h * h, h3 = h2 * h;
        const double ax = -x0 + 3 * x1 - 3 * x2 + x3, bx = 3 * x0 - 6 * x1 + 3 * x2,
                     cx = -3 * x0 + 3 * x1;
        const double ay = -y0 + 3 * y1 - 3 * y2 + y3, by = 3 * y0 - 6 * y1 + 3 * y2,
                     cy = -3 * y0 + 3 * y1;
        double px = x0, py = y0;
        double d1x = ax * h3 + bx * h2 + cx * h, d1y = ay * h3 + by * h2 + cy * h;
        double d2x = 6 * ax * h3 + 2 * bx * h2, d2y = 6 * ay * h3 + 2 * by * h2;
        const double d3x = 6 * ax * h3, d3y = 6 * ay * h3;
        for (int k = 1; k <= n; ++k) {
            const double qx = k == n ? x3 : px + d1x, qy = k == n ? y3 : py + d1y;
            spans.Piece(px, py, qx, qy);
            px = qx, py = qy;
            d1x += d2x, d1y += d2y;
            d2x += d3x, d2y += d3y;
        }
    }
}

// A reference trace on the white screen: every other run of kDash pixels along the line. Not
// on the hot path, so plain Bresenham steps with a test per pixel.
void WriteDashedPolyline(const TPixels& r, std::span<const TPoint> points, QRgb color) {
    const int width = r.Width, height = r.Height;
    uchar* bits = r.Bits;
    const qsizetype stride = r.Stride;
    int run = 0;  // pixels along the line, for the dashes
    for (size_t k = 0; k + 1 < points.size(); ++k) {
        int x = points[k].X, y = points[k].Y;
        const int x1 = points[k + 1].X, y1 = points[k + 1].Y;
        const int dx = std::abs(x1 - x), dy = -std::abs(y1 - y);
        const int sx = x < x1 ? 1 : -1, sy = y < y1 ? 1 : -1;
        int err = dx + dy;
        while (x != x1 || y != y1) {
            if ((run++ / kDash) % 2 == 0) Plot(bits, stride, width, height, x, y, color);
            const int e2 = 2 * err;
            if (e2 >= dy) err += dy, x += sx;
            if (e2 <= dx) err += dx, y += sy;
        }
    }
    if (points.size() == 1) Plot(bits, stride, width, height, points[0].X, points[0].Y, color);
}

// The dashed form of a Bézier chain: flattened into short straight pieces, then dashed.
void WriteDashedBezier(const TPixels& r, std::span<const TPoint> points, QRgb color) {
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
    WriteDashedPolyline(r, flat, color);
}

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

// ---- A/B cursors and marker lines

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
