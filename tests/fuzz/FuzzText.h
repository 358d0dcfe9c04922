#pragma once
// What the text parsers' fuzz targets share: the input as text, and as lines.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kvaril::fuzz {

inline std::string Text(const uint8_t* data, size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (char c : text)
        if (c == '\n')
            lines.emplace_back();
        else
            lines.back() += c;
    return lines;
}

}  // namespace kvaril::fuzz
