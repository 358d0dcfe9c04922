#include "osc/BeamPalette.h"

#include <algorithm>
#include <cmath>

#include "osc/BeamGroups.h"
#include "osc/ScreenLayout.h"

namespace kvaril {

namespace {

constexpr int kPaletteSize = 12;

// Per scheme (Gray, White, Black), readable on its background; tested colour by colour.
constexpr TRgb kPalette[3][kPaletteSize] = {
    // Gray (192, 192, 192): dark colours only, none lighter than a luminance of 0.14.
    {{0, 0, 255},
     {0, 100, 0},
     {150, 0, 150},
     {0, 0, 0},
     {0, 90, 90},
     {160, 0, 0},
     {140, 70, 0},
     {0, 0, 128},
     {90, 90, 0},
     {90, 0, 200},
     {170, 0, 90},
     {70, 70, 70}},
    // White: the classic six, then darker tones of the others.
    {{0, 0, 255},
     {0, 128, 0},
     {255, 0, 255},
     {0, 0, 0},
     {0, 128, 128},
     {255, 0, 0},
     {190, 95, 0},
     {110, 0, 170},
     {120, 120, 0},
     {150, 0, 60},
     {0, 90, 180},
     {110, 70, 40}},
    // Black: the classic six, then light tones.
    {{0, 255, 255},
     {0, 255, 0},
     {255, 0, 255},
     {255, 255, 255},
     {255, 255, 0},
     {255, 0, 0},
     {255, 160, 0},
     {110, 160, 255},
     {255, 140, 200},
     {170, 255, 130},
     {190, 130, 255},
     {170, 170, 170}},
};

size_t SchemeIndex(TColorScheme scheme) {
    const auto i = static_cast<size_t>(scheme);
    return i < 3 ? i : 0;
}

double Linear(uint8_t channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

int Modulo(int k, int n) { return ((k % n) + n) % n; }

}  // namespace

double RelativeLuminance(TRgb c) {
    return 0.2126 * Linear(c.R) + 0.7152 * Linear(c.G) + 0.0722 * Linear(c.B);
}

double ContrastRatio(TRgb a, TRgb b) {
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

int BeamPaletteSize() { return kPaletteSize; }

TRgb BeamPaletteColor(TColorScheme scheme, int k) {
    return kPalette[SchemeIndex(scheme)][Modulo(k, kPaletteSize)];
}

std::vector<TRgb> BeamColorTable(TColorScheme scheme, bool perBeam) {
    std::vector<TRgb> table;
    const int n = perBeam ? kPaletteSize : 6;
    for (int k = 0; k < n; ++k) table.push_back(BeamColorOf(scheme, perBeam, k));
    return table;
}

TRgb BeamColorOf(TColorScheme scheme, bool perBeam, int index) {
    return perBeam ? BeamPaletteColor(scheme, index) : BeamColor(scheme, index);
}

int BeamColorIndex(const TBeamRowRef& row, bool perBeam) {
    if (perBeam) return Modulo(row.Place, kPaletteSize);
    return row.Beam && row.Beam->Group() >= 1 ? row.IndexInGroup : 0;
}

std::string ReferenceLegendText(const std::string& label) { return "опорный: " + label; }

}  // namespace kvaril
