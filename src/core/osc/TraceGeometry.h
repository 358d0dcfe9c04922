#pragma once
// One beam's samples turned into pixels of its band: the column and quantum mappings, the
// scaling of a sample to a row, and the figure to draw (one stroke per column when the window
// holds more quanta than there are columns, otherwise steps, lines or a Bézier chain). Nothing
// of a figure lies outside its band: a NaN sample leaves a gap, an infinite one lies on the
// band's edge.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kvaril {

class TBeam;
class TSignalsData;

struct TBeamGeometry {
    double QuantTime = 0;    // q
    int32_t QuantCount = 0;  // quanta of the run
    double T0 = 0;           // start of the time window
    double Dt = 0;           // time per column, > 0
    int Half = 0;            // rows from the band's middle to its top or bottom row
    int Mid = 0;             // the band's middle row
    int LastX = 0;           // the picture's last column
    // QuantAtColumn of columns 0 .. LastX + 1, when the caller computed them once for all the
    // beams of a picture (they share the geometry); may be null.
    const int* ColumnQuanta = nullptr;
    // When not negative, automatic gains scale by this maximum instead of their own (a group
    // shown on a common scale).
    double SharedMax = -1;
};

// QuantAtColumn of every column 0 .. LastX + 1.
void ComputeColumnQuanta(const TBeamGeometry& g, std::vector<int>& quanta);

// Clamped into 0 .. QuantCount − 1.
int QuantAtColumn(const TBeamGeometry& g, int x);
// Clamped into 0 .. LastX.
int ColumnOfQuant(const TBeamGeometry& g, int i);

// The magnitude automatic scaling divides by: the run's largest one, or the largest finite one
// when an infinity is the largest (which would flatten every finite sample to the offset).
double AutoScaleMax(const TSignalsData& data, int signal);

// Gain and offset of one beam, resolved once per drawing.
struct TRowScale {
    double Gain = 0;  // automatic gain already replaced by 1 / maximum (or the shared one)
    double Offset = 0;
    int Half = 0;
    int Mid = 0;

    static TRowScale For(const TBeam& beam, const TSignalsData& data, const TBeamGeometry& g);
    // Round(mid − half · clip(s · gain + offset)); an infinity lies on the edge it points to
    // (also where the gain is 0). Not for NaN, which has no row.
    int RowOfValue(double sample) const;
};

struct TPoint {
    int X, Y;
    bool operator==(const TPoint&) const = default;
};

// A vertical stroke covering rows Top to Bottom inclusive.
struct TStroke {
    int X, Top, Bottom;
    bool operator==(const TStroke&) const = default;
};

enum class TFigureKind { Strokes, Polyline, Bezier };

struct TBeamFigure {
    TFigureKind Kind = TFigureKind::Polyline;
    std::vector<TStroke> Strokes;  // compressed form
    std::vector<TPoint> Points;    // polyline, or Bézier chain: start, then 3 points per segment
    // Where NaN samples leave gaps: the indices of Points at which a new polyline or chain
    // starts (the first one, at 0, is not listed). Empty for a trace without gaps.
    std::vector<size_t> Breaks;
};

// `piece`(first index, point count) for each piece of a figure's Points between its gaps, in
// order.
template <typename F>
void ForEachPiece(const TBeamFigure& figure, F&& piece) {
    size_t first = 0;
    for (size_t next : figure.Breaks) {
        piece(first, next - first);
        first = next;
    }
    if (first < figure.Points.size()) piece(first, figure.Points.size() - first);
}

// Fills `figure` (its buffers are reused from call to call). With `samples` (QuantCount of
// them: a reference run's row) those are drawn instead of the beam's own, at its scale.
void DrawBeam(const TBeam& beam, const TSignalsData& data, const TBeamGeometry& g, bool compressed,
              TBeamFigure& figure, const double* samples = nullptr);

}  // namespace kvaril
