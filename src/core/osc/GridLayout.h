#pragma once
// The grid a screen may show over its bands: vertical lines at 1-2-5 steps of time with their
// labels (with the unit, in engineering form) along the bottom, and in each band horizontal
// lines at 1-2-5 steps of the values of its first beam (through that beam's gain and offset)
// with labels at the right: at least the band's zero and two round values near its edges when
// the band is tall enough for three. Plain data for the painter, which lays the lines under the
// traces and the texts over them, each on a backing of the screen's background.

#include <cstdint>
#include <string>
#include <vector>

#include "document/uBeam.h"
#include "osc/ScreenLayout.h"

namespace kvaril {

class TSignalsData;

// Rows a grid text takes in the classic small font, and the size of its characters.
inline constexpr int kGridTextHeight = 12;

// The size of the font the painter writes the grid's texts in: the window's normal font.
struct TGridMetrics {
    int TextHeight = kGridTextHeight;
    int CharWidth = 6;  // of a digit; texts are sized by their characters
};

struct TGridText {
    int X = 0, Y = 0;  // top left; with AlignRight, X is the right edge
    std::string Text;  // UTF-8
    bool AlignRight = false;
};

struct TGridLayout {
    TRgb LineColor{0, 0, 0};
    TRgb TextColor{0, 0, 0};
    TRgb Backing{192, 192, 192};  // under each text, so the traces never hide it
    std::vector<int> Columns;     // x of each vertical line
    std::vector<int> Rows;        // y of each horizontal line
    std::vector<TGridText> Texts;
};

// A colour a little towards the far end from `background`: light lines on light schemes, dark
// on the black one.
TRgb GridLineColor(TColorScheme scheme);
TRgb GridTextColor(TColorScheme scheme);

// The grid of screen `view` in a picture `width` × `height` laid out as LayoutGraph does with
// the same `options`, its texts sized by `metrics`.
void LayoutGrid(const TOsc& osc, const TView* view, const TSignalsData& data, double quantTime,
                int width, int height, TGridLayout& grid, const TLayoutOptions& options = {},
                const TGridMetrics& metrics = {});

}  // namespace kvaril
