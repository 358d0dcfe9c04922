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

// `base` shaded towards black (t < 0) or tinted towards white (t > 0); its luminance grows
// with t.
TRgb Shade(TRgb base, double t) {
    const auto channel = [t](uint8_t c) {
        const double v = t < 0 ? c * (1 + t) : c + (255 - c) * t;
        return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 255.0)));
    };
    return {channel(base.R), channel(base.G), channel(base.B)};
}

// CIE lightness of a relative luminance, 0 .. 100: even steps of it look even.
double Lightness(double y) {
    return y > 216.0 / 24389 ? 116 * std::cbrt(y) - 16 : y * 24389.0 / 27;
}

double LightnessOf(TRgb c) { return Lightness(RelativeLuminance(c)); }

// The t of `base`'s shades in [lo, hi] at which `above` turns true (it is false at lo and true
// at hi, and changes once).
template <typename F>
double Bisect(double lo, double hi, F&& above) {
    for (int i = 0; i < 40; ++i) {
        const double mid = (lo + hi) / 2;
        (above(mid) ? hi : lo) = mid;
    }
    return hi;
}

// Shades beyond these lose the hue to black or white; the darkest goes further when a ramp
// would otherwise span less lightness than kLeastSpan.
constexpr double kDarkest = -0.6, kDarkestAtAll = -0.9, kLightest = 0.8;
constexpr double kLeastSpan = 30;

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

std::vector<TRgb> SweepRamp(TColorScheme scheme, TRgb base, int count) {
    if (count <= 0) return {};
    const TRgb background = SchemeBackground(scheme);
    const bool darkBackground = RelativeLuminance(background) < 0.18;
    const auto readable = [&](double t) {
        return ContrastRatio(Shade(base, t), background) >= kMinBeamContrast;
    };
    // The readable shades: up to a lightest one on a light background, from a darkest one on a
    // dark one. Their ends stay readable once the bisection has met the limit.
    double lo = kDarkest, hi = kLightest;
    if (!darkBackground && !readable(hi))
        hi = Bisect(lo, hi, [&](double t) { return !readable(t); }) - 1e-9;
    if (darkBackground && !readable(lo)) lo = Bisect(lo, hi, readable);
    while (!readable(hi) && hi > lo) hi -= 1e-6;
    while (!readable(lo) && lo < hi) lo += 1e-6;
    if (count == 1) return {Shade(base, std::clamp(0.0, lo, hi))};
    const double lightest = LightnessOf(Shade(base, hi));
    if (!darkBackground && LightnessOf(Shade(base, lo)) > lightest - kLeastSpan)
        lo = Bisect(kDarkestAtAll, lo,
                    [&](double t) { return LightnessOf(Shade(base, t)) > lightest - kLeastSpan; });
    const double darkest = LightnessOf(Shade(base, lo));
    std::vector<TRgb> ramp;
    for (int i = 0; i < count; ++i) {
        const double wanted = darkest + (lightest - darkest) * i / (count - 1);
        const double t =
            i == 0 ? lo
            : i == count - 1
                ? hi
                : Bisect(lo, hi, [&](double u) { return LightnessOf(Shade(base, u)) >= wanted; });
        ramp.push_back(Shade(base, t));
    }
    return ramp;
}

std::string ReferenceLegendText(const std::string& label) { return "опорный: " + label; }

}  // namespace kvaril
