#pragma once
// Amplitude spectra of a range of samples (FFTW, real to complex, any length). Amplitudes are
// scaled so that a sine of amplitude A that falls on a bin reads A with every window: bin k is
// |X_k| · 2 / Σw for 0 < k < N/2 and |X_k| / Σw for k = 0 and, N even, k = N/2; its frequency
// is k / (N · quantTime).

#include <complex>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/SignalStats.h"

namespace kvaril {

class TSignalsData;

enum class TSpectrumWindow { Rectangular, Hann, Hamming, BlackmanHarris };

// "rect", "hann", "hamming", "blackman-harris" (the command line's words).
std::optional<TSpectrumWindow> SpectrumWindowFromName(std::string_view name);
std::string SpectrumWindowName(TSpectrumWindow window);

// The periodic form of the window (the one a DFT of length n sees as exactly periodic), so an
// on-bin sine leaks into no other bin beyond the window's own main lobe.
std::vector<double> WindowCoefficients(TSpectrumWindow window, int n);

struct TSpectrum {
    int N = 0;                      // samples transformed
    double QuantTime = 0;           // seconds between them
    bool NonFinite = false;         // the range holds NaN or infinity: no amplitudes
    std::vector<double> Amplitude;  // bins 0 .. N/2

    double Frequency(int bin) const { return bin / (N * QuantTime); }
    int BinCount() const { return static_cast<int>(Amplitude.size()); }
};

struct TSpectralPeak {
    int Bin = -1;                         // the peak's bin; -1 for no spectrum
    double Frequency = 0, Amplitude = 0;  // refined between bins
};

// The largest local maximum of the amplitudes as written, refined by a parabola through the
// logarithms of it and its neighbours (a window's main lobe is close to a Gaussian, whose
// logarithm is a parabola). Maxima at or beside bins 0 and N/2 (where a line meets its mirror
// image), beside a near-zero neighbour, or whose vertex would leave the bin are taken as they
// are.
TSpectralPeak FindLargestPeak(const TSpectrum& spectrum);

// The `count` largest local maxima whose refined level is at least `thresholdDb` (dB of the
// amplitude, as the dB axis reads it), largest first, each refined as FindLargestPeak refines
// its peak. A plateau of equal bins counts once; bins of zero amplitude are never peaks.
inline constexpr int kDefaultPeakCount = 5;
inline constexpr double kDefaultPeakThresholdDb = -60;
std::vector<TSpectralPeak> FindPeaks(const TSpectrum& spectrum, int count = kDefaultPeakCount,
                                     double thresholdDb = kDefaultPeakThresholdDb);

// 20·log10(amplitude), never below -200 dB (zero and tiny amplitudes).
inline constexpr double kDecibelFloor = -200;
double ToDecibels(double amplitude);

// Computes spectra, keeping FFTW's plans and buffers for the lengths it has seen so a view that
// recomputes on every change plans only once per length. FFTW's planner is shared by the whole
// process and not thread-safe: analyzers belong to one thread.
class TSpectrumAnalyzer {
  public:
    TSpectrumAnalyzer();
    ~TSpectrumAnalyzer();
    TSpectrumAnalyzer(const TSpectrumAnalyzer&) = delete;
    TSpectrumAnalyzer& operator=(const TSpectrumAnalyzer&) = delete;

    // The spectrum of samples[0 .. n-1]; n < 2 gives an empty spectrum.
    TSpectrum Compute(const double* samples, int n, double quantTime, TSpectrumWindow window);
    // The same over a range of a store row (clipped to the row).
    TSpectrum Compute(const TSignalsData& data, int signal, TQuantRange range, double quantTime,
                      TSpectrumWindow window);
    // The DFT bins 0 .. n/2 of samples[i] · window[i] (i < n, window of n coefficients; none:
    // every coefficient 1), unscaled, into `bins`. For estimates that combine transforms.
    void Transform(const double* samples, const std::vector<double>& window, int n,
                   std::vector<std::complex<double>>& bins);

  private:
    struct TPlan;
    TPlan& PlanFor(int n);
    const std::vector<double>& WindowFor(TSpectrumWindow window, int n, double& sum);

    std::map<int, std::unique_ptr<TPlan>> plans_;
    unsigned long useClock_ = 0;
    struct TWindowCache {
        TSpectrumWindow Window = TSpectrumWindow::Rectangular;
        int N = 0;
        double Sum = 0;
        std::vector<double> W;
    } window_;
};

}  // namespace kvaril
