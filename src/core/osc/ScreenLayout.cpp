#include "osc/ScreenLayout.h"

#include <algorithm>

#include "base/uCommon.h"
#include "document/uSignal.h"
#include "osc/BeamGroups.h"
#include "osc/BeamPalette.h"
#include "osc/OscTime.h"
#include "osc/SweepOverlay.h"
#include "store/uSignalsData.h"

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
        const double own = AutoScaleMax(data, b->SignalIndex());
        if (own > m) m = own;  // a NaN never wins
    }
    return m;
}

namespace {

// Puts figures into a picture, reusing those an earlier layout left so that their memory stays.
class TFigureWriter {
  public:
    explicit TFigureWriter(TGraphPicture& picture) : picture_(picture) {}
    void AddBeam(const TBeam& beam, const TSignalsData& data, const TBeamGeometry& geometry,
                 TRgb color, bool dashed = false, const double* samples = nullptr) {
        if (used_ == picture_.Figures.size()) picture_.Figures.emplace_back();
        DrawBeam(beam, data, geometry, picture_.Compressed, picture_.Figures[used_], samples);
        TDrawItem item{TDrawItem::Beam, color, 0, 0, 0, {}};
        item.Figure = static_cast<int>(used_++);
        item.Dashed = dashed;
        picture_.Items.push_back(item);
    }

