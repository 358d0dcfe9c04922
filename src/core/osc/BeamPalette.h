#pragma once
// The colours of "Вид → Цвета по лучам": each beam of a screen its own colour from a palette
// readable on the scheme's background (a WCAG contrast ratio of at least kMinBeamContrast), and
// the rule that gives every beam, value-table row and statistics column its colour index. With
// the choice off the classic rule stands: a beam is coloured by its index in its group.
// Plain RGB, no Qt: the traces, the tables and the spectrum window all take their colours here.

#include <string>
#include <vector>

#include "document/OscEnums.h"
#include "document/uBeam.h"

namespace kvaril {

class TBeamGrouping;
struct TBeamRowRef;

inline constexpr double kMinBeamContrast = 3.0;

// WCAG 2 relative luminance of an sRGB colour, 0 (black) .. 1 (white).
double RelativeLuminance(TRgb c);
// WCAG 2 contrast ratio of two colours, 1 .. 21, in either order.
double ContrastRatio(TRgb a, TRgb b);

// Colours in the palette of every scheme.
int BeamPaletteSize();
// Colour k (taken modulo the palette's size) of the per-beam palette of `scheme`. The first six
// are the classic beam colours wherever those are readable on the scheme.
TRgb BeamPaletteColor(TColorScheme scheme, int k);

// The colours colour indices stand for: the six classic ones, or the per-beam palette.
std::vector<TRgb> BeamColorTable(TColorScheme scheme, bool perBeam);
// Colour index `index` of that table (taken modulo its size).
TRgb BeamColorOf(TColorScheme scheme, bool perBeam, int index);

// The colour index of a value-table row: the classic index in its group (0 for the "X" row), or
// per beam its place among the screen's shown beams in signal order (modulo the palette), so a
// beam keeps its colour when it moves to another group.
int BeamColorIndex(const TBeamRowRef& row, bool perBeam);

// ---- a sweep's runs over one beam
// `count` colours of the hue of `base`, from darker to lighter, evenly spaced in lightness
// (CIE L*), each readable on the scheme's background (a contrast of at least kMinBeamContrast).
// One run keeps `base` where it is readable.
std::vector<TRgb> SweepRamp(TColorScheme scheme, TRgb base, int count);

// "опорный: 12:03:15", the legend's entry of a reference run that ran at `label`.
std::string ReferenceLegendText(const std::string& label);

}  // namespace kvaril
