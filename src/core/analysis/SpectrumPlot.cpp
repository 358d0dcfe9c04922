#include "analysis/SpectrumPlot.h"

#include <algorithm>
#include <cmath>

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

}  // namespace kvaril
