#include "analysis/Response.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace kvaril {

namespace {

constexpr int kLeastSegments = 8;
constexpr int kLeastSegment = 16;
constexpr int kImpulseSpan = 4;
// Below this fraction of the largest input power a bin has no input to speak of: its ratio
// would be rounding divided by rounding.
constexpr double kPowerFloor = 1e-24;

std::vector<double> DecibelsOf(const TResponseCurve& curve) {
    std::vector<double> db(curve.Magnitude.size());
    for (size_t k = 0; k < db.size(); ++k) db[k] = ToDecibels(curve.Magnitude[k]);
    return db;
}

// The first signal holding NaN or infinity, or null.
const TResponseSignal* NonFinite(const TResponseSignal& input,
                                 const std::vector<TResponseSignal>& outputs, int n) {
    auto finite = [n](const double* p) {
        for (int i = 0; i < n; ++i)
            if (!std::isfinite(p[i])) return false;
        return true;
    };
    if (!finite(input.Samples)) return &input;
    for (const TResponseSignal& y : outputs)
        if (!finite(y.Samples)) return &y;
    return nullptr;
}

// Unwraps phases (degrees) over the valid bins as numpy.unwrap does: a step of more than half
// a turn from the last valid bin is taken as the nearest whole turn less.
void Unwrap(std::vector<double>& phase, const std::vector<char>& valid) {
    double last = 0, shift = 0;
    bool started = false;
    for (size_t k = 0; k < phase.size(); ++k) {
        if (!valid[k]) continue;
        double p = phase[k] + shift;
        if (started) {
            const double turns = std::round((p - last) / 360);
            if (std::fabs(p - last) > 180) {
                shift -= 360 * turns;
                p -= 360 * turns;
            }
        }
        phase[k] = p;
        last = p;
        started = true;
    }
}

// −dφ/dω from the unwrapped phase: central differences between valid neighbours, one-sided at
// the ends of a valid stretch; 0 where a bin has no valid neighbour.
std::vector<double> GroupDelay(const std::vector<double>& phase, const std::vector<char>& valid,
                               double binWidth) {
    const int bins = static_cast<int>(phase.size());
    std::vector<double> delay(phase.size(), 0.0);
    auto ok = [&](int k) { return k >= 0 && k < bins && valid[static_cast<size_t>(k)]; };
    for (int k = 0; k < bins; ++k) {
        if (!ok(k)) continue;
        const int lo = ok(k - 1) ? k - 1 : k, hi = ok(k + 1) ? k + 1 : k;
        if (hi == lo) continue;
        const double dPhase = phase[static_cast<size_t>(hi)] - phase[static_cast<size_t>(lo)];
        delay[static_cast<size_t>(k)] = -dPhase / (360 * (hi - lo) * binWidth);
    }
    return delay;
}

}  // namespace

int ResponseSegments(int n, int segment) {
    if (segment < 2 || segment > n) return 0;
    const int step = segment - segment / 2;
    return (n - segment) / step + 1;
}

int DefaultResponseSegment(int n) {
    if (n < 2) return 0;
    int best = 0;
    for (long long m = kLeastSegment; m <= n; m *= 2)
        if (ResponseSegments(n, static_cast<int>(m)) >= kLeastSegments) best = static_cast<int>(m);
    if (best) return best;
    int m = 2;
    while (static_cast<long long>(m) * 2 <= n) m *= 2;
    return m;
}

bool IsImpulse(const double* samples, int n) {
    int first = -1, last = -1;
    for (int i = 0; i < n; ++i)
        if (samples[i] != 0) {
            if (first < 0) first = i;
            last = i;
        }
    return first >= 0 && last - first < kImpulseSpan;
}

