#pragma once
// The grid a screen may show over its bands: vertical lines at 1-2-5 steps of time with their
// labels along the bottom, and in each band horizontal lines at 1-2-5 steps of the values of its
// first beam (through that beam's gain and offset) with labels at the left. Plain data for the
// painter, which lays the lines under the traces and the texts over them.

#include <cstdint>
#include <string>
#include <vector>

#include "osc/ScreenLayout.h"
#include "osc/uBeam.h"

namespace kvaril {

class TSignalsData;

// Rows a grid text takes; the painter draws it in a font that fits.
inline constexpr int kGridTextHeight = 12;

struct TGridText {
    int X = 0, Y = 0;  // top left
    std::string Text;  // UTF-8
};

struct TGridLayout {
    TRgb LineColor{0, 0, 0};
    TRgb TextColor{0, 0, 0};
    std::vector<int> Columns;  // x of each vertical line
    std::vector<int> Rows;     // y of each horizontal line
    std::vector<TGridText> Texts;
};

// A colour a little towards the far end from `background`: light lines on light schemes, dark
// on the black one.
TRgb GridLineColor(TColorScheme scheme);
TRgb GridTextColor(TColorScheme scheme);

// The grid of screen `view` in a picture `width` × `height` laid out as LayoutGraph does with
// the same `options`.
void LayoutGrid(const TOsc& osc, const TView* view, const TSignalsData& data, double quantTime,
                int width, int height, TGridLayout& grid, const TLayoutOptions& options = {});

}  // namespace kvaril
