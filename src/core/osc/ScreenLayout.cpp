#include "osc/ScreenLayout.h"

#include <algorithm>

#include "model/uCommon.h"
#include "model/uSignalsData.h"
#include "osc/BeamGroups.h"
#include "osc/OscTime.h"

namespace kvaril {

namespace {

constexpr TRgb kBeamColors[3][6] = {
    {{0, 0, 255}, {0, 128, 0}, {255, 0, 0}, {0, 0, 0}, {0, 128, 128}, {255, 255, 255}},
    {{0, 0, 255}, {0, 128, 0}, {255, 0, 255}, {0, 0, 0}, {0, 128, 128}, {255, 0, 0}},
    {{0, 255, 255}, {0, 255, 0}, {255, 0, 255}, {255, 255, 255}, {255, 255, 0}, {255, 0, 0}},
};

size_t Index(TColorScheme scheme) {
    const auto i = static_cast<size_t>(scheme);
    return i < 3 ? i : 0;
}

}  // namespace

TRgb BeamColor(TColorScheme scheme, int k) { return kBeamColors[Index(scheme)][((k % 6) + 6) % 6]; }

TRgb ReferenceColor(TColorScheme scheme, int k) {
    const TRgb c = BeamColor(scheme, k), b = SchemeBackground(scheme);
    if (scheme == TColorScheme::White) return c;  // dashed instead: dimmed would fade away
    auto mix = [](uint8_t x, uint8_t y) { return static_cast<uint8_t>((x + y + 1) / 2); };
    return {mix(c.R, b.R), mix(c.G, b.G), mix(c.B, b.B)};
}

TRgb CenterLineColor(TColorScheme scheme) {
    return scheme == TColorScheme::White ? TRgb{192, 192, 192} : TRgb{128, 128, 128};
}

TRgb SeparatorUpperColor(TColorScheme scheme) {
    return scheme == TColorScheme::Gray ? TRgb{255, 255, 255} : TRgb{192, 192, 192};
}

TRgb SeparatorLowerColor(TColorScheme) { return {128, 128, 128}; }

std::vector<TBand> LayoutBands(int height, int groups) {
    std::vector<TBand> bands;
    if (groups <= 0) return bands;
    int h = height / groups - 2;
    if (h % 2 == 0) --h;
    if (h < 3) return bands;
    int y = 0;
    for (int g = 0; g < groups; ++g) {
        if (g == groups - 1) {
            h = height - 1 - y;
            if (h % 2 == 0) --h;
        }
        bands.push_back({y, h, h / 2, y + h / 2});
        y += h + 2;
    }
    return bands;
}

double SharedAutoMax(const std::vector<const TBeam*>& group, const TSignalsData& data) {
    double m = 0;
    for (const TBeam* b : group) {
        if (b->Gain() != 0 || b->SignalIndex() < 0 || b->SignalIndex() >= data.SignalCount())
            continue;
        const double own = data.GetMax(b->SignalIndex());
        if (own > m) m = own;  // a NaN never wins
    }
    return m;
}

void LayoutGraph(const TOsc& osc, const TView* view, const TSignalsData& data, double quantTime,
                 int32_t quantCount, int width, int height, TGraphPicture& picture,
                 const std::vector<const double*>* reference, const TLayoutOptions& options) {
    picture.Width = width;
    picture.Height = height;
    const TColorScheme scheme = osc.Scheme();
    picture.Background = SchemeBackground(scheme);
    picture.Items.clear();
    picture.Compressed = false;
    size_t usedFigures = 0;

    if (!view) return;
    const TBeamGrouping grouping(*view);
    const int groups = grouping.GroupCount();
    if (groups == 0) return;
    const std::vector<TBand> bands = LayoutBands(height, groups);
    if (bands.empty()) {
        picture.Items.push_back(
            {TDrawItem::Message, BeamColor(scheme, 0), 0, 0, 0, kGroupsDoNotFit});
        return;
    }
    const int lastX = width - 1;
    if (!(quantTime > 0)) return;
    const int64_t i0 = Round(view->T0() / static_cast<long double>(quantTime));
    const int64_t n = Round(view->T1() / static_cast<long double>(quantTime)) - 1 - i0;
    if (n < 3 || lastX < 3) return;
    picture.Compressed = n > lastX;
    const double dt = (view->T1() - view->T0()) / width;
    if (!(dt > 0)) return;
    if (picture.Compressed)
        ComputeColumnQuanta({quantTime, quantCount, view->T0(), dt, 0, 0, lastX},
                            picture.ColumnQuanta);
    for (int gi = 0; gi < groups; ++gi) {
        const TBeamGroup& group = grouping.Group(gi);
        const TBand& band = bands[static_cast<size_t>(gi)];
        bool axis = false;
        for (const TBeam* b : group.Beams) axis |= b->XAxis();
        if (axis)
            picture.Items.push_back(
                {TDrawItem::Line, CenterLineColor(scheme), 0, lastX, band.Mid, {}});

        TBeamGeometry geometry{
            quantTime,  quantCount,
            view->T0(), dt,
            band.Half,  band.Mid,
            lastX,      picture.Compressed ? picture.ColumnQuanta.data() : nullptr};
        if (options.SharedGroupScale) geometry.SharedMax = SharedAutoMax(group.Beams, data);
        // The reference traces go behind all the beams of the group.
        for (size_t k = 0; reference && k < group.Beams.size(); ++k) {
            const auto s = static_cast<size_t>(group.Beams[k]->SignalIndex());
            if (s >= reference->size() || !(*reference)[s]) continue;
            if (usedFigures == picture.Figures.size()) picture.Figures.emplace_back();
            DrawBeam(*group.Beams[k], data, geometry, picture.Compressed,
                     picture.Figures[usedFigures], (*reference)[s]);
            TDrawItem item{
                TDrawItem::Beam, ReferenceColor(scheme, static_cast<int>(k)), 0, 0, 0, {}};
            item.Figure = static_cast<int>(usedFigures++);
            item.Dashed = scheme == TColorScheme::White;
            picture.Items.push_back(item);
        }
        for (size_t k = 0; k < group.Beams.size(); ++k) {
            if (usedFigures == picture.Figures.size()) picture.Figures.emplace_back();
            DrawBeam(*group.Beams[k], data, geometry, picture.Compressed,
                     picture.Figures[usedFigures]);
            TDrawItem item{TDrawItem::Beam, BeamColor(scheme, static_cast<int>(k)), 0, 0, 0, {}};
            item.Figure = static_cast<int>(usedFigures++);
            picture.Items.push_back(item);
        }
        picture.Items.push_back(
            {TDrawItem::GroupNumber, {0, 0, 0}, 1, 0, band.Top, std::to_string(group.Number)});
        if (options.Legend) {
            for (size_t k = 0; k < group.Beams.size(); ++k) {
                const size_t signal = static_cast<size_t>(group.Beams[k]->SignalIndex());
                picture.Items.push_back(
                    {TDrawItem::Legend, BeamColor(scheme, static_cast<int>(k)), static_cast<int>(k),
                     0, band.Top,
                     signal < options.Names.size() ? options.Names[signal] : std::string()});
            }
        }
        if (gi + 1 < groups) {
            const int y = band.Top + band.Height;
            picture.Items.push_back(
                {TDrawItem::Line, SeparatorUpperColor(scheme), 0, lastX, y, {}});
            picture.Items.push_back(
                {TDrawItem::Line, SeparatorLowerColor(scheme), 0, lastX, y + 1, {}});
        }
    }
}

std::vector<TLabelMark> LayoutLabels(const TView* view, double q, int graphWidth) {
    std::vector<TLabelMark> marks;
    if (!view || !(view->T1() - view->T0() >= q)) return marks;
    const long double span = static_cast<long double>(view->T1()) - view->T0();
    for (int i = 0; i < view->TimeLabelCount(); ++i) {
        const double t = view->TimeLabel(i).Time();
        if (t >= view->T0() - q && t < view->T1())
            marks.push_back(
                {static_cast<int>(Round((t - view->T0()) * graphWidth / span)), MarkerName(i)});
    }
    return marks;
}

}  // namespace kvaril
