#pragma once
// A count with its noun in the form Russian wants after it: "1 ошибка", "3 ошибки", "11 ошибок".

#include <string>

namespace kvaril {

// `one` after 1, 21, 31 ...; `few` after 2-4, 22-24 ...; `many` otherwise (11-14 included).
std::string RussianCount(long long count, const char* one, const char* few, const char* many);

}  // namespace kvaril
