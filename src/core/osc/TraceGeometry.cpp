#include "osc/TraceGeometry.h"

#include <algorithm>
#include <cmath>

#include "base/uCommon.h"
#include "document/uBeam.h"
#include "store/MinMaxSummary.h"
#include "store/uSignalsData.h"

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

double AutoScaleMax(const TSignalsData& data, int signal) {
    const double m = data.GetMax(signal);
    if (!std::isinf(m)) return m;
    // Only a run with an infinity pays for this pass.
    const double* row = data.Row(signal);
    double finite = 0;
    for (int32_t q = 0; q < data.SampleCount(); ++q) {
        const double a = std::fabs(row[q]);
        if (a > finite && !std::isinf(a)) finite = a;  // a NaN never wins
    }
    return finite;
}

TRowScale TRowScale::For(const TBeam& beam, const TSignalsData& data, const TBeamGeometry& g) {
    TRowScale s;
    s.Gain = beam.Gain();
    if (s.Gain == 0 && beam.SignalIndex() < data.SignalCount()) {
        const double m = g.SharedMax >= 0 ? g.SharedMax : AutoScaleMax(data, beam.SignalIndex());
        if (m > 1e-10) s.Gain = 1 / m;
    }
    s.Offset = beam.Offset();
    s.Half = g.Half;
    s.Mid = g.Mid;
    return s;
}

int TRowScale::RowOfValue(double sample) const {
    long double v = static_cast<long double>(sample) * Gain + Offset;
    if (v > 1)
        v = 1;
    else if (v < -1)
        v = -1;
    else if (std::isnan(v))  // an infinity times a gain of 0: its own edge
        v = sample > 0 ? 1 : -1;
    return static_cast<int>(Round(Mid - Half * v));
}

namespace {

// A picture tells samples apart by their rows alone.
class TRowResolution final : public TResolution {
  public:
    explicit TRowResolution(const TRowScale& scale) : scale_(scale) {}
    bool Alike(double a, double b) const override { return scale_.RowOfValue(a) == Row(b); }

