#include "base/RussianCount.h"

namespace kvaril {

std::string RussianCount(long long count, const char* one, const char* few, const char* many) {
    const long long magnitude = count < 0 ? -count : count;
    const long long lastTwo = magnitude % 100, last = magnitude % 10;
    const char* word = (lastTwo >= 11 && lastTwo <= 14) ? many
                       : last == 1                      ? one
                       : (last >= 2 && last <= 4)       ? few
                                                        : many;
    return std::to_string(count) + " " + word;
}

}  // namespace kvaril
