#include "analysis/Distortion.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kvaril {

namespace {

// The power of the line whose highest bin lies within `reach` bins of `centre`, and the bins
// its lobe covers, marked in `used`.
double LinePower(const std::vector<double>& power, std::vector<char>& used, int centre, int reach) {
    const int bins = static_cast<int>(power.size());
    int peak = std::clamp(centre, 0, bins - 1);
    for (int k = std::max(0, centre - reach); k <= std::min(bins - 1, centre + reach); ++k)
        if (power[size_t(k)] > power[size_t(peak)]) peak = k;
    double sum = 0;
    for (int k = std::max(0, peak - kToneLobe); k <= std::min(bins - 1, peak + kToneLobe); ++k) {
        if (used[size_t(k)]) continue;
        sum += power[size_t(k)];
        used[size_t(k)] = 1;
    }
    return sum;
}

double Db(double ratio) { return 10 * std::log10(ratio); }

}  // namespace

TDistortion MeasureDistortion(TSpectrumAnalyzer& analyzer, const double* samples, int n,
                              double quantTime, int harmonics) {
    TDistortion d;
    auto all = [&d](const TMeasured& m) {
        d.ThdDb = d.ThdPercent = d.Snr = d.Sinad = d.Enob = d.Sfdr = m;
    };
    if (n < 4 * kToneLobe) {
        all(TMeasured::Not("слишком мало отсчетов для спектра"));
        return d;
    }
    TSpectrum spectrum = analyzer.Compute(samples, n, quantTime, TSpectrumWindow::BlackmanHarris);
    if (spectrum.NonFinite) {
        all(TMeasured::Not("в интервале есть NaN или бесконечность"));
        return d;
    }
    const int bins = spectrum.BinCount();
    // The amplitudes become powers in place: a long interval's spectrum is tens of megabytes.
    std::vector<double>& power = spectrum.Amplitude;
    for (double& p : power) p *= p;
    std::vector<char> used(static_cast<size_t>(bins), 0);
    for (int k = 0; k <= std::min(bins - 1, kToneLobe); ++k) used[size_t(k)] = 1;  // DC

    int fundamental = -1;
    for (int k = kToneLobe + 1; k < bins; ++k)
        if (fundamental < 0 || power[size_t(k)] > power[size_t(fundamental)]) fundamental = k;
    if (fundamental < 0 || !(power[size_t(fundamental)] > 0)) {
        all(TMeasured::Not("нет тона в интервале"));
        return d;
    }
    // Refined between bins by the parabola through the logarithms of the peak and its
    // neighbours, as the spectrum's peaks are.
    const double binWidth = spectrum.Frequency(1);
    double offset = 0;
    if (fundamental + 1 < bins) {
        const double a = std::log(power[size_t(fundamental - 1)]),
                     b = std::log(power[size_t(fundamental)]),
                     c = std::log(power[size_t(fundamental + 1)]);
        if (std::isfinite(a) && std::isfinite(c) && a - 2 * b + c < 0)
            offset = std::clamp(0.5 * (a - c) / (a - 2 * b + c), -0.5, 0.5);
    }
    const double f0 = (fundamental + offset) * binWidth;
    d.Fundamental = f0;
    const double signal = LinePower(power, used, fundamental, 0);

    double harmonic = 0;
    for (int h = 2; h <= harmonics; ++h) {
        const double at = h * f0 / binWidth;
        if (at > bins - 1 - kToneLobe) break;
        harmonic += LinePower(power, used, static_cast<int>(std::lround(at)), 1 + h / 4);
    }
    double noise = 0, spur = 0;
    for (int k = 0; k < bins; ++k)
        if (!used[size_t(k)]) noise += power[size_t(k)];
    // The largest other line: a harmonic's or any bin outside the fundamental's lobe and DC.
    for (int k = kToneLobe + 1; k < bins; ++k)
        if (std::abs(k - fundamental) > kToneLobe) spur = std::max(spur, power[size_t(k)]);

    d.ThdDb = harmonic > 0 ? TMeasured::Of(Db(harmonic / signal))
                           : TMeasured::Not("нет гармоник ниже частоты Найквиста");
    d.ThdPercent = harmonic > 0 ? TMeasured::Of(100 * std::sqrt(harmonic / signal)) : d.ThdDb;
    d.Snr = noise > 0 ? TMeasured::Of(Db(signal / noise)) : TMeasured::Not("нет шума в спектре");
    d.Sinad = noise + harmonic > 0 ? TMeasured::Of(Db(signal / (noise + harmonic)))
                                   : TMeasured::Not("нет шума и искажений в спектре");
    d.Enob = d.Sinad.Ok() ? TMeasured::Of((d.Sinad.Value - 1.76) / 6.02) : d.Sinad;
    d.Sfdr = spur > 0 ? TMeasured::Of(Db(power[size_t(fundamental)] / spur))
                      : TMeasured::Not("нет других линий в спектре");
    return d;
}

}  // namespace kvaril
