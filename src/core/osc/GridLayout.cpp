#include "osc/GridLayout.h"

#include <cmath>

#include "model/uSignalsData.h"
#include "osc/BeamGroups.h"
#include "osc/ScreenLayout.h"
#include "osc/Ticks.h"
#include "osc/TraceGeometry.h"

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

void LayoutGrid(const TOsc& osc, const TView* view, const TSignalsData& data, double quantTime,
                int width, int height, TGridLayout& grid, const TLayoutOptions& options) {
    grid = TGridLayout{};
    grid.LineColor = GridLineColor(osc.Scheme());
    grid.TextColor = GridTextColor(osc.Scheme());
    if (!view || width < 2 || height < 2) return;
    // Time along the bottom; a label that would run off the right edge is left out.
    for (const TTick& t : MakeTicks(view->T0(), view->T1(), width).Ticks) {
        if (t.Pixel <= 0 || t.Pixel >= width - 1) continue;
        grid.Columns.push_back(t.Pixel);
        if (t.Pixel + 6 * static_cast<int>(t.Text.size()) + 2 < width)
            grid.Texts.push_back({t.Pixel + 2, height - kGridTextHeight - 1, t.Text});
    }
    const TBeamGrouping grouping(*view);
    const std::vector<TBand> bands = LayoutBands(height, grouping.GroupCount());
    for (size_t gi = 0; gi < bands.size(); ++gi) {
        const TBand& band = bands[gi];
        const TBeam& beam = *grouping.Group(static_cast<int>(gi)).Beams.front();
        TBeamGeometry g;
        g.QuantTime = quantTime;
        g.Half = band.Half;
        g.Mid = band.Mid;
        if (options.SharedGroupScale)
            g.SharedMax = SharedAutoMax(grouping.Group(static_cast<int>(gi)).Beams, data);
        const TRowScale scale = TRowScale::For(beam, data, g);
        if (!(scale.Gain != 0) || !std::isfinite(scale.Gain) || band.Half < 1) continue;
        // Row y shows the value ((mid − y) / half − offset) / gain.
        const double top = (1 - scale.Offset) / scale.Gain;
        const double bottom = (-1 - scale.Offset) / scale.Gain;
        const int y0 = band.Mid - band.Half;
        for (const TTick& t : MakeTicks(top, bottom, 2 * band.Half).Ticks) {
            const int y = y0 + t.Pixel;
            if (y <= band.Top || y >= band.Top + band.Height - 1) continue;
            grid.Rows.push_back(y);
            // Clear of the group number and the beams' names along the band's top and of the
            // time labels.
            if (y - kGridTextHeight / 2 > band.Top + 2 * kGridTextHeight &&
                y + kGridTextHeight / 2 < height - kGridTextHeight - 2)
                grid.Texts.push_back({2, y - kGridTextHeight / 2, t.Text});
        }
    }
}

}  // namespace kvaril
