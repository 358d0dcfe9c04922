#include "osc/TraceGeometry.h"

#include <algorithm>
#include <cmath>

#include "model/uCommon.h"
#include "model/uSignalsData.h"
#include "osc/uBeam.h"

namespace kvaril {

int QuantAtColumn(const TBeamGeometry& g, int x) {
    const int64_t i = Round((x * static_cast<long double>(g.Dt) + g.T0) / g.QuantTime);
    if (i < 0) return 0;
    if (i >= g.QuantCount) return g.QuantCount - 1;
    return static_cast<int>(i);
}

int ColumnOfQuant(const TBeamGeometry& g, int i) {
    const int64_t x = Round((i * static_cast<long double>(g.QuantTime) - g.T0) / g.Dt);
    if (x < 0) return 0;
    if (x > g.LastX) return g.LastX;
    return static_cast<int>(x);
}

void ComputeColumnQuanta(const TBeamGeometry& g, std::vector<int>& quanta) {
    quanta.resize(static_cast<size_t>(g.LastX) + 2);
    for (int x = 0; x <= g.LastX + 1; ++x) quanta[static_cast<size_t>(x)] = QuantAtColumn(g, x);
}

TRowScale TRowScale::For(const TBeam& beam, const TSignalsData& data, const TBeamGeometry& g) {
    TRowScale s;
    s.Gain = beam.Gain();
    if (s.Gain == 0 && beam.SignalIndex() < data.SignalCount()) {
        const double m = g.SharedMax >= 0 ? g.SharedMax : data.GetMax(beam.SignalIndex());
        if (m > 1e-10) s.Gain = 1 / m;
    }
    s.Offset = beam.Offset();
    s.Half = g.Half;
    s.Mid = g.Mid;
    return s;
}

int TRowScale::RowOfValue(double sample) const {
    long double v = static_cast<long double>(sample) * Gain + Offset;
    if (v > 1) v = 1;
    if (v < -1) v = -1;
    return static_cast<int>(Round(Mid - Half * v));
}

namespace {

void DrawCompressed(const double* samples, const TRowScale& scale, const TBeamGeometry& g,
                    TBeamFigure& figure) {
    figure.Kind = TFigureKind::Strokes;
    figure.Strokes.clear();
    figure.Strokes.reserve(static_cast<size_t>(g.LastX) + 1);
    auto quantAt = [&g](int x) { return g.ColumnQuanta ? g.ColumnQuanta[x] : QuantAtColumn(g, x); };
    int e = quantAt(0);
    for (int x = 0; x <= g.LastX; ++x) {
        const int i = e;  // QuantAtColumn(x), carried over from the previous column
        e = quantAt(x + 1);
        if (i >= g.QuantCount || e >= g.QuantCount) continue;
        // The row is monotonic in the sample, so the column's extremes give its stroke; a NaN
        // (whose row is undefined) takes the sample-by-sample way.
        double lo = samples[i], hi = samples[i];
        bool nan = std::isnan(lo);
        for (int k = i + 1; k <= e; ++k) {
            const double s = samples[k];
            lo = s < lo ? s : lo;
            hi = s > hi ? s : hi;
            nan |= std::isnan(s);
        }
        int top, bottom;
        if (!nan) {
            const int a = scale.RowOfValue(lo), b = scale.RowOfValue(hi);
            top = std::min(a, b);
            bottom = std::max(a, b);
        } else {
            top = bottom = scale.RowOfValue(samples[i]);
            for (int k = i + 1; k <= e; ++k) {
                const int r = scale.RowOfValue(samples[k]);
                if (r > bottom)
                    bottom = r;
                else if (r < top)
                    top = r;
            }
        }
        figure.Strokes.push_back({x, top, bottom});
    }
}

void DrawSteps(const double* samples, const TRowScale& scale, const TBeamGeometry& g, int j0,
               int j1, TBeamFigure& figure) {
    auto& p = figure.Points;
    p.reserve(2 * static_cast<size_t>(j1 - j0 + 1) + 2);
    int level = scale.RowOfValue(samples[j0]);
    int previous = ColumnOfQuant(g, j0);
    p.push_back({previous, level});
    for (int j = j0 + 1; j <= j1; ++j) {
        const int x = ColumnOfQuant(g, j);
        if (x == previous) continue;
        const int r = scale.RowOfValue(samples[j]);
        if (r != level) {
            p.push_back({x, level});
            p.push_back({x, r});
            level = r;
        }
        previous = x;
    }
    if (p.back().X != g.LastX) p.push_back({g.LastX, level});
}

void DrawLine(const double* samples, const TRowScale& scale, const TBeamGeometry& g, int j0, int j1,
              TBeamFigure& figure) {
    auto& p = figure.Points;
    int previous = ColumnOfQuant(g, j0);
    p.push_back({previous, scale.RowOfValue(samples[j0])});
    for (int j = j0 + 1; j <= j1; ++j) {
        const int x = ColumnOfQuant(g, j);
        if (x == previous) continue;
        p.push_back({x, scale.RowOfValue(samples[j])});
        previous = x;
    }
}

void DrawSpline(const double* samples, const TRowScale& scale, const TBeamGeometry& g, int j0,
                int j1, TBeamFigure& figure) {
    const int count = j1 - j0 + 1;
    const int total = 3 * ((count + 2) / 3) + 1;
    auto& p = figure.Points;
    for (int j = j0; j <= j1 && static_cast<int>(p.size()) < total; ++j)
        p.push_back({ColumnOfQuant(g, j), scale.RowOfValue(samples[j])});
    const TPoint last{ColumnOfQuant(g, j1), scale.RowOfValue(samples[j1])};
    while (static_cast<int>(p.size()) < total) p.push_back(last);
}

}  // namespace

void DrawBeam(const TBeam& beam, const TSignalsData& data, const TBeamGeometry& g, bool compressed,
              TBeamFigure& figure, const double* reference) {
    figure.Strokes.clear();
    figure.Points.clear();
    const int s = beam.SignalIndex();
    if (g.QuantCount <= 0 || s < 0 || s >= data.SignalCount() || data.SampleCount() < g.QuantCount)
        return;  // nothing to draw: no run, or a run of another document
    const double* samples = reference ? reference : data.Row(s);
    const TRowScale scale = TRowScale::For(beam, data, g);
    if (compressed) {
        DrawCompressed(samples, scale, g, figure);
        return;
    }
    const int j0 = QuantAtColumn(g, 0), j1 = QuantAtColumn(g, g.LastX);
    switch (beam.InterpolationKind()) {
        case TInterpolation::Steps:
            figure.Kind = TFigureKind::Polyline;
            DrawSteps(samples, scale, g, j0, j1, figure);
            break;
        case TInterpolation::Line:
            figure.Kind = TFigureKind::Polyline;
            DrawLine(samples, scale, g, j0, j1, figure);
            break;
        case TInterpolation::Spline:
            figure.Kind = TFigureKind::Bezier;
            DrawSpline(samples, scale, g, j0, j1, figure);
            break;
    }
}

}  // namespace kvaril
