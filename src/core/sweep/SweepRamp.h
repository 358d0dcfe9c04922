#pragma once
// The shades a sweep's runs are drawn in: one beam's colour, lighter and darker, so the runs of
// a beam read as one family and their order shows in the shade.

#include <vector>

#include "osc/uBeam.h"

namespace kvaril {

// `count` shades of `base`, from the one nearest `background` to the one farthest from it, each
// mixed with the background or away from it (towards black for a colour darker than the
// background, white for a lighter one). The nearest stays readable on the background (a
// contrast of kMinBeamContrast) where `base` itself is; one run gets `base`.
std::vector<TRgb> SweepRamp(TRgb base, TRgb background, int count);

}  // namespace kvaril
