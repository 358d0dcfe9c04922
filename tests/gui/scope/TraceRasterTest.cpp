// The traces written straight into the picture's memory against the exact figures: every pixel
// of a line lies within half a pixel of its segment and every pixel of a spline within one pixel
// of the exact Bézier curve, and the traces leave no gap along the figure.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <random>

#include "document/uSignal.h"
#include "scope/OscPainter.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

constexpr int kWidth = 240, kHeight = 120;

struct TExactPoint {
    double X, Y;
};

std::vector<QPoint> Paint(TFigureKind kind, const std::vector<TPoint>& points) {
    TGraphPicture picture;
    picture.Width = kWidth;
    picture.Height = kHeight;
    picture.Background = {255, 255, 255};
    TBeamFigure figure;
    figure.Kind = kind;
    figure.Points = points;
    picture.Figures.push_back(figure);
    TDrawItem item;
    item.What = TDrawItem::Beam;
    item.Color = {0, 0, 0};
    item.Figure = 0;
    picture.Items.push_back(item);
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    PaintGraphImage(image, picture);
    std::vector<QPoint> pixels;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (image.pixel(x, y) == qRgb(0, 0, 0)) pixels.push_back({x, y});
    return pixels;
}

// The exact figure sampled finely enough (spacing well under a twentieth of a pixel).
std::vector<TExactPoint> Sample(TFigureKind kind, const std::vector<TPoint>& p) {
    std::vector<TExactPoint> samples;
    auto add = [&](double x, double y) { samples.push_back({x, y}); };
    if (kind == TFigureKind::Polyline) {
        for (size_t k = 0; k + 1 < p.size(); ++k)
            for (int i = 0; i < 2000; ++i) {
                const double t = i / 2000.0;
                add(p[k].X + t * (p[k + 1].X - p[k].X), p[k].Y + t * (p[k + 1].Y - p[k].Y));
            }
    } else {
        for (size_t k = 1; k + 2 < p.size(); k += 3)
            for (int i = 0; i <= 4000; ++i) {
                const double t = i / 4000.0, u = 1 - t;
                auto bez = [&](int TPoint::*c) {
                    return u * u * u * (p[k - 1].*c) + 3 * u * u * t * (p[k].*c) +
                           3 * u * t * t * (p[k + 1].*c) + t * t * t * (p[k + 2].*c);
                };
                add(bez(&TPoint::X), bez(&TPoint::Y));
            }
    }
    return samples;
}

double Chebyshev(double ax, double ay, double bx, double by) {
    return std::max(std::abs(ax - bx), std::abs(ay - by));
}

// Largest distance from a pixel to the figure, and from a point of the figure (inside the
// picture) to the nearest pixel.
std::pair<double, double> Distances(const std::vector<QPoint>& pixels,
                                    const std::vector<TExactPoint>& exact) {
    double worstPixel = 0, worstGap = 0;
    for (const QPoint& px : pixels) {
        double best = 1e9;
        for (const TExactPoint& e : exact)
            best = std::min(best, Chebyshev(px.x(), px.y(), e.X, e.Y));
        worstPixel = std::max(worstPixel, best);
    }
    for (const TExactPoint& e : exact) {
        if (e.X < 0 || e.Y < 0 || e.X > kWidth - 1 || e.Y > kHeight - 1) continue;
        double best = 1e9;
        for (const QPoint& px : pixels) best = std::min(best, Chebyshev(px.x(), px.y(), e.X, e.Y));
        worstGap = std::max(worstGap, best);
    }
    return {worstPixel, worstGap};
}

// A beam's chain as the layout makes it: one point per column or so, rows anywhere in a band
// (and sometimes beyond the picture).
std::vector<TPoint> RandomChain(std::mt19937& random, int count, int columnStep, bool uneven) {
    std::vector<TPoint> points;
    int x = 5;
    for (int i = 0; i < count; ++i) {
        points.push_back({x, static_cast<int>(random() % (kHeight + 20)) - 10});
        x += columnStep + (uneven ? static_cast<int>(random() % 3) : 0);
    }
    return points;
}

TEST(TraceRaster, SplinePixelsStayWithinOnePixelOfTheExactCurve) {
    std::mt19937 random(11);
    for (int trial = 0; trial < 12; ++trial) {
        SCOPED_TRACE(trial);
        const bool uneven = trial % 2 == 1;
        const int step = 1 + trial % 4;
        const std::vector<TPoint> chain = RandomChain(random, 3 * 12 + 1, step, uneven);
        const auto [pixel, gap] =
            Distances(Paint(TFigureKind::Bezier, chain), Sample(TFigureKind::Bezier, chain));
        EXPECT_LE(pixel, 1.0 + 1e-3) << (uneven ? "uneven" : "even") << " step " << step;
        EXPECT_LE(gap, 1.0 + 1e-3) << (uneven ? "uneven" : "even") << " step " << step;
    }
}

// The layout's own chains: one sample per quantum at any number of columns per quantum, each
// rounded to its column, so the control points are nearly but not quite evenly spaced (and
// several share a column when the window is compressed towards it). Drawn forwards and
// backwards, since a segment read from its end is the same curve.
TEST(TraceRaster, SplinesOfRoundedQuantaStayWithinOnePixelOfTheExactCurve) {
    std::mt19937 random(23);
    for (double columnsPerQuantum : {0.3, 0.88, 1.0, 1.37, 2.5, 6.2}) {
        for (bool backwards : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << columnsPerQuantum << (backwards ? " backwards" : ""));
            std::vector<TPoint> chain;
            for (int j = 0; j < 3 * 10 + 1; ++j)
                chain.push_back({static_cast<int>(std::lround(3 + j * columnsPerQuantum)),
                                 static_cast<int>(random() % (kHeight + 20)) - 10});
            if (backwards) std::reverse(chain.begin(), chain.end());
            const auto [pixel, gap] =
                Distances(Paint(TFigureKind::Bezier, chain), Sample(TFigureKind::Bezier, chain));
            EXPECT_LE(pixel, 1.0 + 1e-3);
            EXPECT_LE(gap, 1.0 + 1e-3);
        }
    }
}

