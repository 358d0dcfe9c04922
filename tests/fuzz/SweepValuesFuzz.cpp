// A sweep's values as typed: taken values are finite and distinct, and each reads back from the
// literal the sweep writes into the document's text.

#include <cmath>
#include <cstdlib>
#include <set>

#include "FuzzText.h"
#include "sweep/SweepValues.h"

using namespace kvaril;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TSweepValues values;
    std::string error;
    if (!ParseSweepValues(fuzz::Text(data, size), values, error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    if (values.Values.empty()) std::abort();
    if (std::set<double>(values.Values.begin(), values.Values.end()).size() != values.Values.size())
        std::abort();
    for (double v : values.Values) {
        if (!std::isfinite(v)) std::abort();
        if (values.Logarithmic && !(v > 0)) std::abort();
        TSweepValues again;
        if (!ParseSweepValues(SweepLiteral(v), again, error) || again.Values.size() != 1 ||
            again.Values[0] != v)
            std::abort();
    }
    return 0;
}
