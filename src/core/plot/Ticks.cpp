#include "plot/Ticks.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "base/uCommon.h"

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

namespace kvaril {

namespace {

const char* const kPrefixes[] = {"п", "н", "мк", "м", "", "к", "М", "Г", "Т"};
constexpr int kLowestPrefix = -12, kHighestPrefix = 12;

const char* PrefixOf(int exponent3) { return kPrefixes[(exponent3 - kLowestPrefix) / 3]; }

int Exponent3(double magnitude) {
    if (!(magnitude > 0)) return 0;
    const int e = static_cast<int>(std::floor(std::log10(magnitude) / 3)) * 3;
    return std::clamp(e, kLowestPrefix, kHighestPrefix);
}

// `scaled` with `decimals` digits after a comma, the prefix and the unit.
std::string Compose(double scaled, int decimals, bool trim, const char* prefix,
                    std::string_view unit) {
    decimals = std::clamp(decimals, 0, 15);
    char buffer[400];  // locale-free, unlike printf
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(scaled),
                                       std::chars_format::fixed, decimals);
    std::string digits(buffer, written.ec == std::errc() ? written.ptr : buffer);
    if (trim && digits.find('.') != std::string::npos) {
        while (digits.back() == '0') digits.pop_back();
        if (digits.back() == '.') digits.pop_back();
    }
    for (char& c : digits)
        if (c == '.') c = ',';
    const bool zero = digits.find_first_not_of("0,") == std::string::npos;
    std::string out = scaled < 0 && !zero ? "\u2212" + digits : digits;
    const std::string suffix = std::string(prefix) + std::string(unit);
    if (!suffix.empty()) out += " " + suffix;
    return out;
}

std::string NotFinite(double value, std::string_view unit) {
    std::string out = std::isnan(value) ? "нет" : value > 0 ? "∞" : "\u2212∞";
    if (!unit.empty() && !std::isnan(value)) out += " " + std::string(unit);
    return out;
}

}  // namespace

std::string FormatEngineering(double value, int significant, std::string_view unit) {
    if (!std::isfinite(value)) return NotFinite(value, unit);
    significant = std::clamp(significant, 1, 15);
    if (value == 0) return Compose(0, significant - 1, false, "", unit);
    const int e3 = Exponent3(std::fabs(value));
    const double scaled = value / std::pow(10.0, e3);
    const int decimals =
        std::max(0, significant - 1 - static_cast<int>(std::floor(std::log10(std::fabs(scaled)))));
    // Rounding may carry into the next power of a thousand: 999,96 is "1,000 к".
    const double rounded = std::round(std::fabs(scaled) * std::pow(10.0, decimals));
    if (rounded / std::pow(10.0, decimals) >= 1000 && e3 < kHighestPrefix)
        return Compose(value < 0 ? -1 : 1, significant - 1, false, PrefixOf(e3 + 3), unit);
    return Compose(scaled, decimals, false, PrefixOf(e3), unit);
}

std::string FormatDecimals(double value, int decimals, std::string_view unit) {
    if (!std::isfinite(value)) return NotFinite(value, unit);
    return Compose(value, decimals, false, "", unit);
}

std::string EngineeringTickText(double value, double step, std::string_view unit) {
    if (!std::isfinite(value)) return NotFinite(value, unit);
    step = std::fabs(step);
    if (value == 0 || (step > 0 && std::fabs(value) < step * 1e-6))
        return Compose(0, 0, true, "", unit);
    const int e3 = Exponent3(std::fabs(value));
    const int stepExponent = step > 0 && std::isfinite(step)
                                 ? static_cast<int>(std::floor(std::log10(step) + 1e-9))
                                 : e3;
    return Compose(value / std::pow(10.0, e3), e3 - stepExponent, true, PrefixOf(e3), unit);
}

bool ParseEngineering(std::string_view text, double& value, std::string_view unit) {
    std::string s(text);
    auto trim = [&s] {
        const size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t");
        s = a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
    };
    trim();
    if (!unit.empty() && s.size() >= unit.size() &&
        s.compare(s.size() - unit.size(), unit.size(), unit) == 0) {
        s.erase(s.size() - unit.size());
        trim();
    }
    double scale = 1;
    // Prefixes, Russian and Latin; "мк" before "м".
    const struct {
        const char* Text;
        double Scale;
    } kSuffixes[] = {{"мк", 1e-6}, {"u", 1e-6}, {"п", 1e-12}, {"p", 1e-12},
                     {"н", 1e-9},  {"n", 1e-9}, {"м", 1e-3},  {"m", 1e-3},
                     {"к", 1e3},   {"k", 1e3},  {"М", 1e6},   {"M", 1e6},
                     {"Г", 1e9},   {"G", 1e9},  {"Т", 1e12},  {"T", 1e12}};
    for (const auto& suffix : kSuffixes) {
        const size_t n = std::strlen(suffix.Text);
        if (s.size() > n && s.compare(s.size() - n, n, suffix.Text) == 0) {
            s.erase(s.size() - n);
            trim();
            scale = suffix.Scale;
            break;
        }
    }
    const std::string minus = "\u2212";
    if (s.compare(0, minus.size(), minus) == 0) s.replace(0, minus.size(), "-");
    for (char& c : s)
        if (c == ',') c = '.';
    if (s.empty()) return false;
    if (s[0] == '+') s.erase(0, 1);
    double v = 0;
    const char* last = s.data() + s.size();
    const auto read = std::from_chars(s.data(), last, v);  // locale-free, unlike strtod
    if (s.empty() || read.ec != std::errc() || read.ptr != last || !std::isfinite(v)) return false;
    value = v * scale;
    return std::isfinite(value);
}

}  // namespace kvaril
