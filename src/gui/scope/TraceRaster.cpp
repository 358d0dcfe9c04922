#include "scope/TraceRaster.h"

#include <QPainterPath>
#include <QPointF>
#include <algorithm>
#include <cmath>

namespace kvaril {

namespace {

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

}  // namespace

void WriteStrokes(const TPixels& r, const std::vector<TStroke>& strokes, QRgb color, bool dashed) {
    for (const TStroke& s : strokes) {
        if (s.X < 0 || s.X >= r.Width) continue;
        if (dashed && (s.X / kDash) % 2 == 1) continue;
        WriteRun(r, s.X, std::max(s.Top, 0), std::min(s.Bottom, r.Height - 1), color);
    }
}

namespace {

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

}  // namespace

// A polyline written into the image's memory with Bresenham's steps, the last point left out
// like a line that stops before its end. Steps (all segments level or upright) and lines of a
// few pixels each are far cheaper this way than through QPainter.
void WritePolyline(const TPixels& r, std::span<const TPoint> points, QRgb color) {
    for (size_t k = 0; k + 1 < points.size(); ++k)
        WriteSegment(r, points[k].X, points[k].Y, points[k + 1].X, points[k + 1].Y, color);
    if (points.size() == 1)
        Plot(r.Bits, r.Stride, r.Width, r.Height, points[0].X, points[0].Y, color);
}

namespace {

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

}  // namespace

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

}  // namespace kvaril
