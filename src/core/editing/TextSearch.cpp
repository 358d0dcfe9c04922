#include "editing/TextSearch.h"

#include <algorithm>

#include "base/uCommon.h"

namespace kvaril {

std::optional<TTextPos> FindInLines(const std::vector<std::string>& lines, int caretLine,
                                    int startColumn, const std::string& needle) {
    if (needle.empty() || lines.empty()) return std::nullopt;
    const int count = static_cast<int>(lines.size());
    const int first = std::clamp(caretLine - 1, 0, count - 1);
    if (int column = SearchFrom(needle, lines[static_cast<size_t>(first)], startColumn))
        return TTextPos{first, column};
    for (int l = first + 1; l < count; ++l)
        if (int column = SearchFrom(needle, lines[static_cast<size_t>(l)], 1))
            return TTextPos{l, column};
    return std::nullopt;
}

std::optional<TFound> FindWrapping(const std::vector<std::string>& lines, int caretLine,
                                   int startColumn, const std::string& needle) {
    if (std::optional<TTextPos> found = FindInLines(lines, caretLine, startColumn, needle))
        return TFound{*found, false};
    if (std::optional<TTextPos> found = FindInLines(lines, 1, 1, needle))
        return TFound{*found, true};
    return std::nullopt;
}

}  // namespace kvaril
