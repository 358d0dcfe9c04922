#include "analysis/Waveform.h"

#include <algorithm>
#include <cmath>

namespace kvaril {

namespace {

constexpr int kHistogramBins = 256;

const char* const kNoSamples = "меньше двух отсчетов в интервале";
const char* const kNonFinite = "в интервале есть NaN или бесконечность";
const char* const kFlat = "сигнал постоянен в интервале";
const char* const kNoPeriod = "меньше одного периода в интервале";

// The mean of the samples in the fullest bin of [from, to) of the histogram.
double Mode(const std::vector<int>& counts, const std::vector<double>& sums, int from, int to) {
    int best = from;
    for (int b = from; b < to; ++b)
        if (counts[size_t(b)] > counts[size_t(best)]) best = b;
    return sums[size_t(best)] / counts[size_t(best)];
}

// Crossings of `level`, interpolated: rising ones (true) or falling ones, in time order.
struct TCrossing {
    double Time;
    bool Rising;
};
std::vector<TCrossing> Crossings(const double* s, int n, double t0, double q, double level) {
    std::vector<TCrossing> out;
    for (int i = 1; i < n; ++i) {
        const bool up = s[i - 1] < level && s[i] >= level;
        const bool down = s[i - 1] >= level && s[i] < level;
        if (!up && !down) continue;
        const double f = (level - s[i - 1]) / (s[i] - s[i - 1]);
        out.push_back({t0 + (i - 1 + f) * q, up});
    }
    return out;
}

}  // namespace

bool FirstCrossing(const double* s, int n, double t0, double q, double level, bool rising,
                   double from, double& at) {
    for (const TCrossing& c : Crossings(s, n, t0, q, level))
        if (c.Rising == rising && c.Time >= from) {
            at = c.Time;
            return true;
        }
    return false;
}

TWaveform MeasureWaveform(const double* s, int n, double t0, double q) {
    TWaveform w;
    auto all = [&w](const TMeasured& m) {
        for (TMeasured* x : {&w.Frequency, &w.Period, &w.Periods, &w.Top, &w.Base, &w.Amplitude,
                             &w.High, &w.Low, &w.Rise, &w.Fall, &w.Overshoot, &w.Undershoot,
                             &w.WidthPositive, &w.WidthNegative, &w.Duty})
            *x = m;
    };
    if (n < 2) {
        all(TMeasured::Not(kNoSamples));
        return w;
    }
    // One pass for the extremes and the mean; a NaN or infinity makes the sum non-finite.
    double low = s[0], high = s[0], sum = 0;
    for (int i = 0; i < n; ++i) {
        low = std::min(low, s[i]);
        high = std::max(high, s[i]);
        sum += s[i];
    }
    if (!std::isfinite(sum) && !std::all_of(s, s + n, [](double v) { return std::isfinite(v); })) {
        all(TMeasured::Not(kNonFinite));
        return w;
    }
    w.High = TMeasured::Of(high);
    w.Low = TMeasured::Of(low);
    if (!(high > low)) {
        all(TMeasured::Not(kFlat));
        w.High = TMeasured::Of(high);
        w.Low = TMeasured::Of(low);
        return w;
    }

    // ---- levels
    std::vector<int> counts(kHistogramBins, 0);
    std::vector<double> sums(kHistogramBins, 0.0);
    const double scale = kHistogramBins / (high - low);
    for (int i = 0; i < n; ++i) {
        const int b = std::min(kHistogramBins - 1, static_cast<int>((s[i] - low) * scale));
        ++counts[size_t(b)];
        sums[size_t(b)] += s[i];
    }
    const double base = Mode(counts, sums, 0, kHistogramBins / 2);
    const double top = Mode(counts, sums, kHistogramBins / 2, kHistogramBins);
    const double amp = top - base;
    w.Top = TMeasured::Of(top);
    w.Base = TMeasured::Of(base);
    w.Amplitude = TMeasured::Of(amp);
    w.HasLevels = true;
    w.Level10 = base + 0.1 * amp;
    w.Level50 = base + 0.5 * amp;
    w.Level90 = base + 0.9 * amp;
    w.Overshoot = TMeasured::Of((high - top) / amp * 100);
    w.Undershoot = TMeasured::Of((base - low) / amp * 100);

    // ---- period from the mean's upward crossings, with hysteresis
    const double mean = sum / n;
    // Noise riding on the signal crosses the mean many times on one edge; only a return
    // halfway down to the lowest sample arms the next crossing.
    const double arm = (mean + low) / 2;
    bool armed = s[0] < arm;
    for (int i = 1; i < n; ++i) {
        if (s[i] < arm) armed = true;
        if (armed && s[i - 1] < mean && s[i] >= mean) {
            const double f = (mean - s[i - 1]) / (s[i] - s[i - 1]);
            w.Crossings.push_back(t0 + (i - 1 + f) * q);
            armed = false;
        }
    }
    if (w.Crossings.size() >= 2) {
        const double periods = static_cast<double>(w.Crossings.size() - 1);
        const double period = (w.Crossings.back() - w.Crossings.front()) / periods;
        w.Period = TMeasured::Of(period);
        w.Frequency = TMeasured::Of(1 / period);
        w.Periods = TMeasured::Of(periods);
    } else {
        w.Period = w.Frequency = w.Periods = TMeasured::Not(kNoPeriod);
    }

    // ---- edges: the first complete transition between 10 % and 90 %
    const std::vector<TCrossing> at10 = Crossings(s, n, t0, q, w.Level10);
    const std::vector<TCrossing> at90 = Crossings(s, n, t0, q, w.Level90);
    auto edge = [&](bool rising) {
        // The last crossing of the start level before the end level is crossed.
        const std::vector<TCrossing>& starts = rising ? at10 : at90;
        const std::vector<TCrossing>& ends = rising ? at90 : at10;
        // Both lists are in time order: one walk through the starts serves every end.
        double start = -HUGE_VAL;
        bool back = false;  // the signal went back over the start level since
        size_t next = 0;
        for (const TCrossing& e : ends) {
            for (; next < starts.size() && starts[next].Time <= e.Time; ++next) {
                if (starts[next].Rising == rising) start = starts[next].Time;
                back = starts[next].Rising != rising;
            }
            if (e.Rising == rising && start > -HUGE_VAL && !back)
                return TMeasured::Of(e.Time - start);
        }
        return TMeasured::Not(rising ? "нет фронта в интервале" : "нет спада в интервале");
    };
    w.Rise = edge(true);
    w.Fall = edge(false);

    // ---- pulses at 50 %
    const std::vector<TCrossing> mid = Crossings(s, n, t0, q, w.Level50);
    double positive = -1, negative = -1, above = 0, whole = 0;
    for (size_t i = 0; i + 1 < mid.size(); ++i) {
        const double width = mid[i + 1].Time - mid[i].Time;
        if (mid[i].Rising && positive < 0) positive = width;
        if (!mid[i].Rising && negative < 0) negative = width;
        if (mid[i].Rising && i + 2 < mid.size()) {  // a whole period: rising, falling, rising
            above += width;
            whole += mid[i + 2].Time - mid[i].Time;
        }
    }
    w.WidthPositive = positive >= 0 ? TMeasured::Of(positive)
                                    : TMeasured::Not("нет целого положительного импульса");
    w.WidthNegative = negative >= 0 ? TMeasured::Of(negative)
                                    : TMeasured::Not("нет целого отрицательного импульса");
    w.Duty = whole > 0 ? TMeasured::Of(above / whole * 100) : TMeasured::Not(kNoPeriod);
    return w;
}

TPairMeasure MeasurePair(const double* a, const double* b, int n, double t0, double q) {
    TPairMeasure m;
    const TWaveform wa = MeasureWaveform(a, n, t0, q), wb = MeasureWaveform(b, n, t0, q);
    for (const TWaveform* w : {&wa, &wb})
        if (!w->HasLevels) {
            m.Delay = m.Phase = TMeasured::Not(w->Amplitude.Reason);
            return m;
        }
    double ta = 0, tb = 0;
    if (!FirstCrossing(a, n, t0, q, wa.Level50, true, t0, ta) ||
        !FirstCrossing(b, n, t0, q, wb.Level50, true, ta, tb)) {
        m.Delay = m.Phase = TMeasured::Not("нет фронта в интервале");
        return m;
    }
    m.Delay = TMeasured::Of(tb - ta);
    if (!wa.Period.Ok()) {
        m.Phase = wa.Period;
        return m;
    }
    double degrees = std::fmod((tb - ta) / wa.Period.Value * 360, 360.0);
    if (degrees > 180) degrees -= 360;
    m.Phase = TMeasured::Of(degrees);
    return m;
}

}  // namespace kvaril
