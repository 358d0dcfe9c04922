#include "analysis/Spectrum.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "base/Errors.h"
#include "store/uSignalsData.h"

namespace kvaril {

namespace {

// Cosine sums a0 - a1 cos(x) + a2 cos(2x) - a3 cos(3x), x = 2πi/n.
struct TCosineSum {
    double A0, A1, A2, A3;
};

TCosineSum CoefficientsOf(TSpectrumWindow window) {
    switch (window) {
        case TSpectrumWindow::Rectangular:
            return {1, 0, 0, 0};
        case TSpectrumWindow::Hann:
            return {0.5, 0.5, 0, 0};
        case TSpectrumWindow::Hamming:
            return {0.54, 0.46, 0, 0};
        case TSpectrumWindow::BlackmanHarris:
            return {0.35875, 0.48829, 0.14128, 0.01168};
    }
    return {1, 0, 0, 0};
}

// Plans live only as long as their length is among the last few used, and only while their
// buffers stay small: a long run's length is planned again rather than keep 160 MB per length.
constexpr size_t kMaxPlans = 8;
constexpr size_t kPlanBytesKept = 64u << 20;

}  // namespace

std::optional<TSpectrumWindow> SpectrumWindowFromName(std::string_view name) {
    for (auto w : {TSpectrumWindow::Rectangular, TSpectrumWindow::Hann, TSpectrumWindow::Hamming,
                   TSpectrumWindow::BlackmanHarris})
        if (SpectrumWindowName(w) == name) return w;
    return std::nullopt;
}

std::string SpectrumWindowName(TSpectrumWindow window) {
    switch (window) {
        case TSpectrumWindow::Rectangular:
            return "rect";
        case TSpectrumWindow::Hann:
            return "hann";
        case TSpectrumWindow::Hamming:
            return "hamming";
        case TSpectrumWindow::BlackmanHarris:
            return "blackman-harris";
    }
    return "rect";
}

std::vector<double> WindowCoefficients(TSpectrumWindow window, int n) {
    const TCosineSum c = CoefficientsOf(window);
    std::vector<double> w(static_cast<size_t>(std::max(n, 0)));
    // The periodic window is even about n/2: the cosines of a long range are taken once.
    for (int i = 0; i <= n / 2; ++i) {
        const double x = 2 * std::numbers::pi * i / n;
        double v = c.A0 - c.A1 * std::cos(x);
        if (c.A2 != 0) v += c.A2 * std::cos(2 * x) - c.A3 * std::cos(3 * x);
        w[static_cast<size_t>(i)] = v;
        if (i > 0) w[static_cast<size_t>(n - i)] = v;
    }
    return w;
}

double ToDecibels(double amplitude) {
    const double db = 20 * std::log10(std::fabs(amplitude));
    return db > kDecibelFloor ? db : kDecibelFloor;  // also for log10(0) = -inf
}

namespace {

// Peaks are judged on the amplitudes as written, the ones the table and the plot show; an edge
// bin (0 and, N even, N/2) has one neighbour.
// Amplitudes that differ only in the transform's rounding are equal here: a line on the
// Nyquist bin reads the same beside it, up to the last bits.
bool Same(double a, double b) { return std::fabs(a - b) <= 1e-12 * std::max(a, b); }
bool Below(double a, double b) { return a < b && !Same(a, b); }

bool LocalMaximum(const TSpectrum& s, int k) {
    const double a = s.Amplitude[static_cast<size_t>(k)];
    const bool left = k == 0 || !Below(a, s.Amplitude[static_cast<size_t>(k - 1)]);
    const bool right = k + 1 >= s.BinCount() || !Below(a, s.Amplitude[static_cast<size_t>(k + 1)]);
    return left && right;
}

// An edge bin holds a line and its mirror image together (their leakage adds or cancels with
// the phase), and so does a bin beside it through its neighbour: a parabola through them is
// biased, and those peaks are taken as they are.
// With N odd the last bin has no Nyquist bin beside it, but its mirror image is the very next
// frequency: the same holds there.
bool NearEdge(const TSpectrum& s, int k) { return k <= 1 || k >= s.BinCount() - 2; }

// Below this fraction of the peak a neighbour is leakage noise, not the main lobe's flank: its
// logarithm would tilt the parabola arbitrarily far.
constexpr double kLeastNeighbour = 1e-6;

// The peak at local maximum `bin`, refined by the parabola through the logarithms of it and its
// neighbours (one-sided amplitudes: the same scale away from the edges). Left as it is where the
// parabola cannot be trusted: at or beside an edge, beside a near-zero neighbour, or when the
// vertex would leave the bin.
TSpectralPeak RefinedPeak(const TSpectrum& spectrum, int bin) {
    TSpectralPeak peak;
    peak.Bin = bin;
    peak.Amplitude = spectrum.Amplitude[static_cast<size_t>(bin)];
    peak.Frequency = spectrum.Frequency(bin);
    if (NearEdge(spectrum, bin) || !(peak.Amplitude > 0)) return peak;
    const double left = spectrum.Amplitude[static_cast<size_t>(bin - 1)];
    const double right = spectrum.Amplitude[static_cast<size_t>(bin + 1)];
    if (!(left > peak.Amplitude * kLeastNeighbour && right > peak.Amplitude * kLeastNeighbour))
        return peak;
    const double l = ToDecibels(left);
    const double c = ToDecibels(peak.Amplitude);
    const double r = ToDecibels(right);
    const double curvature = l - 2 * c + r;
    if (!(curvature < 0)) return peak;
    const double p = 0.5 * (l - r) / curvature;
    if (!(std::fabs(p) <= 0.5)) return peak;
    peak.Frequency = (bin + p) / (spectrum.N * spectrum.QuantTime);
    peak.Amplitude = std::pow(10.0, (c - 0.25 * (l - r) * p) / 20);
    return peak;
}

}  // namespace

TSpectralPeak FindLargestPeak(const TSpectrum& spectrum) {
    const int bins = spectrum.BinCount();
    if (bins == 0 || spectrum.NonFinite) return {};
    int best = -1;
    for (int k = 0; k < bins; ++k) {
        if (!LocalMaximum(spectrum, k)) continue;
        const double a = spectrum.Amplitude[static_cast<size_t>(k)];
        // Equal to the bin beside it, the Nyquist bin holds the stronger line: it is not
        // doubled as the others are (bin 0 wins such a tie by coming first).
        const double top = best < 0 ? 0 : spectrum.Amplitude[static_cast<size_t>(best)];
        if (best < 0 || (k == bins - 1 ? !Below(a, top) : a > top)) best = k;
    }
    if (best < 0) return {};  // no local maximum: NaN amplitudes
    return RefinedPeak(spectrum, best);
}

std::vector<TSpectralPeak> FindPeaks(const TSpectrum& spectrum, int count, double thresholdDb) {
    std::vector<TSpectralPeak> peaks;
    const int bins = spectrum.BinCount();
    if (bins == 0 || spectrum.NonFinite || count <= 0) return peaks;
    std::vector<int> maxima;
    for (int k = 0; k < bins; ++k) {
        const double a = spectrum.Amplitude[static_cast<size_t>(k)];
        if (!LocalMaximum(spectrum, k) || !(a > 0)) continue;
        // A flat top counts once, at its first bin; one that reaches the Nyquist bin counts
        // there, as FindLargestPeak takes it.
        if (!(k > 0 && Same(spectrum.Amplitude[static_cast<size_t>(k - 1)], a)))
            maxima.push_back(k);
        else if (k == bins - 1 && !maxima.empty())
            maxima.back() = k;
    }
    for (int k : maxima) {
        TSpectralPeak peak = RefinedPeak(spectrum, k);
        if (ToDecibels(peak.Amplitude) >= thresholdDb) peaks.push_back(peak);
    }
    std::stable_sort(
        peaks.begin(), peaks.end(),
        [](const TSpectralPeak& a, const TSpectralPeak& b) { return a.Amplitude > b.Amplitude; });
    if (peaks.size() > static_cast<size_t>(count)) peaks.resize(static_cast<size_t>(count));
    return peaks;
}

struct TSpectrumAnalyzer::TPlan {
    explicit TPlan(int length) : n(length) {
        in = fftw_alloc_real(static_cast<size_t>(n));
        out = fftw_alloc_complex(static_cast<size_t>(n / 2 + 1));
        if (!in || !out) {
            fftw_free(in);
            fftw_free(out);
            throw std::bad_alloc();
        }
        // Estimated, not measured: measuring costs more than many transforms of these sizes.
        plan = fftw_plan_dft_r2c_1d(n, in, out, FFTW_ESTIMATE);
        KV_ASSERT(plan != nullptr, "Spectrum");
    }
    ~TPlan() {
        if (plan) fftw_destroy_plan(plan);
        fftw_free(in);
        fftw_free(out);
    }
    TPlan(const TPlan&) = delete;
    TPlan& operator=(const TPlan&) = delete;

