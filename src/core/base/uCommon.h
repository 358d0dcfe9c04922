#pragma once
// Shared text and number routines: rounding, number texts, line lists, substring search.
// Numbers are always written and read with "." whatever the process locale.

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kvaril {

// Nearest integer, halves to even, through a 64-bit integer, from an extended-precision value.
// Out-of-range values and NaN give INT64_MIN, as the x87 store instruction does. Inline: the
// drawing rounds a few hundred thousand values per picture.
inline int64_t Round(long double x) {
#if defined(__x86_64__) && defined(__GNUC__)
    // The x87 store rounds in the current mode, nearest-even, which this program never changes.
    int64_t result;
    __asm__("fistpll %0" : "=m"(result) : "t"(x) : "st");
    return result;
#else
    return llrintl(x);
#endif
}

// The general number format: `precision` significant digits, trailing zeros dropped; fixed
// notation when the magnitude is at least 0.0001 and the integer part has at most `precision`
// digits, otherwise "1.5E20" / "1E-6" (no "+", no leading zeros in the exponent).
std::string FormatFloat(long double value, int precision = 15);

// The "%.4g" readouts.
inline std::string FormatFloat4(long double value) { return FormatFloat(value, 4); }

// The shortest text that reads back to the same double ("0.1", "1e-07", "1e+06"; "nan", "inf",
// "-inf", a NaN of either sign alike): the form of every number in the CSV and text outputs.
std::string FormatShortest(double value);

// The same digits in plain decimals for the magnitudes people type, 0.00001 up to 1e15
// ("1000000", "44100.7", "0.00002"), as messages show numbers; beyond them as FormatShortest.
std::string FormatShortestPlain(double value);

// A CSV field: as it is, or quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text);

// `text` as a number (optional blanks around an optional sign, digits with an optional "."
// and an optional exponent), or `defaultValue` when it is not one or is out of range.
double StrToFloatDefault(std::string_view text, double defaultValue);

// 1-based position of the first occurrence of `needle` in `text` at or after `start`, or 0.
int SearchFrom(std::string_view needle, std::string_view text, int start);

// Splits a text into lines at CR LF, lone CR or lone LF; the text ends at its first NUL and a
// final line break yields no empty last line.
std::vector<std::string> SplitLines(std::string_view text);

// Every line followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);

// A box's text for a terminal or a table: CR LF becomes LF.
std::string WithPlainLineEnds(std::string_view text);

}  // namespace kvaril
