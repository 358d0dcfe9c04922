#pragma once
// Finding a text in the lines of the editor, from the caret towards the end; a search may then
// go on once from the first line.

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

struct TFound {
    TTextPos Pos;
    bool Wrapped = false;  // found only by going on from the first line
};

// FindInLines, and when nothing follows, the first occurrence from the first line on (which
// may be the one at the caret itself).
std::optional<TFound> FindWrapping(const std::vector<std::string>& lines, int caretLine,
                                   int startColumn, const std::string& needle);

}  // namespace kvaril
