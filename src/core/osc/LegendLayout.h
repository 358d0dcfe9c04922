#pragma once
// Where a band's legend goes: its group number, the beams' names, a reference run's entry and
// a sweep's runs, one after another along the band's top, the runs wrapping onto further lines.
// The painter places every entry through here, and the layout reserves the lines a sweep's
// legend needs above its traces, so both count the same lines.

#include <functional>
#include <string>
#include <vector>

namespace kvaril {

struct TBand;
struct TDrawItem;

// The painter's font as the legend needs it.
struct TLegendMetrics {
    int LineHeight = 0;  // 0: unknown; a sweep's legend then lies over the band's top
    std::function<int(const std::string&)> Width;  // of a UTF-8 text
    bool Known() const { return LineHeight > 0 && Width; }
};

// Dashed sample line before a reference run's entry.
inline constexpr int kLegendSampleWidth = 16;

// The pen along one band's legend.
struct TLegendPen {
    int Y = -1;    // the band's top
    int X = 0;     // where the next entry starts
    int Line = 0;  // lines below the band's first
};

// The top left of the text of `item` (GroupNumber, Legend or RunLegend); moves `pen` past it.
// A sweep run's entry that would pass `width` (0: never) starts a new line, and so does one
// marked NewLine. A reference run's entry (Dashed) has its sample at `SampleX`.
struct TLegendSpot {
    int X = 0, Y = 0;
    int SampleX = 0;
};
TLegendSpot PlaceLegendItem(const TDrawItem& item, TLegendPen& pen, const TLegendMetrics& metrics,
                            int width);

// How many lines the legend entries `items` of one band take at `width`.
int LegendLineCount(const std::vector<TDrawItem>& items, const TLegendMetrics& metrics, int width);

// The part of `band` left for the traces under a legend of `lines` lines (and a row of room);
// `band` itself when that would leave fewer than three rows.
TBand BandUnderLegend(const TBand& band, int lines, const TLegendMetrics& metrics);

}  // namespace kvaril
