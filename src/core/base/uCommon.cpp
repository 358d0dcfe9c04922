#include "base/uCommon.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace kvaril {

namespace {

struct Decimal {
    bool negative = false;
    std::string digits;  // significant digits, no trailing zeros, at least one
    int exponent = 0;    // value = d.ddd × 10^exponent
};

Decimal ToDecimal(long double value, int precision) {
    char buffer[128];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                std::chars_format::scientific, precision - 1);
    std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
    Decimal d;
    if (!text.empty() && text.front() == '-') {
        d.negative = true;
        text.remove_prefix(1);
    }
    size_t e = text.find('e');
    for (char c : text.substr(0, e))
        if (c != '.') d.digits += c;
    std::string_view exp = text.substr(e + 1);
    if (!exp.empty() && exp.front() == '+') exp.remove_prefix(1);
    std::from_chars(exp.data(), exp.data() + exp.size(), d.exponent);
    while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
    return d;
}

}  // namespace

std::string FormatFloat(long double value, int precision) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    if (value == 0) return "0";

    Decimal d = ToDecimal(value, precision);
    std::string out = d.negative ? "-" : "";
    const int n = static_cast<int>(d.digits.size());
    if (d.exponent >= -4 && d.exponent < precision) {
        if (d.exponent >= 0) {
            const int intDigits = d.exponent + 1;
            out += d.digits.substr(0, std::min(n, intDigits));
            if (n < intDigits) out.append(static_cast<size_t>(intDigits - n), '0');
            if (n > intDigits) out += "." + d.digits.substr(static_cast<size_t>(intDigits));
        } else {
            out += "0.";
            out.append(static_cast<size_t>(-d.exponent - 1), '0');
            out += d.digits;
        }
    } else {
        out += d.digits[0];
        if (n > 1) out += "." + d.digits.substr(1);
        out += "E";
        if (d.exponent < 0) out += "-";
        out += std::to_string(std::abs(d.exponent));
    }
    return out;
}

std::string FormatShortest(double value) {
    // The sign of a NaN means nothing, yet 0/0 makes a negative one: "-nan" would look like a
    // value of its own to whoever reads the file.
    if (std::isnan(value)) return "nan";
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string FormatShortestPlain(double value) {
    const double magnitude = std::fabs(value);
    if (!(magnitude == 0 || (magnitude >= 1e-5 && magnitude < 1e15))) return FormatShortest(value);
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return std::string(buffer, result.ptr);
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Checks the whole text against: sign? digits* ("." digits*)? (e sign? digits+)?, with at
// least one mantissa digit. from_chars alone would also take "inf", "nan" and hex forms.
bool IsDecimalNumber(std::string_view s) {
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t mantissaDigits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++mantissaDigits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        size_t expDigits = 0;
        while (i < s.size() && IsDigit(s[i])) ++i, ++expDigits;
        if (expDigits == 0) return false;
    }
    return i == s.size();
}

}  // namespace

double StrToFloatDefault(std::string_view text, double defaultValue) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    if (!IsDecimalNumber(text)) return defaultValue;

    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    double value = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return defaultValue;
    return negative ? -value : value;
}

int SearchFrom(std::string_view needle, std::string_view text, int start) {
    if (start < 1) start = 1;
    const long last = static_cast<long>(text.size()) - static_cast<long>(needle.size()) + 1;
    for (long pos = start; pos <= last; ++pos) {
        if (text.compare(static_cast<size_t>(pos - 1), needle.size(), needle) == 0)
            return static_cast<int>(pos);
    }
    return 0;
}

std::vector<std::string> SplitLines(std::string_view text) {
    if (size_t nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
    std::vector<std::string> lines;
    size_t i = 0;
    while (i < text.size()) {
        size_t end = text.find_first_of("\r\n", i);
        if (end == std::string_view::npos) end = text.size();
        lines.emplace_back(text.substr(i, end - i));
        i = end;
        if (i < text.size() && text[i] == '\r') ++i;
        if (i < text.size() && text[i] == '\n') ++i;
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string WithPlainLineEnds(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    return out;
}

}  // namespace kvaril