  private:
    TGraphPicture& picture_;
    size_t used_ = 0;
};

// What every group of one picture shares.
struct TGroupContext {
    TColorScheme Scheme;
    const TSignalsData& Data;
    TBeamGeometry Geometry;  // the band's rows are set per group
    const std::vector<const double*>* Reference;
    const TLayoutOptions& Options;
    const std::vector<TOverlayRun>* Runs;  // a sweep's, or null
};

// The colour of beam `k` of `group`: by its index in the group, or its own from the palette.
TRgb GroupBeamColor(const TBeamGroup& group, size_t k, const TGroupContext& c) {
    if (!c.Options.BeamColors) return BeamColor(c.Scheme, static_cast<int>(k));
    return BeamPaletteColor(c.Scheme, group.Places[k]);
}

// ---- "Цвета по лучам": the reference run's traces and its legend entry
// A reference trace in its beam's own colour, dashed on every scheme.
TRgb GroupReferenceColor(const TBeamGroup& group, size_t k, const TGroupContext& c) {
    if (!c.Options.BeamColors) return ReferenceColor(c.Scheme, static_cast<int>(k));
    return GroupBeamColor(group, k, c);
}

bool GroupReferenceDashed(const TGroupContext& c) {
    return c.Options.BeamColors || c.Scheme == TColorScheme::White;
}

// After the beams' names of a band that shows a reference trace: "опорный: 12:03:15", after a
// dashed sample in the colour of the band's first beam with a reference.
void AddReferenceLegend(const TBeamGroup& group, const TBand& band, const TGroupContext& c,
                        std::vector<TDrawItem>& legend) {
    if (!c.Options.BeamColors || c.Options.ReferenceLabel.empty() || !c.Reference) return;
    for (size_t k = 0; k < group.Beams.size(); ++k) {
        const auto s = static_cast<size_t>(group.Beams[k]->SignalIndex());
        if (s >= c.Reference->size() || !(*c.Reference)[s]) continue;
        TDrawItem item{TDrawItem::Legend, GroupBeamColor(group, k, c), 0, 0, 0, {}};
        item.X0 = static_cast<int>(group.Beams.size());  // after the band's names
        item.Y = band.Top;
        item.Text = c.Options.ReferenceLabel;
        item.Dashed = true;
        legend.push_back(item);
        return;
    }
}

// ---- a sweep: every run over each beam in a ramp of the beam's colour, on one scale
void AddSweepBeams(const TBeamGroup& group, const TGroupContext& c, const TBeamGeometry& geometry,
                   TFigureWriter& figures) {
    const std::vector<TOverlayRun>& runs = *c.Runs;
    const int count = static_cast<int>(runs.size());
    for (size_t k = 0; k < group.Beams.size(); ++k) {
        const TBeam& beam = *group.Beams[k];
        TBeamGeometry own = geometry;
        own.SharedMax = c.Options.SharedGroupScale ? OverlayAutoMax(runs, group.Beams)
                                                   : OverlayAutoMax(runs, {&beam});
        const std::vector<TRgb> ramp = SweepRamp(c.Scheme, GroupBeamColor(group, k, c), count);
        for (size_t r = 0; r < runs.size(); ++r)
            figures.AddBeam(beam, runs[r].Signals->Data(), own, ramp[r]);
    }
}

// The runs' names after the band's, in the ramp of its beam. A band of several beams gives each
// beam a caption of its own on a line of its own, its name first when names are shown, so that
// every shade on the screen is named.
void AddSweepLegend(const TBeamGroup& group, const TBand& band, const TGroupContext& c,
                    std::vector<TDrawItem>& legend) {
    const std::vector<TOverlayRun>& runs = *c.Runs;
    const bool captions = group.Beams.size() > 1;
    // Many runs would bury the band under their names: the first ones, how many more, the last
    // (the ramp's two ends say the range).
    constexpr size_t kNamed = 12;
    const size_t hidden = runs.size() > kNamed ? runs.size() - (kNamed - 1) : 0;
    int place = static_cast<int>(group.Beams.size());
    for (size_t k = 0; k < group.Beams.size(); ++k) {
        const std::vector<TRgb> ramp =
            SweepRamp(c.Scheme, GroupBeamColor(group, k, c), static_cast<int>(runs.size()));
        bool first = true;
        const auto add = [&](TRgb color, std::string text) {
            TDrawItem item{TDrawItem::RunLegend, color, 0, 0, band.Top, std::move(text)};
            item.X0 = place++;
            item.NewLine = captions && first;
            first = false;
            legend.push_back(item);
        };
        const auto signal = static_cast<size_t>(group.Beams[k]->SignalIndex());
        if (captions && signal < c.Options.Names.size())
            add(GroupBeamColor(group, k, c), c.Options.Names[signal] + ":");
        for (size_t r = 0; r < runs.size(); ++r) {
            if (hidden && r >= kNamed - 2 && r < runs.size() - 1 && r != kNamed - 2) continue;
            add(ramp[r], hidden && r == kNamed - 2 ? "… еще " + std::to_string(hidden) + " …"
                                                   : runs[r].Label);
        }
    }
}

// A band's legend: the group's number, the beams' names with the choice, a reference run's
// entry, and a sweep's runs whatever the choice (their colours say nothing without them).
std::vector<TDrawItem> GroupLegend(const TBeamGroup& group, const TBand& band,
                                   const TGroupContext& c) {
    std::vector<TDrawItem> legend;
    legend.push_back(
        {TDrawItem::GroupNumber, {0, 0, 0}, 1, 0, band.Top, std::to_string(group.Number)});
    if (c.Options.Legend) {
        for (size_t k = 0; k < group.Beams.size(); ++k) {
            const size_t signal = static_cast<size_t>(group.Beams[k]->SignalIndex());
            legend.push_back(
                {TDrawItem::Legend, GroupBeamColor(group, k, c), static_cast<int>(k), 0, band.Top,
                 signal < c.Options.Names.size() ? c.Options.Names[signal] : std::string()});
        }
        AddReferenceLegend(group, band, c, legend);
    }
    if (c.Runs) AddSweepLegend(group, band, c, legend);
    return legend;
}

// Where a group's traces go: under its legend's lines when a sweep names its runs there and
// the painter's font is known, so that no name hides a trace; else the whole band.
TBand TraceBand(const TBeamGroup& group, const TBand& band, const TGroupContext& c) {
    const TLegendMetrics& metrics = c.Options.LegendText;
    if (!c.Runs || !metrics.Known()) return band;
    const int width = c.Geometry.LastX + 1;
    return BandUnderLegend(band, LegendLineCount(GroupLegend(group, band, c), metrics, width),
                           metrics);
}

// Where the Измерения page measured `beam`, at its scale: its 10 % and 90 % levels dashed across
// the picture, and a tick on the band's lower edge under each crossing it used that the window
// shows (the trace itself is steep there and would hide a tick on it).
void AddMeasured(const TBeam& beam, const TGroupContext& c, const TBeamGeometry& geometry,
                 TRgb color, TGraphPicture& picture) {
    for (const TLayoutOptions::TMeasured& m : c.Options.Measured) {
        if (m.Signal != beam.SignalIndex() || m.Signal >= c.Data.SignalCount()) continue;
        const TRowScale scale = TRowScale::For(beam, c.Data, geometry);
        for (double level : {m.Level10, m.Level90}) {
            TDrawItem item{TDrawItem::MeasureLevel, color, 0, geometry.LastX, 0, {}};
            item.Y = scale.RowOfValue(level);
            picture.Items.push_back(item);
        }
        const int bottom = geometry.Mid + geometry.Half;
        for (double t : m.Crossings) {
            const double x = (t - geometry.T0) / geometry.Dt;
            if (!(x >= 0 && x <= geometry.LastX)) continue;
            picture.Items.push_back(
                {TDrawItem::MeasureTick, color, static_cast<int>(std::lround(x)), 0, bottom, {}});
        }
    }
}

// One group in its band: the axis, the reference traces behind the beams (or a sweep's runs in
// their place), the beams, the group's number and the legend.
void LayoutGroup(const TBeamGroup& group, const TBand& band, const TGroupContext& c,
                 TGraphPicture& picture, TFigureWriter& figures) {
    const TBand traces = TraceBand(group, band, c);
    bool axis = false;
    for (const TBeam* b : group.Beams) axis |= b->XAxis();
    if (axis)
        picture.Items.push_back(
            {TDrawItem::Line, CenterLineColor(c.Scheme), 0, c.Geometry.LastX, traces.Mid, {}});
    TBeamGeometry geometry = c.Geometry;
    geometry.Half = traces.Half;
    geometry.Mid = traces.Mid;
    if (c.Options.SharedGroupScale) geometry.SharedMax = SharedAutoMax(group.Beams, c.Data);
    if (c.Runs) AddSweepBeams(group, c, geometry, figures);
    for (size_t k = 0; c.Reference && k < group.Beams.size(); ++k) {
        const auto s = static_cast<size_t>(group.Beams[k]->SignalIndex());
        if (s >= c.Reference->size() || !(*c.Reference)[s]) continue;
        figures.AddBeam(*group.Beams[k], c.Data, geometry, GroupReferenceColor(group, k, c),
                        GroupReferenceDashed(c), (*c.Reference)[s]);
    }
    for (size_t k = 0; !c.Runs && k < group.Beams.size(); ++k)
        figures.AddBeam(*group.Beams[k], c.Data, geometry, GroupBeamColor(group, k, c));
    for (size_t k = 0; !c.Runs && k < group.Beams.size(); ++k)
        AddMeasured(*group.Beams[k], c, geometry, GroupBeamColor(group, k, c), picture);
    const std::vector<TDrawItem> legend = GroupLegend(group, band, c);
    picture.Items.insert(picture.Items.end(), legend.begin(), legend.end());
}

}  // namespace

