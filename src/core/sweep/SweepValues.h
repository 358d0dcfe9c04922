#pragma once
// The values a swept constant takes, as the user writes them: a list "V1,V2,..." or a range
// "FROM:TO:COUNT" (evenly spaced) or "FROM:TO:COUNTlog" (evenly spaced on a logarithmic axis).

#include <string>
#include <string_view>
#include <vector>

namespace kvaril {

// More values than anyone reads in one overlay, and each run keeps its samples in memory.
inline constexpr int kMaxSweepRuns = 256;

struct TSweepValues {
    std::vector<double> Values;  // in the order given, each once, all finite
    bool Logarithmic = false;    // a logarithmic range (a plot of them wants a log axis)
};

// False with the reason (UTF-8, one line) for an empty or malformed list, a repeated value, a
// range with fewer than two values or FROM equal to TO, or a logarithmic range that does not
// stay above zero. A range's inner values are rounded to 6 significant digits, so that each
// reads in a legend as it is written into the text, and one run can be repeated by hand.
bool ParseSweepValues(std::string_view text, TSweepValues& values, std::string& error);

// The literal written into a signal's text for `value`: the shortest digits that read back to
// it ("3000", "0.25", "1e-07").
std::string SweepLiteral(double value);

}  // namespace kvaril