TEST(TraceRaster, LinePixelsStayWithinHalfAPixelOfTheirSegments) {
    std::mt19937 random(5);
    for (int trial = 0; trial < 12; ++trial) {
        SCOPED_TRACE(trial);
        std::vector<TPoint> chain = RandomChain(random, 30, 1 + trial % 5, trial % 2 == 1);
        const std::vector<QPoint> pixels = Paint(TFigureKind::Polyline, chain);
        // The last point is left out: compare with the figure up to it.
        const auto [pixel, gap] = Distances(pixels, Sample(TFigureKind::Polyline, chain));
        EXPECT_LE(pixel, 0.5 + 1e-3);
        EXPECT_LE(gap, 1.0 + 1e-3);
    }
}

TEST(TraceRaster, FiguresFarOutsideThePictureWriteNothingOutsideIt) {
    const std::vector<TPoint> chain = {{-500, -400}, {-100, 900}, {300, -900}, {900, 600}};
    EXPECT_NO_FATAL_FAILURE(Paint(TFigureKind::Bezier, chain));
    EXPECT_NO_FATAL_FAILURE(Paint(TFigureKind::Polyline, chain));
}

// Two beams in two bands; the lower one's run holds a stretch of NaN and both infinities. The
// NaN was drawn at row 0, a line through the upper band to the top of the picture.
struct NonFiniteRun {
    static constexpr int kWidth = 400, kHeight = 200;
    static constexpr TRgb kMarked{255, 0, 0};

    // `quanta` samples; NaN over the fifth tenth of them, +inf and -inf at 70 % and 80 %.
    NonFiniteRun(int quanta, uint8_t interpolation) {
        for (const char* name : {"Top", "Bottom"}) {
            auto signal = std::make_unique<TSignal>(signals);
            signal->SetName(name);
            signals.Insert(std::move(signal), -1);
        }
        signals.SetQuantTime(0.001);
        signals.SetTotalTime(quanta * 0.001);
        osc.SyncWithSignals(signals);
        osc.View(0).Beam(0).SetGroup(1);
        osc.View(0).Beam(1).SetGroup(2);
        osc.View(0).Beam(1).SetInterpolation(interpolation);
        data.SetSize(2, quanta);
        for (int q = 0; q < quanta; ++q) {
            double v = std::sin(q * 0.05);
            if (q >= quanta / 2 && q < quanta * 6 / 10) v = std::nan("");
            if (q == quanta * 7 / 10) v = HUGE_VAL;
            if (q == quanta * 8 / 10) v = -HUGE_VAL;
            data.SetData(1, q, v);
        }
        data.CalcMaxima();
        LayoutGraph(osc, &osc.View(0), data, 0.001, quanta, kWidth, kHeight, picture);
        // The lower beam in a colour of its own, to find its pixels.
        for (TDrawItem& item : picture.Items)
            if (item.What == TDrawItem::Beam && item.Figure == 1) item.Color = kMarked;
        band = LayoutBands(kHeight, 2)[1];
    }
    // The rows of each column that hold the lower beam's colour.
    std::vector<std::vector<int>> MarkedRows(const QImage& image) const {
        std::vector<std::vector<int>> rows(kWidth);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (image.pixel(x, y) == qRgb(255, 0, 0)) rows[static_cast<size_t>(x)].push_back(y);
        return rows;
    }
    TSignals signals;
    TOsc osc;
    TSignalsData data;
    TGraphPicture picture;
    TBand band{};
};

TEST(TraceRaster, NaNLeavesAGapAndInfinitiesStayOnTheirBandsEdges) {
    const struct {
        int Quanta;
        uint8_t Interpolation;
        const char* What;
    } cases[] = {{200, 0, "steps"}, {200, 1, "lines"}, {200, 2, "splines"}, {2000, 0, "strokes"}};
    for (const auto& c : cases) {
        for (bool vector : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.What << (vector ? ", painted" : ", written"));
            const NonFiniteRun run(c.Quanta, c.Interpolation);
            QImage image(run.kWidth, run.kHeight, QImage::Format_RGB32);
            if (vector) {
                QPainter p(&image);
                PaintGraphVector(p, run.picture);
            } else {
                PaintGraphImage(image, run.picture);
            }
            const std::vector<std::vector<int>> rows = run.MarkedRows(image);
            const int top = run.band.Mid - run.band.Half, bottom = run.band.Mid + run.band.Half;
            bool onTop = false, onBottom = false;
            for (int x = 0; x < run.kWidth; ++x)
                for (int y : rows[static_cast<size_t>(x)]) {
                    ASSERT_GE(y, top) << "column " << x;
                    ASSERT_LE(y, bottom) << "column " << x;
                    onTop |= y == top;
                    onBottom |= y == bottom;
                }
            EXPECT_TRUE(onTop) << "+inf on the top edge";
            EXPECT_TRUE(onBottom) << "-inf on the bottom edge";
            // The NaN quanta fill columns 200 .. 240; their inner ones stay empty.
            for (int x = 202; x < 238; ++x)
                EXPECT_TRUE(rows[static_cast<size_t>(x)].empty()) << "column " << x;
            EXPECT_FALSE(rows[190].empty()) << "the trace before the gap";
            EXPECT_FALSE(rows[250].empty()) << "and after it";
        }
    }
}

}  // namespace
}  // namespace kvaril