void LayoutGraph(const TOsc& osc, const TView* view, const TSignalsData& data, double quantTime,
                 int32_t quantCount, int width, int height, TGraphPicture& picture,
                 const std::vector<const double*>* reference, const TLayoutOptions& options) {
    picture.Width = width;
    picture.Height = height;
    const TColorScheme scheme = osc.Scheme();
    picture.Background = SchemeBackground(scheme);
    picture.Items.clear();
    picture.Compressed = false;

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
    // A sweep's runs take the place of the current run and of the reference run; a sweep
    // without a run to show leaves the current one.
    std::vector<TOverlayRun> runs;
    if (options.Sweep) runs = OverlayRuns(*options.Sweep, data.SignalCount(), quantCount);
    const bool sweep = !runs.empty();
    const TGroupContext context{scheme,
                                data,
                                {quantTime, quantCount, view->T0(), dt, 0, 0, lastX,
                                 picture.Compressed ? picture.ColumnQuanta.data() : nullptr},
                                sweep ? nullptr : reference,
                                options,
                                sweep ? &runs : nullptr};
    TFigureWriter figures(picture);
    for (int gi = 0; gi < groups; ++gi) {
        const TBand& band = bands[static_cast<size_t>(gi)];
        LayoutGroup(grouping.Group(gi), band, context, picture, figures);
        if (gi + 1 < groups) {
            const int y = band.Top + band.Height;
            picture.Items.push_back(
                {TDrawItem::Line, SeparatorUpperColor(scheme), 0, lastX, y, {}});
            picture.Items.push_back(
                {TDrawItem::Line, SeparatorLowerColor(scheme), 0, lastX, y + 1, {}});
        }
    }
}

std::vector<TBand> LayoutTraceBands(const TOsc& osc, const TView& view, const TSignalsData& data,
                                    int width, int height, const TLayoutOptions& options) {
    std::vector<TBand> bands;
    const TBeamGrouping grouping(view);
    bands = LayoutBands(height, grouping.GroupCount());
    if (!options.Sweep || !options.LegendText.Known()) return bands;
    const std::vector<TOverlayRun> runs =
        OverlayRuns(*options.Sweep, data.SignalCount(), data.SampleCount());
    if (runs.empty()) return bands;
    TBeamGeometry geometry;
    geometry.LastX = width - 1;
    const TGroupContext context{osc.Scheme(), data, geometry, nullptr, options, &runs};
    for (size_t gi = 0; gi < bands.size(); ++gi)
        bands[gi] = TraceBand(grouping.Group(static_cast<int>(gi)), bands[gi], context);
    return bands;
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
