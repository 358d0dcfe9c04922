#include "Errors.h"

namespace kvaril {

void AssertionFailed(const char* condition, const char* unit, int line) {
    throw EAssertionFailed(std::string("Assertion failed: ") + condition + " (" + unit + ", line " +
                           std::to_string(line) + ")");
}

}  // namespace kvaril
