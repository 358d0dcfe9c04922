#include "osc/Ticks.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "model/uCommon.h"

namespace kvaril {

namespace {

// Ticks in one scale beyond this are a fault of the inputs, not a scale.
constexpr long double kMaxTicks = 10000;

struct TStep {
    int Mantissa = 1;  // 1, 2 or 5
    int Exponent = 0;  // of ten
    long double Value() const { return Mantissa * std::pow(10.0L, Exponent); }
};

// The smallest 1-2-5 step not below `raw` (> 0, finite).
TStep StepAtLeast(long double raw) {
    TStep s;
    s.Exponent = static_cast<int>(std::floor(std::log10(raw)));
    for (;;) {
        for (int m : {1, 2, 5}) {
            s.Mantissa = m;
            if (s.Value() >= raw) return s;
        }
        ++s.Exponent;
    }
}

// k × step without the error of a binary step: 3 × 0.1 is 3/10, exactly the double 0.3.
long double TickValue(long double k, const TStep& s) {
    const long double units = k * s.Mantissa;
    return s.Exponent >= 0 ? units * std::pow(10.0L, s.Exponent)
                           : units / std::pow(10.0L, -s.Exponent);
}

int Magnitude(double value) {
    return value == 0 ? 0 : static_cast<int>(std::floor(std::log10(std::fabs(value))));
}

// ---- the engineering form

// The power of a thousand the prefixes of a scale whose largest tick is `largest` (≥ 0) use.
int EngineeringExponent(double largest, bool unit) {
    if (largest == 0) return 0;
    const int e = 3 * static_cast<int>(std::floor(std::floor(std::log10(largest)) / 3));
    if (!unit && largest >= 0.01 && largest < 1000) return 0;
    return std::clamp(e, -12, 12);
}

// The SI prefix of 10^exponent, exponent a multiple of 3 in −12 .. 12.
const char* Prefix(int exponent) {
    static const char* const kPrefixes[] = {"п", "н", "мк", "м", "", "к", "М", "Г", "Т"};
    return kPrefixes[std::clamp(exponent / 3 + 4, 0, 8)];
}

// `value` / 10^exponent with `decimals` decimals, trailing zeros dropped; locale-free.
std::string Mantissa(long double value, int exponent, int decimals) {
    const double m = static_cast<double>(value / std::pow(10.0L, exponent));
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, m, std::chars_format::fixed,
                                 std::clamp(decimals, 0, 17));
    std::string text(buffer, r.ptr);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    if (text == "-0") text = "0";
    return text;
}

void WriteEngineering(TTickScale& scale, int stepExponent, const TTickFormat& format) {
    double largest = 0;
    for (const TTick& tick : scale.Ticks) largest = std::max(largest, std::fabs(tick.Value));
    const int e = EngineeringExponent(largest, !format.Unit.empty());
    const int decimals = std::max(0, e - stepExponent);
    const std::string suffix = std::string(Prefix(e)) + format.Unit;
    for (TTick& tick : scale.Ticks) {
        tick.Text = Mantissa(tick.Value, e, decimals);
        if (tick.Text != "0" && !suffix.empty()) tick.Text += " " + suffix;
    }
}

}  // namespace

int TickTextLength(const std::string& text) {
    int n = 0;
    for (unsigned char c : text) n += (c & 0xC0) != 0x80;
    return n;
}

TTickScale MakeTicks(double from, double to, int pixels, int minSpacing,
                     const TTickFormat& format) {
    TTickScale scale;
    if (!std::isfinite(from) || !std::isfinite(to) || from == to || pixels <= 0) return scale;
    // Extended precision: the span of two doubles never overflows it.
    const long double span = static_cast<long double>(to) - from;
    const long double lo = std::fmin(from, to), hi = std::fmax(from, to);
    const TStep step = StepAtLeast(std::fabs(span) * std::max(minSpacing, 1) / pixels);
    const long double stepValue = step.Value();
    scale.Step = static_cast<double>(stepValue);

    const long double first = std::ceil(lo / stepValue), last = std::floor(hi / stepValue);
    if (!(last - first < kMaxTicks)) return scale;
    for (long double k = first; k <= last; ++k) {
        const long double exact = TickValue(k, step);
        const double value = static_cast<double>(exact);
        // Steps finer than the doubles themselves: one tick per distinct value.
        if (!scale.Ticks.empty() && value == scale.Ticks.back().Value) continue;
        TTick tick;
        tick.Value = value;
        tick.Pixel = static_cast<int>(Round((exact - from) / span * pixels));
        scale.Ticks.push_back(tick);
    }
    if (scale.Ticks.empty()) return scale;

    if (format.Engineering) {
        WriteEngineering(scale, step.Exponent, format);
        return scale;
    }
    const int largest =
        std::max(Magnitude(scale.Ticks.front().Value), Magnitude(scale.Ticks.back().Value));
    const int digits = std::clamp(largest - step.Exponent + 1, 1, 17);
    for (TTick& tick : scale.Ticks) tick.Text = FormatFloat(tick.Value, digits);
    return scale;
}

}  // namespace kvaril
