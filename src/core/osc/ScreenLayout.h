#pragma once
// A screen of the oscilloscope laid out as drawing primitives: the group bands with their
// centre lines, beams, numbers and separators, and the strip of label names above. The colours
// of the three schemes live here. A painter turns the primitives into pixels.

#include <string>
#include <vector>

#include "document/uBeam.h"
#include "osc/LegendLayout.h"
#include "osc/TraceGeometry.h"

namespace kvaril {

class TSignalsData;
struct TSweepShown;

// Beam colour k (taken modulo 6) of a scheme.
TRgb BeamColor(TColorScheme scheme, int k);
TRgb CenterLineColor(TColorScheme scheme);
TRgb SeparatorUpperColor(TColorScheme scheme);
TRgb SeparatorLowerColor(TColorScheme scheme);

inline constexpr const char* kGroupsDoNotFit =
    "Все группы не могут уместиться на экране такого размера";

// One thing to draw, in drawing order.
struct TDrawItem {
    // RunLegend: a sweep run's entry, after the band's names like Legend, but on a new line
    // below when the row is full.
    // MeasureLevel: a dashed line from (X0, Y) to (X1, Y) where a beam was measured (its 10 %
    // and 90 % levels); MeasureTick: a short upright tick rising from (X0, Y), a crossing it
    // used.
    enum Kind {
        Line,
        Beam,
        GroupNumber,
        Message,
        Legend,
        RunLegend,
        MeasureLevel,
        MeasureTick
    } What;
    TRgb Color{0, 0, 0};
    // Line: from (X0, Y) to (X1, Y), X1 excluded. GroupNumber and Message: text at (X0, Y).
    // Legend: a beam's name at the top (Y) of its band, X0 its place in the band's row of
    // names; the painter puts them side by side after the group number.
    int X0 = 0, X1 = 0, Y = 0;
    std::string Text;     // UTF-8
    int Figure = -1;      // Beam: index into TGraphPicture::Figures
    bool Dashed = false;  // Beam: a reference trace on the white screen, or in beam colours.
                          // Legend: a reference run's entry, after a dashed sample line.
    // RunLegend: the first entry of a beam's caption, on a line of its own.
    bool NewLine = false;
};

struct TGraphPicture {
    int Width = 0, Height = 0;
    TRgb Background{192, 192, 192};
    std::vector<TDrawItem> Items;
    std::vector<TBeamFigure> Figures;
    bool Compressed = false;
    std::vector<int> ColumnQuanta;  // shared by the beams of a compressed picture
};

struct TBand {
    int Top, Height, Half, Mid;
};

// The bands of `groups` groups in a picture `height` rows high; empty when they do not fit.
std::vector<TBand> LayoutBands(int height, int groups);

// The colour of a reference trace behind beam colour k: dimmed towards the background.
TRgb ReferenceColor(TColorScheme scheme, int k);

// Choices of the window's View menu; they belong to the user, not to the document.
struct TLayoutOptions {
    // Automatic gains of one group share the largest maximum among those beams.
    bool SharedGroupScale = false;
    // The beams' names in their colours at each band's top left, from `Names` (UTF-8, by
    // signal index).
    bool Legend = false;
    std::vector<std::string> Names;
    // "Вид → Цвета по лучам": each beam its own colour from the scheme's palette (BeamPalette.h),
    // a reference trace dashed in its beam's colour and, with the legend, an entry of its own
    // reading `ReferenceLabel` (UTF-8; none when empty).
    bool BeamColors = false;
    std::string ReferenceLabel;
    // A sweep's runs drawn over each beam in place of the current run and of any reference
    // run, in a ramp of the beam's colour (SweepRamp), named in each band's legend; the
    // workbench keeps it alive while it is shown.
    const TSweepShown* Sweep = nullptr;
    // The painter's font: a sweep's legend then gets lines of its own above each band's traces.
    TLegendMetrics LegendText;
    // Where the Измерения page measured each beam, drawn over it; empty: nothing.
    struct TMeasured {
        int Signal = -1;
        double Level10 = 0, Level50 = 0, Level90 = 0;
        std::vector<double> Crossings;  // times
    };
    std::vector<TMeasured> Measured;
};

// The largest maximum among the beams of `group` with automatic gain; 0 when there is none.
double SharedAutoMax(const std::vector<const TBeam*>& group, const TSignalsData& data);

// Lays out the screen `view` over the samples of `data`, with the document's quantization time
// and quantum count, at the window's real scale however short the window is. `reference`, when
// given, holds per signal the row of a reference run (or null), drawn behind each beam.
void LayoutGraph(const TOsc& osc, const TView* view, const TSignalsData& data, double quantTime,
                 int32_t quantCount, int width, int height, TGraphPicture& picture,
                 const std::vector<const double*>* reference = nullptr,
                 const TLayoutOptions& options = {});

// The bands of the screen's groups as the traces use them: under a sweep's legend, which takes
// lines of its own when `options` know the legend's font (LayoutGraph draws into these).
std::vector<TBand> LayoutTraceBands(const TOsc& osc, const TView& view, const TSignalsData& data,
                                    int width, int height, const TLayoutOptions& options);

struct TLabelMark {
    int X;
    std::string Text;
};

// The label names above the graph, for a graph `graphWidth` pixels wide.
std::vector<TLabelMark> LayoutLabels(const TView* view, double quantTime, int graphWidth);

}  // namespace kvaril
