#pragma once
// Where a spectrum view puts frequencies and amplitudes: the axes fitted to some spectra, linear
// or logarithmic in frequency, linear or in decibels in amplitude, and the way back from a pixel
// to the numbers under the pointer; the view's zoom and pan, the readout snapped to the curves,
// the ticks and the labels kept inside the plot. Plain numbers: the window only draws them.

#include <string>
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

// ---- the view: zoom and pan about the fitted axes
// Frequencies stay within what the spectra cover (zooming out stops at all of it); levels may
// move beyond the fitted range. A logarithmic frequency axis zooms and pans in decades.

inline constexpr double kWheelZoom = 1.25;  // one notch of the wheel shows 1/1.25 of the range

class TSpectrumView {
  public:
    // New spectra or axis modes. A range the user chose survives new spectra of the same modes
    // (moved inside what they cover); a changed mode shows all of that axis.
    void Fit(const std::vector<const TSpectrum*>& spectra, bool logFrequency, bool decibels,
             int width, int height);
    void Resize(int width, int height);
    const TSpectrumAxes& Axes() const { return axes_; }
    const TSpectrumAxes& Full() const { return full_; }
    bool Zoomed() const { return zoomedF_ || zoomedA_; }
    // "Показать все".
    void ShowAll();
    // `steps` notches of the wheel (positive: closer) about the pixel (x, y) of the plot area,
    // along the frequency axis, the level axis or both.
    void ZoomAt(double x, double y, double steps, bool frequency, bool level);
    // Moves the content by (dx, dy) pixels, as a drag does.
    void Pan(double dx, double dy);
    // The rubber band: the box between two pixels fills the plot. A box narrower or lower than
    // 3 px keeps that axis as it is; false when both are.
    bool ZoomToBox(double x0, double y0, double x1, double y1);
    // A typed range of frequencies (either order); false, nothing changed, for one that is not
    // wholly within the spectra (but for the rounding of their ends), empty, or with f <= 0 on
    // a logarithmic axis.
    bool SetFrequencyRange(double f0, double f1);

  private:
    void SetFrequencyUnits(double u0, double u1);
    void SetLevels(double l0, double l1);

    TSpectrumAxes full_, axes_;
    bool zoomedF_ = false, zoomedA_ = false;
};

// ---- the readout: the nearest bin of the nearest curve

struct TSpectrumReadout {
    int Curve = -1;        // index into the spectra; -1 when no curve has a bin to show
    int Bin = -1;          // of that curve
    double Frequency = 0;  // of that bin
    double X = 0, Y = 0;   // the bin's point in the plot area, in pixels
    // Per spectrum: the amplitude of its bin nearest Frequency; NaN for a spectrum without.
    std::vector<double> Amplitudes;
};

// The bin, among all curves, whose point lies nearest the pixel (x, y) (straight-line pixel
// distance), and every curve's amplitude at its frequency.
TSpectrumReadout SnapReadout(const TSpectrumAxes& axes,
                             const std::vector<const TSpectrum*>& spectra, double x, double y);

// ---- ticks and labels

struct TAxisTick {
    double Value = 0;
    double Pixel = 0;  // from the axis start: x from the left, y from the top
    std::string Text;  // engineering form (FormatEngineering's rules)
};

// Frequency ticks of 1-2-5 steps, or on a logarithmic axis decades (with 2 and 5 between them
// when few decades show; a linear scale within less than one).
std::vector<TAxisTick> FrequencyTicks(const TSpectrumAxes& axes, int minSpacing = 70);
std::vector<TAxisTick> LevelTicks(const TSpectrumAxes& axes, int minSpacing = 30);

// Labels along an axis: each wants to be centred at Centre and is Width wide. Returns each one's
// start, moved inside [from, to] (so the last label is never cut); a label that would come nearer
// than `gap` to one kept before it gets NaN and is not drawn.
struct TLabelSpan {
    double Centre = 0, Width = 0;
};
std::vector<double> PlaceLabels(const std::vector<TLabelSpan>& labels, double from, double to,
                                double gap);

}  // namespace kvaril
