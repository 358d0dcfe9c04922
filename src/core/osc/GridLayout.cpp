#include "osc/GridLayout.h"

#include <algorithm>
#include <cmath>

#include "osc/BeamGroups.h"
#include "osc/ScreenLayout.h"
#include "osc/SweepOverlay.h"
#include "osc/TraceGeometry.h"
#include "plot/Ticks.h"
#include "store/uSignalsData.h"

namespace kvaril {

TRgb GridLineColor(TColorScheme scheme) {
    switch (scheme) {
        case TColorScheme::White:
            return {224, 224, 224};
        case TColorScheme::Black:
            return {52, 52, 52};
        case TColorScheme::Gray:
            break;
    }
    return {174, 174, 174};
}

TRgb GridTextColor(TColorScheme scheme) {
    return scheme == TColorScheme::Black ? TRgb{160, 160, 160} : TRgb{72, 72, 72};
}

namespace {

// Between two value labels of a band: a text's height and a row.
int LabelGap(const TGridMetrics& m) { return m.TextHeight + 1; }

int TextWidth(const std::string& text, const TGridMetrics& m) {
    return TickTextLength(text) * m.CharWidth;
}

// Time along the bottom, spaced so that the texts never meet; a label that would run off the
// right edge is left out.
void LayoutTimes(const TView& view, int width, int height, const TGridMetrics& m,
                 TGridLayout& grid) {
    const TTickFormat format{true, "с"};
    TTickScale ticks = MakeTicks(view.T0(), view.T1(), width, kMinTickSpacing, format);
    int widest = 0;
    for (const TTick& t : ticks.Ticks) widest = std::max(widest, TextWidth(t.Text, m));
    if (widest + 2 * m.CharWidth > kMinTickSpacing)
        ticks = MakeTicks(view.T0(), view.T1(), width, widest + 2 * m.CharWidth, format);
    for (const TTick& t : ticks.Ticks) {
        if (t.Pixel <= 0 || t.Pixel >= width - 1) continue;
        grid.Columns.push_back(t.Pixel);
        if (t.Pixel + 2 + TextWidth(t.Text, m) + 2 < width)
            grid.Texts.push_back({t.Pixel + 2, height - m.TextHeight - 1, t.Text});
    }
}

struct TValueLabel {
    int Y;
    std::string Text;
};

// The labels of a band that shows `top` at its row y0 and `bottom` at y0 + rows: its zero, the
// round values nearest its edges, then the grid's own ticks wherever they leave room. Each
// label lies wholly within rows lo .. hi.
std::vector<TValueLabel> ValueLabels(double top, double bottom, int y0, int rows, int lo, int hi,
                                     const TTickScale& lines, const TGridMetrics& m) {
    std::vector<TValueLabel> labels;
    const int half = m.TextHeight / 2;
    auto fits = [&](int y) { return y - half >= lo && y - half + m.TextHeight - 1 <= hi; };
    auto free = [&](int y) {
        for (const TValueLabel& l : labels)
            if (std::abs(l.Y - y) < LabelGap(m)) return false;
        return true;
    };
    auto add = [&](const TTick& t) {
        const int y = y0 + t.Pixel;
        if (fits(y) && free(y)) labels.push_back({y, t.Text});
    };
    const TTickFormat format{true, ""};
    for (const TTick& t : MakeTicks(top, bottom, rows, LabelGap(m), format).Ticks)
        if (t.Value == 0) add(t);
    // The round values nearest the edges: of the coarsest 1-2-5 steps whose ticks nearest the
    // edges fit within the band, clear of the zero, at most `near` rows from their edge.
    const int near = std::max(2 * m.TextHeight, rows / 6);
    std::vector<TTick> edges;  // copies: each try makes its own ticks
    for (int spacing = std::max(rows / 2, 4); spacing >= 3; spacing = spacing * 3 / 4) {
        const TTickScale fine = MakeTicks(top, bottom, rows, spacing, format);
        const TTick *first = nullptr, *last = nullptr;  // nearest the top and the bottom
        for (const TTick& t : fine.Ticks) {
            const int y = y0 + t.Pixel;
            if (!fits(y) || !free(y)) continue;
            if (!first || t.Pixel < first->Pixel) first = &t;
            if (!last || t.Pixel > last->Pixel) last = &t;
        }
        if (!first || first == last) continue;
        edges = {*first, *last};
        if (y0 + first->Pixel - lo <= near && hi - (y0 + last->Pixel) <= near) break;
    }
    for (const TTick& t : edges) add(t);
    for (const TTick& t : lines.Ticks) add(t);
    return labels;
}

}  // namespace

void LayoutGrid(const TOsc& osc, const TView* view, const TSignalsData& data, double quantTime,
                int width, int height, TGridLayout& grid, const TLayoutOptions& options,
                const TGridMetrics& metrics) {
    grid = TGridLayout{};
    grid.LineColor = GridLineColor(osc.Scheme());
    grid.TextColor = GridTextColor(osc.Scheme());
    grid.Backing = SchemeBackground(osc.Scheme());
    if (!view || width < 2 || height < 2) return;
    LayoutTimes(*view, width, height, metrics, grid);
    const TBeamGrouping grouping(*view);
    const std::vector<TBand> bands = LayoutTraceBands(osc, *view, data, width, height, options);
    // A sweep's runs are drawn on the scale they share (ScreenLayout), and so read.
    std::vector<TOverlayRun> runs;
    if (options.Sweep) runs = OverlayRuns(*options.Sweep, data.SignalCount(), data.SampleCount());
    for (size_t gi = 0; gi < bands.size(); ++gi) {
        const TBand& band = bands[gi];
        const TBeam& beam = *grouping.Group(static_cast<int>(gi)).Beams.front();
        TBeamGeometry g;
        g.QuantTime = quantTime;
        g.Half = band.Half;
        g.Mid = band.Mid;
        const std::vector<const TBeam*>& group = grouping.Group(static_cast<int>(gi)).Beams;
        if (options.SharedGroupScale) g.SharedMax = SharedAutoMax(group, data);
        if (!runs.empty())
            g.SharedMax = OverlayAutoMax(
                runs, options.SharedGroupScale ? group : std::vector<const TBeam*>{&beam});
        const TRowScale scale = TRowScale::For(beam, data, g);
        if (!(scale.Gain != 0) || !std::isfinite(scale.Gain) || band.Half < 1) continue;
        // Row y shows the value ((mid − y) / half − offset) / gain.
        const double top = (1 - scale.Offset) / scale.Gain;
        const double bottom = (-1 - scale.Offset) / scale.Gain;
        const int y0 = band.Mid - band.Half;
        const TTickScale lines =
            MakeTicks(top, bottom, 2 * band.Half, kMinTickSpacing, TTickFormat{true, ""});
        for (const TTick& t : lines.Ticks) {
            const int y = y0 + t.Pixel;
            if (y > band.Top && y < band.Top + band.Height - 1) grid.Rows.push_back(y);
        }
        // At the right, clear of the group number and the beams' names at the band's top left.
        for (const TValueLabel& l : ValueLabels(top, bottom, y0, 2 * band.Half, band.Top + 1,
                                                band.Top + band.Height - 2, lines, metrics)) {
            if (std::find(grid.Rows.begin(), grid.Rows.end(), l.Y) == grid.Rows.end())
                grid.Rows.push_back(l.Y);
            grid.Texts.push_back({width - 3, l.Y - metrics.TextHeight / 2, l.Text, true});
        }
    }
    // The time labels give way to the value labels at the right edge.
    std::erase_if(grid.Texts, [&](const TGridText& t) {
        if (t.AlignRight || t.Y != height - metrics.TextHeight - 1) return false;
        const int right = t.X + TextWidth(t.Text, metrics);
        for (const TGridText& v : grid.Texts)
            if (v.AlignRight && right + 2 >= v.X - TextWidth(v.Text, metrics) &&
                v.Y + metrics.TextHeight > t.Y)
                return true;
        return false;
    });
}

}  // namespace kvaril
