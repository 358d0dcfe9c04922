#pragma once
// The one place where text crosses between the core's Windows-1251 bytes and UTF-8.

#include <string>
#include <string_view>

namespace kvaril {

// Every byte has a character: 0x98, which Windows-1251 leaves undefined, becomes U+0098, so
// any byte string survives a round trip through UTF-8.
std::string Cp1251ToUtf8(std::string_view cp1251);

// Characters Windows-1251 cannot hold, and malformed UTF-8, become "?"; `lossless` (when
// given) tells whether that happened, so a caller can say so instead of dropping them.
std::string Utf8ToCp1251(std::string_view utf8, bool* lossless = nullptr);

}  // namespace kvaril