  private:
    // The second value asked about is a column's lowest or highest sample so far, asked again
    // edge after edge: its row is kept rather than rounded again (±0, equal here, share a row).
    int Row(double v) const {
        for (const TRow& r : known_)
            if (r.Value == v) return r.Row;
        TRow& r = known_[next_ ^= 1];
        r = {v, scale_.RowOfValue(v)};
        return r.Row;
    }
    struct TRow {
        double Value;
        int Row;
    };
    const TRowScale& scale_;
    mutable TRow known_[2] = {{std::nan(""), 0}, {std::nan(""), 0}};
    mutable int next_ = 0;
};

// One stroke per column from its smallest and largest non-NaN sample: the row is monotonic in
// the sample, so their rows are exactly those of the column-by-column rule, NaN and infinities
// included. A long run's row takes them from its min/max summary, to the rows' resolution.
void DrawCompressed(const double* samples, const TMinMaxSummary* summary, const TRowScale& scale,
                    const TBeamGeometry& g, TBeamFigure& figure) {
    figure.Kind = TFigureKind::Strokes;
    figure.Strokes.clear();
    figure.Strokes.reserve(static_cast<size_t>(g.LastX) + 1);
    const TRowResolution rows(scale);
    auto quantAt = [&g](int x) { return g.ColumnQuanta ? g.ColumnQuanta[x] : QuantAtColumn(g, x); };
    int e = quantAt(0);
    for (int x = 0; x <= g.LastX; ++x) {
        const int i = e;  // QuantAtColumn(x), carried over from the previous column
        e = quantAt(x + 1);
        if (i >= g.QuantCount || e >= g.QuantCount) continue;
        const TMinMax m = summary ? summary->Range(samples, i, e, rows) : ScanMinMax(samples, i, e);
        if (!m.Any()) continue;  // nothing but NaN: a gap
        const int a = scale.RowOfValue(m.Lo), b = scale.RowOfValue(m.Hi);
        figure.Strokes.push_back({x, std::min(a, b), std::max(a, b)});
    }
}

// The runs of samples j0..j1 between NaN samples: run(first, last, the NaN after it or -1).
template <typename F>
void ForEachRun(const double* samples, int j0, int j1, F&& run) {
    // Nearly every trace has no NaN: one branchless pass tells, and it is one run.
    bool nan = false;
    for (int j = j0; j <= j1; ++j) nan |= std::isnan(samples[j]);
    if (!nan) {
        run(j0, j1, -1);
        return;
    }
    int first = -1;
    for (int j = j0; j <= j1; ++j) {
        if (!std::isnan(samples[j])) {
            if (first < 0) first = j;
            continue;
        }
        if (first >= 0) run(first, j - 1, j);
        first = -1;
    }
    if (first >= 0) run(first, j1, -1);
}

// Starts a new piece of the figure's points unless it is the first.
void StartPiece(TBeamFigure& figure) {
    if (!figure.Points.empty()) figure.Breaks.push_back(figure.Points.size());
}

// Each value holds until the next sample's column; the last one of a run to the gap's NaN
// sample, or to the right edge.
void DrawSteps(const double* samples, const TRowScale& scale, const TBeamGeometry& g, int j0,
               int j1, TBeamFigure& figure) {
    auto& p = figure.Points;
    p.reserve(2 * static_cast<size_t>(j1 - j0 + 1) + 2);
    ForEachRun(samples, j0, j1, [&](int first, int last, int gap) {
        StartPiece(figure);
        int level = scale.RowOfValue(samples[first]);
        int previous = ColumnOfQuant(g, first);
        p.push_back({previous, level});
        for (int j = first + 1; j <= last; ++j) {
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
        const int end = gap >= 0 ? ColumnOfQuant(g, gap) : g.LastX;
        if (p.back().X != end) p.push_back({end, level});
    });
}

void DrawLine(const double* samples, const TRowScale& scale, const TBeamGeometry& g, int j0, int j1,
              TBeamFigure& figure) {
    auto& p = figure.Points;
    ForEachRun(samples, j0, j1, [&](int first, int last, int) {
        StartPiece(figure);
        int previous = ColumnOfQuant(g, first);
        p.push_back({previous, scale.RowOfValue(samples[first])});
        for (int j = first + 1; j <= last; ++j) {
            const int x = ColumnOfQuant(g, j);
            if (x == previous) continue;
            p.push_back({x, scale.RowOfValue(samples[j])});
            previous = x;
        }
    });
}

// One chain per run: its samples, padded with the last to 3k + 1 points.
void DrawSpline(const double* samples, const TRowScale& scale, const TBeamGeometry& g, int j0,
                int j1, TBeamFigure& figure) {
    auto& p = figure.Points;
    ForEachRun(samples, j0, j1, [&](int first, int last, int) {
        StartPiece(figure);
        const size_t start = p.size();
        const int count = last - first + 1;
        const size_t total = static_cast<size_t>(3 * ((count + 2) / 3) + 1);
        for (int j = first; j <= last && p.size() - start < total; ++j)
            p.push_back({ColumnOfQuant(g, j), scale.RowOfValue(samples[j])});
        const TPoint end{ColumnOfQuant(g, last), scale.RowOfValue(samples[last])};
        while (p.size() - start < total) p.push_back(end);
    });
}

}  // namespace

void DrawBeam(const TBeam& beam, const TSignalsData& data, const TBeamGeometry& g, bool compressed,
              TBeamFigure& figure, const double* reference) {
    figure.Strokes.clear();
    figure.Points.clear();
    figure.Breaks.clear();
    const int s = beam.SignalIndex();
    if (g.QuantCount <= 0 || s < 0 || s >= data.SignalCount() || data.SampleCount() < g.QuantCount)
        return;  // nothing to draw: no run, or a run of another document
    const double* samples = reference ? reference : data.Row(s);
    const TRowScale scale = TRowScale::For(beam, data, g);
    if (compressed) {
        // A reference run's row has no summary; the run's own has one when it is long.
        const TMinMaxSummary* summary = reference ? nullptr : data.Summary(s);
        if (summary && summary->Count() < g.QuantCount) summary = nullptr;
        DrawCompressed(samples, summary, scale, g, figure);
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
