#include "sweep/SweepRamp.h"

#include <algorithm>
#include <cmath>

#include "osc/BeamPalette.h"

namespace kvaril {

namespace {

TRgb Mix(TRgb a, TRgb b, double t) {
    auto channel = [t](uint8_t x, uint8_t y) {
        return static_cast<uint8_t>(std::lround(x + (y - x) * t));
    };
    return {channel(a.R, b.R), channel(a.G, b.G), channel(a.B, b.B)};
}

// How far the darkest shade goes towards black (or white), and the lightest at most towards
// the background: beyond these the ends of the ramp lose the beam's hue.
constexpr double kFarMix = 0.6;
constexpr double kNearMix = 0.6;

}  // namespace

std::vector<TRgb> SweepRamp(TRgb base, TRgb background, int count) {
    std::vector<TRgb> ramp;
    if (count <= 0) return ramp;
    if (count == 1) return {base};
    // Away from the background is towards black for a colour darker than it, white otherwise.
    const TRgb far = RelativeLuminance(base) < RelativeLuminance(background) ? TRgb{0, 0, 0}
                                                                             : TRgb{255, 255, 255};
    // The lightest shade: as near the background as it may come and still be read on it.
    const double floor = std::min(kMinBeamContrast, ContrastRatio(base, background));
    double near = 0;
    for (double t = kNearMix; t > 0; t -= 0.02)
        if (ContrastRatio(Mix(base, background, t), background) >= floor) {
            near = t;
            break;
        }
    // A base already near black (or white) gains nothing by going there.
    const double farMix = kFarMix * std::min(1.0, (ContrastRatio(base, far) - 1) / 2);
    for (int i = 0; i < count; ++i) {
        // From `near` towards the background, through the base, to `farMix` away from it.
        const double s = -near + (near + farMix) * i / (count - 1);
        ramp.push_back(s < 0 ? Mix(base, background, -s) : Mix(base, far, s));
    }
    return ramp;
}

}  // namespace kvaril
