#include "analysis/SpectrumPlot.h"

#include <algorithm>
#include <cmath>

#include "plot/Ticks.h"

namespace kvaril {

double TSpectrumAxes::Level(double amplitude) const {
    return Decibels ? ToDecibels(amplitude) : amplitude;
}

double TSpectrumAxes::X(double frequency) const {
    if (LogFrequency)
        return (std::log10(frequency) - std::log10(FMin)) / (std::log10(FMax) - std::log10(FMin)) *
               Width;
    return (frequency - FMin) / (FMax - FMin) * Width;
}

double TSpectrumAxes::Y(double amplitude) const {
    return Height - (Level(amplitude) - AMin) / (AMax - AMin) * Height;
}

double TSpectrumAxes::FrequencyAt(double x) const {
    const double u = x / Width;
    if (LogFrequency)
        return std::pow(10.0, std::log10(FMin) + u * (std::log10(FMax) - std::log10(FMin)));
    return FMin + u * (FMax - FMin);
}

double TSpectrumAxes::LevelAt(double y) const {
    return AMin + (Height - y) / Height * (AMax - AMin);
}

TSpectrumAxes FitSpectrumAxes(const std::vector<const TSpectrum*>& spectra, bool logFrequency,
                              bool decibels, int width, int height) {
    TSpectrumAxes a;
    a.LogFrequency = logFrequency;
    a.Decibels = decibels;
    a.Width = std::max(1, width);
    a.Height = std::max(1, height);
    double fMin = HUGE_VAL, fMax = -HUGE_VAL, lMin = HUGE_VAL, lMax = -HUGE_VAL;
    for (const TSpectrum* s : spectra) {
        if (!s || s->NonFinite || s->BinCount() < 2) continue;
        for (int k = logFrequency ? 1 : 0; k < s->BinCount(); ++k) {
            const double level = a.Level(s->Amplitude[static_cast<size_t>(k)]);
            if (!std::isfinite(level)) continue;
            fMin = std::min(fMin, s->Frequency(k));
            fMax = std::max(fMax, s->Frequency(k));
            lMin = std::min(lMin, level);
            lMax = std::max(lMax, level);
        }
    }
    if (!(fMax > fMin)) {  // nothing to show: a unit square of axes
        fMin = logFrequency ? 1 : 0;
        fMax = logFrequency ? 10 : 1;
        lMin = decibels ? -100 : 0;
        lMax = decibels ? 0 : 1;
    }
    a.FMin = fMin;
    a.FMax = fMax;
    if (decibels) {
        // Whole tens of dB, and never more than 160 dB of range.
        a.AMax = std::ceil(lMax / 10) * 10;
        a.AMin = std::max(std::floor(lMin / 10) * 10, a.AMax - 160);
        if (!(a.AMax > a.AMin)) a.AMin = a.AMax - 10;
    } else {
        a.AMin = std::min(0.0, lMin);
        a.AMax = lMax > a.AMin ? lMax + (lMax - a.AMin) * 0.05 : a.AMin + 1;
    }
    return a;
}

std::vector<double> DecadeTicks(double from, double to) {
    std::vector<double> out;
    if (!(from > 0) || !(to >= from) || !std::isfinite(to)) return out;
    for (int e = static_cast<int>(std::ceil(std::log10(from) - 1e-9));
         e <= static_cast<int>(std::floor(std::log10(to) + 1e-9)) && out.size() < 400; ++e)
        out.push_back(std::pow(10.0, e));
    return out;
}

// ---- the view

namespace {

double ToUnits(bool log, double f) { return log ? std::log10(f) : f; }
double FromUnits(bool log, double u) { return log ? std::pow(10.0, u) : u; }

// The narrowest range an axis zooms to, as a part of what it shows fitted.
constexpr double kFinestFrequency = 1e-6;
constexpr double kFinestLevel = 1e-6, kCoarsestLevel = 100;

}  // namespace

void TSpectrumView::Fit(const std::vector<const TSpectrum*>& spectra, bool logFrequency,
                        bool decibels, int width, int height) {
    const TSpectrumAxes old = axes_;
    const bool keepF = zoomedF_ && old.LogFrequency == logFrequency;
    const bool keepA = zoomedA_ && old.Decibels == decibels;
    full_ = FitSpectrumAxes(spectra, logFrequency, decibels, width, height);
    axes_ = full_;
    zoomedF_ = zoomedA_ = false;
    if (keepF) SetFrequencyUnits(ToUnits(logFrequency, old.FMin), ToUnits(logFrequency, old.FMax));
    if (keepA) SetLevels(old.AMin, old.AMax);
}

void TSpectrumView::Resize(int width, int height) {
    full_.Width = axes_.Width = std::max(1, width);
    full_.Height = axes_.Height = std::max(1, height);
}

void TSpectrumView::ShowAll() {
    const int w = axes_.Width, h = axes_.Height;
    axes_ = full_;
    axes_.Width = w;
    axes_.Height = h;
    zoomedF_ = zoomedA_ = false;
}

void TSpectrumView::SetFrequencyUnits(double u0, double u1) {
    const bool log = full_.LogFrequency;
    const double lo = ToUnits(log, full_.FMin), hi = ToUnits(log, full_.FMax);
    const double full = hi - lo;
    if (!(u1 > u0) || !std::isfinite(u0) || !std::isfinite(u1)) return;
    double span = std::max(u1 - u0, full * kFinestFrequency);
    double mid = (u0 + u1) / 2;
    if (span >= full) {
        span = full;
        mid = (lo + hi) / 2;
    }
    mid = std::clamp(mid, lo + span / 2, hi - span / 2);
    const double a = mid - span / 2, b = mid + span / 2;
    axes_.FMin = span >= full ? full_.FMin : FromUnits(log, a);
    axes_.FMax = span >= full ? full_.FMax : FromUnits(log, b);
    zoomedF_ = span < full;
}

void TSpectrumView::SetLevels(double l0, double l1) {
    if (!(l1 > l0) || !std::isfinite(l0) || !std::isfinite(l1)) return;
    const double full = full_.AMax - full_.AMin;
    const double span = std::clamp(l1 - l0, full * kFinestLevel, full * kCoarsestLevel);
    const double mid = (l0 + l1) / 2;
    axes_.AMin = mid - span / 2;
    axes_.AMax = mid + span / 2;
    zoomedA_ = axes_.AMin != full_.AMin || axes_.AMax != full_.AMax;
}

void TSpectrumView::ZoomAt(double x, double y, double steps, bool frequency, bool level) {
    const double factor = std::pow(kWheelZoom, -steps);  // of the span
    if (frequency) {
        const bool log = axes_.LogFrequency;
        const double u0 = ToUnits(log, axes_.FMin), u1 = ToUnits(log, axes_.FMax);
        const double at = ToUnits(log, axes_.FrequencyAt(x));
        SetFrequencyUnits(at - (at - u0) * factor, at + (u1 - at) * factor);
    }
    if (level) {
        const double at = axes_.LevelAt(y);
        SetLevels(at - (at - axes_.AMin) * factor, at + (axes_.AMax - at) * factor);
    }
}

void TSpectrumView::Pan(double dx, double dy) {
    if (dx != 0) {
        const bool log = axes_.LogFrequency;
        const double u0 = ToUnits(log, axes_.FMin), u1 = ToUnits(log, axes_.FMax);
        const double shift = -dx / axes_.Width * (u1 - u0);
        if (zoomedF_) SetFrequencyUnits(u0 + shift, u1 + shift);
    }
    if (dy != 0) {
        const double shift = dy / axes_.Height * (axes_.AMax - axes_.AMin);
        SetLevels(axes_.AMin + shift, axes_.AMax + shift);
    }
}

bool TSpectrumView::ZoomToBox(double x0, double y0, double x1, double y1) {
    constexpr double kLeast = 3;
    const bool wide = std::fabs(x1 - x0) >= kLeast, high = std::fabs(y1 - y0) >= kLeast;
    if (wide) {
        const bool log = axes_.LogFrequency;
        const double a = ToUnits(log, axes_.FrequencyAt(std::min(x0, x1)));
        const double b = ToUnits(log, axes_.FrequencyAt(std::max(x0, x1)));
        SetFrequencyUnits(a, b);
    }
    if (high) {
        const double a = axes_.LevelAt(std::max(y0, y1)), b = axes_.LevelAt(std::min(y0, y1));
        SetLevels(a, b);
    }
    return wide || high;
}

bool TSpectrumView::SetFrequencyRange(double f0, double f1) {
    if (f0 > f1) std::swap(f0, f1);
    const bool log = full_.LogFrequency;
    if (!(f1 > f0) || !std::isfinite(f0) || !std::isfinite(f1) || (log && !(f0 > 0))) return false;
    // A range that reaches beyond the spectrum is refused whole, as one outside it is: taking
    // part of it would leave the field saying what the axis does not show. Only the rounding of
    // the shown ends (a thousandth of the spectrum) is forgiven.
    const double slack = (full_.FMax - full_.FMin) * 1e-3;
    if (f0 < full_.FMin - slack || f1 > full_.FMax + slack) return false;
    SetFrequencyUnits(ToUnits(log, std::max(f0, full_.FMin)),
                      ToUnits(log, std::min(f1, full_.FMax)));
    return true;
}

// ---- the readout

TSpectrumReadout SnapReadout(const TSpectrumAxes& axes,
                             const std::vector<const TSpectrum*>& spectra, double x, double y) {
    TSpectrumReadout out;
    out.Amplitudes.assign(spectra.size(), NAN);
    constexpr double kReach = 40;  // pixels either side searched for a nearer point
    double best = HUGE_VAL;
    for (size_t c = 0; c < spectra.size(); ++c) {
        const TSpectrum* s = spectra[c];
        if (!s || s->NonFinite || s->BinCount() < 2) continue;
        const double binWidth = s->Frequency(1);
        const int first = axes.LogFrequency ? 1 : 0, last = s->BinCount() - 1;
        auto binAt = [&](double px) {
            const double f = axes.FrequencyAt(px);
            return std::isfinite(f) ? f / binWidth : (px < x ? -HUGE_VAL : HUGE_VAL);
        };
        // The bins under the reach, and one more each side for bins wider than it.
        const double lo =
            std::clamp(std::floor(binAt(x - kReach)) - 1, double(first), double(last));
        const double hi = std::clamp(std::ceil(binAt(x + kReach)) + 1, double(first), double(last));
        for (int k = static_cast<int>(lo); k <= static_cast<int>(hi); ++k) {
            const double a = s->Amplitude[static_cast<size_t>(k)];
            const double px = axes.X(s->Frequency(k)), py = axes.Y(a);
            if (!std::isfinite(px) || !std::isfinite(py)) continue;
            const double d = std::hypot(px - x, py - y);
            if (d < best) {
                best = d;
                out.Curve = static_cast<int>(c);
                out.Bin = k;
                out.Frequency = s->Frequency(k);
                out.X = px;
                out.Y = py;
            }
        }
    }
    if (out.Curve < 0) return out;
    for (size_t c = 0; c < spectra.size(); ++c) {
        const TSpectrum* s = spectra[c];
        if (!s || s->NonFinite || s->BinCount() < 2) continue;
        const long k = std::lround(out.Frequency / s->Frequency(1));
        if (k >= 0 && k < s->BinCount()) out.Amplitudes[c] = s->Amplitude[static_cast<size_t>(k)];
    }
    return out;
}

// ---- ticks and labels

namespace {

TAxisTick Tick(double value, double pixel, double step) {
    return {value, pixel, EngineeringTickText(value, step)};
}

}  // namespace

std::vector<TAxisTick> FrequencyTicks(const TSpectrumAxes& axes, int minSpacing) {
    std::vector<TAxisTick> out;
    if (axes.LogFrequency) {
        const std::vector<double> decades = DecadeTicks(axes.FMin, axes.FMax);
        // Decades far apart enough, thinned to every second, fifth... when crowded.
        if (decades.size() >= 2) {
            const double perDecade = axes.X(decades[1]) - axes.X(decades[0]);
            const size_t every = perDecade >= minSpacing       ? 1
                                 : perDecade * 2 >= minSpacing ? 2
                                 : perDecade * 5 >= minSpacing ? 5
                                                               : 10;
            for (size_t i = 0; i < decades.size(); i += every)
                out.push_back(Tick(decades[i], axes.X(decades[i]), decades[i]));
            if (perDecade < 4 * minSpacing) return out;
            out.clear();
        }
        // Few decades: 1, 2 and 5 of each where they fit.
        const int e0 = static_cast<int>(std::floor(std::log10(axes.FMin))) - 1;
        const int e1 = static_cast<int>(std::ceil(std::log10(axes.FMax)));
        double lastPixel = -HUGE_VAL;
        for (int e = e0; e <= e1; ++e)
            for (int m : {1, 2, 5}) {
                const double f = m * std::pow(10.0, e);
                if (f < axes.FMin * (1 - 1e-12) || f > axes.FMax * (1 + 1e-12)) continue;
                const double px = axes.X(f);
                if (px - lastPixel < minSpacing && m != 1) continue;
                out.push_back(Tick(f, px, f));
                lastPixel = px;
            }
        if (out.size() >= 2) return out;
        out.clear();
    }
    const TTickScale scale = MakeTicks(axes.FMin, axes.FMax, axes.Width, minSpacing);
    for (const TTick& t : scale.Ticks) out.push_back(Tick(t.Value, axes.X(t.Value), scale.Step));
    return out;
}

std::vector<TAxisTick> LevelTicks(const TSpectrumAxes& axes, int minSpacing) {
    std::vector<TAxisTick> out;
    const TTickScale scale = MakeTicks(axes.AMin, axes.AMax, axes.Height, minSpacing);
    for (const TTick& t : scale.Ticks)
        out.push_back(Tick(
            t.Value, axes.Height - (t.Value - axes.AMin) / (axes.AMax - axes.AMin) * axes.Height,
            scale.Step));
    return out;
}

std::vector<double> PlaceLabels(const std::vector<TLabelSpan>& labels, double from, double to,
                                double gap) {
    std::vector<double> out(labels.size(), NAN);
    double end = -HUGE_VAL;  // of the last label kept
    for (size_t i = 0; i < labels.size(); ++i) {
        const TLabelSpan& l = labels[i];
        double start = l.Centre - l.Width / 2;
        start = std::max(from, std::min(start, to - l.Width));
        if (start < end + gap) continue;
        out[i] = start;
        end = start + l.Width;
    }
    return out;
}

}  // namespace kvaril