    int n;
    double* in = nullptr;
    fftw_complex* out = nullptr;
    fftw_plan plan = nullptr;
    unsigned long lastUse = 0;
};

TSpectrumAnalyzer::TSpectrumAnalyzer() = default;
TSpectrumAnalyzer::~TSpectrumAnalyzer() = default;

TSpectrumAnalyzer::TPlan& TSpectrumAnalyzer::PlanFor(int n) {
    auto bytesOf = [](int length) {
        return static_cast<size_t>(length) * sizeof(double) +
               static_cast<size_t>(length / 2 + 1) * sizeof(fftw_complex);
    };
    auto it = plans_.find(n);
    if (it == plans_.end()) {
        // The others make room before the new buffers are taken.
        size_t bytes = bytesOf(n);
        for (const auto& [length, plan] : plans_) bytes += bytesOf(length);
        while (!plans_.empty() && (plans_.size() >= kMaxPlans || bytes > kPlanBytesKept)) {
            auto oldest = std::min_element(plans_.begin(), plans_.end(), [](auto& x, auto& y) {
                return x.second->lastUse < y.second->lastUse;
            });
            bytes -= bytesOf(oldest->first);
            plans_.erase(oldest);
        }
        it = plans_.emplace(n, std::make_unique<TPlan>(n)).first;
    }
    it->second->lastUse = ++useClock_;
    return *it->second;
}

const std::vector<double>& TSpectrumAnalyzer::WindowFor(TSpectrumWindow window, int n,
                                                        double& sum) {
    if (window_.N != n || window_.Window != window || window_.W.empty()) {
        window_.W = WindowCoefficients(window, n);
        window_.N = n;
        window_.Window = window;
        window_.Sum = 0;
        for (double w : window_.W) window_.Sum += w;
    }
    sum = window_.Sum;
    return window_.W;
}

TSpectrum TSpectrumAnalyzer::Compute(const double* samples, int n, double quantTime,
                                     TSpectrumWindow window) {
    TSpectrum spectrum;
    spectrum.QuantTime = quantTime;
    if (n < 2) return spectrum;
    spectrum.N = n;
    for (int i = 0; i < n; ++i)
        if (!std::isfinite(samples[i])) {
            spectrum.NonFinite = true;
            return spectrum;
        }
    TPlan& plan = PlanFor(n);
    double sum = 0;
    const std::vector<double>& w = WindowFor(window, n, sum);
    for (int i = 0; i < n; ++i) plan.in[i] = samples[i] * w[static_cast<size_t>(i)];
    fftw_execute(plan.plan);

    const int bins = n / 2 + 1;
    spectrum.Amplitude.resize(static_cast<size_t>(bins));
    for (int k = 0; k < bins; ++k) {
        const double re = plan.out[k][0], im = plan.out[k][1];
        // The plain root is several times quicker than hypot; hypot only where the squares
        // would overflow or lose their digits.
        const double squares = re * re + im * im;
        const double magnitude =
            squares < 1e300 && squares > 1e-300 ? std::sqrt(squares) : std::hypot(re, im);
        const bool single = k == 0 || (n % 2 == 0 && k == n / 2);
        spectrum.Amplitude[static_cast<size_t>(k)] = magnitude * (single ? 1 : 2) / sum;
    }
    return spectrum;
}

void TSpectrumAnalyzer::Transform(const double* samples, const std::vector<double>& window, int n,
                                  std::vector<std::complex<double>>& bins) {
    KV_ASSERT(n >= 1 && (window.empty() || window.size() == static_cast<size_t>(n)), "Transform");
    TPlan& plan = PlanFor(n);
    if (window.empty())
        std::copy(samples, samples + n, plan.in);
    else
        for (int i = 0; i < n; ++i) plan.in[i] = samples[i] * window[static_cast<size_t>(i)];
    fftw_execute(plan.plan);
    bins.resize(static_cast<size_t>(n / 2 + 1));
    for (int k = 0; k <= n / 2; ++k)
        bins[static_cast<size_t>(k)] = {plan.out[k][0], plan.out[k][1]};
}

TSpectrum TSpectrumAnalyzer::Compute(const TSignalsData& data, int signal, TQuantRange range,
                                     double quantTime, TSpectrumWindow window) {
    range.First = std::max(range.First, 0);
    range.Last = std::min(range.Last, data.SampleCount() - 1);
    if (range.Count() < 2) return Compute(nullptr, 0, quantTime, window);
    return Compute(data.Row(signal) + range.First, range.Count(), quantTime, window);
}

}  // namespace kvaril
