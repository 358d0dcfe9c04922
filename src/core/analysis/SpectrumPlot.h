#pragma once
// Where a spectrum view puts frequencies and amplitudes: the axes fitted to some spectra, linear
// or logarithmic in frequency, linear or in decibels in amplitude, and the way back from a pixel
// to the numbers under the pointer.

#include <vector>

#include "analysis/Spectrum.h"

namespace kvaril {

struct TSpectrumAxes {
    bool LogFrequency = false;
    bool Decibels = false;
    double FMin = 0, FMax = 1;  // FMin > 0 on a logarithmic axis
    double AMin = 0, AMax = 1;  // in dB when Decibels
    int Width = 1, Height = 1;  // of the plot area in pixels

    // The amplitude as the axis measures it (dB or linear).
    double Level(double amplitude) const;
    double X(double frequency) const;  // 0 .. Width
    double Y(double amplitude) const;  // Height (AMin) .. 0 (AMax)
    double FrequencyAt(double x) const;
    double LevelAt(double y) const;
};

// Axes that show every finite bin of `spectra` (bin 0 left out on a logarithmic axis). Decibels
// reach at most 160 dB below the largest level, so a floor of -200 dB does not squash the rest.
TSpectrumAxes FitSpectrumAxes(const std::vector<const TSpectrum*>& spectra, bool logFrequency,
                              bool decibels, int width, int height);

// The powers of ten within [from, to] (both positive) for a logarithmic axis; empty otherwise.
std::vector<double> DecadeTicks(double from, double to);

}  // namespace kvaril
