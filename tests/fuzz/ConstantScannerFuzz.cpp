// A signal's text, scanned for the constants a sweep may change: every constant found lies in
// the text, and replacing a numeric one changes its value and nothing else.

#include <cstdlib>

#include "FuzzText.h"
#include "sweep/SweepConstants.h"

using namespace kvaril;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> lines = fuzz::Lines(fuzz::Text(data, size));
    for (const TSweepConstant& c : FindConstants(lines)) {
        if (c.Line < 0 || c.Line >= static_cast<int>(lines.size())) std::abort();
        const std::string& line = lines[static_cast<size_t>(c.Line)];
        if (c.Column < 0 || c.Length < 0 ||
            static_cast<size_t>(c.Column) + static_cast<size_t>(c.Length) > line.size())
            std::abort();
        if (!c.Numeric) continue;
        if (c.Length == 0 || line.compare(static_cast<size_t>(c.Column),
                                          static_cast<size_t>(c.Length), c.ValueText) != 0)
            std::abort();
        const std::vector<std::string> changed = ReplaceConstant(lines, c, "12.5");
        if (changed.size() != lines.size()) std::abort();
        for (size_t i = 0; i < lines.size(); ++i)
            if (static_cast<int>(i) != c.Line && changed[i] != lines[i]) std::abort();
        const std::string& edited = changed[static_cast<size_t>(c.Line)];
        if (edited.substr(0, static_cast<size_t>(c.Column)) !=
                line.substr(0, static_cast<size_t>(c.Column)) ||
            edited.substr(static_cast<size_t>(c.Column), 4) != "12.5")
            std::abort();
    }
    return 0;
}
