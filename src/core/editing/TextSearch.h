#pragma once
// Finding a text in the lines of the editor, from the caret towards the end, never wrapping.

#include <optional>
#include <string>
#include <vector>

namespace kvaril {

struct TTextPos {
    int Line;    // 0-based
    int Column;  // 1-based
    bool operator==(const TTextPos&) const = default;
};

// The first occurrence of `needle` in line `caretLine` (1-based, clamped) at or after
// `startColumn`, or in a whole later line. Exact, case-sensitive, within one line.
std::optional<TTextPos> FindInLines(const std::vector<std::string>& lines, int caretLine,
                                    int startColumn, const std::string& needle);

}  // namespace kvaril