TResponse EstimateResponse(TSpectrumAnalyzer& analyzer, const TResponseSignal& input,
                           const std::vector<TResponseSignal>& outputs, int n, double quantTime,
                           int segment, const TWorkHooks& hooks) {
    TResponse r;
    r.N = n;
    r.QuantTime = quantTime;
    if (n < 2) {
        r.Reason = "Меньше двух отсчетов в интервале";
        return r;
    }
    if (const TResponseSignal* bad = NonFinite(input, outputs, n)) {
        r.Reason = "В сигнале " + bad->Name + " на интервале есть NaN или бесконечность";
        return r;
    }
    if (std::all_of(input.Samples, input.Samples + n, [](double v) { return v == 0; })) {
        r.Reason = "Вход " + input.Name + " равен нулю на всем интервале: оценки нет";
        return r;
    }
    r.Impulse = IsImpulse(input.Samples, n);
    r.Segment = r.Impulse ? n : segment > 0 ? segment : DefaultResponseSegment(n);
    if (r.Segment < 2 || r.Segment > n) {
        r.Reason = "Сегмент в " + std::to_string(r.Segment) + " отсчетов не помещается в " +
                   std::to_string(n) + " отсчетов интервала";
        r.Segment = 0;
        return r;
    }
    r.Segments = ResponseSegments(n, r.Segment);
    const int bins = r.BinCount(), step = r.Segment - r.Segment / 2;
    const std::vector<double> window =
        r.Impulse ? std::vector<double>{} : WindowCoefficients(TSpectrumWindow::Hann, r.Segment);

    std::vector<double> pxx(static_cast<size_t>(bins), 0.0);
    std::vector<std::vector<double>> pyy(outputs.size(), pxx);
    std::vector<std::vector<std::complex<double>>> pxy(
        outputs.size(), std::vector<std::complex<double>>(static_cast<size_t>(bins)));
    std::vector<std::complex<double>> x, y;
    for (int s = 0; s < r.Segments; ++s) {
        const int at = s * step;
        analyzer.Transform(input.Samples + at, window, r.Segment, x);
        for (int k = 0; k < bins; ++k) pxx[static_cast<size_t>(k)] += std::norm(x[size_t(k)]);
        for (size_t o = 0; o < outputs.size(); ++o) {
            analyzer.Transform(outputs[o].Samples + at, window, r.Segment, y);
            for (size_t k = 0; k < static_cast<size_t>(bins); ++k) {
                pyy[o][k] += std::norm(y[k]);
                pxy[o][k] += std::conj(x[k]) * y[k];
            }
        }
        hooks.Step(s + 1, r.Segments);
    }

    const double floor = *std::max_element(pxx.begin(), pxx.end()) * kPowerFloor;
    const double binWidth = 1 / (r.Segment * quantTime);
    for (size_t o = 0; o < outputs.size(); ++o) {
        TResponseCurve c;
        c.Name = outputs[o].Name;
        c.Magnitude.assign(static_cast<size_t>(bins), 0.0);
        c.Phase = c.Coherence = c.Magnitude;
        c.Valid.assign(static_cast<size_t>(bins), 0);
        for (size_t k = 0; k < static_cast<size_t>(bins); ++k) {
            if (!(pxx[k] > floor)) continue;
            c.Valid[k] = 1;
            const std::complex<double> h = pxy[o][k] / pxx[k];
            c.Magnitude[k] = std::abs(h);
            c.Phase[k] = std::arg(h) * 180 / std::numbers::pi;
            const double gamma = pyy[o][k] > 0 ? std::norm(pxy[o][k]) / (pxx[k] * pyy[o][k]) : 0;
            c.Coherence[k] = r.Segments > 1 ? std::clamp(gamma, 0.0, 1.0) : 1.0;
        }
        Unwrap(c.Phase, c.Valid);
        c.GroupDelay = GroupDelay(c.Phase, c.Valid, binWidth);
        r.Outputs.push_back(std::move(c));
    }
    return r;
}

bool TrustedBin(const TResponse& response, int output, int bin) {
    const TResponseCurve& c = response.Outputs[static_cast<size_t>(output)];
    const auto k = static_cast<size_t>(bin);
    return k < c.Valid.size() && c.Valid[k] && c.Coherence[k] >= kTrustedCoherence;
}

TResponseMarks ResponseMarks(const TResponse& response, int output) {
    TResponseMarks marks;
    if (output < 0 || output >= static_cast<int>(response.Outputs.size())) return marks;
    const std::vector<double> db = DecibelsOf(response.Outputs[static_cast<size_t>(output)]);
    const int bins = static_cast<int>(db.size());
    for (int k = 0; k < bins; ++k)
        if (TrustedBin(response, output, k) &&
            (!marks.Any || db[static_cast<size_t>(k)] > marks.PassbandDb)) {
            marks.Any = true;
            marks.PassbandDb = db[static_cast<size_t>(k)];
            marks.PassbandFrequency = response.Frequency(k);
        }
    if (!marks.Any) return marks;
    const double level = marks.PassbandDb + kHalfPowerDb;
    for (int k = 1; k < bins; ++k) {
        if (!TrustedBin(response, output, k - 1) || !TrustedBin(response, output, k)) continue;
        const double a = db[static_cast<size_t>(k - 1)], b = db[static_cast<size_t>(k)];
        if ((a >= level) == (b >= level)) continue;
        const double f0 = response.Frequency(k - 1), f1 = response.Frequency(k);
        marks.HalfPowerFrequencies.push_back(f0 + (level - a) / (b - a) * (f1 - f0));
    }
    return marks;
}

std::optional<double> AttenuationAt(const TResponse& response, int output, double frequency) {
    const TResponseMarks marks = ResponseMarks(response, output);
    if (!marks.Any || !(frequency >= 0) || response.Segment == 0) return std::nullopt;
    const double at = frequency * response.Segment * response.QuantTime;  // in bins
    const int k = static_cast<int>(std::floor(at));
    const int last = response.BinCount() - 1;
    if (k > last) return std::nullopt;
    const TResponseCurve& c = response.Outputs[static_cast<size_t>(output)];
    if (k == last || at == k) {
        if (!TrustedBin(response, output, k)) return std::nullopt;
        return ToDecibels(c.Magnitude[static_cast<size_t>(k)]) - marks.PassbandDb;
    }
    if (!TrustedBin(response, output, k) || !TrustedBin(response, output, k + 1))
        return std::nullopt;
    const double a = ToDecibels(c.Magnitude[static_cast<size_t>(k)]);
    const double b = ToDecibels(c.Magnitude[static_cast<size_t>(k + 1)]);
    return a + (at - k) * (b - a) - marks.PassbandDb;
}

}  // namespace kvaril
