#pragma once
// The operator pop-up's entries: references to the signals' values, symbols, statement
// skeletons, the constructor and destructor; and the expansion of their metastrings.

#include <string>
#include <vector>

namespace kvaril {

class TSignals;

struct TOperatorTemplate {
    std::string Name;  // Windows-1251
    std::string Comment;
    std::string Meta;  // "?" marks the caret, "\" a line break
};

// Built anew each time: they name the current signals. `current` is the selected signal; only
// the signals before it (and its own Value) are offered, the only ones its code can use.
std::vector<TOperatorTemplate> OperatorTemplates(const TSignals& signals, int current);

struct TExpansion {
    std::string Text;
    int MarkColumn = 0;  // where the caret goes in the first line; 0 when there is no mark
};

// Line breaks continue in the caret's column `insertColumn` (1-based).
TExpansion ExpandTemplate(const std::string& meta, int insertColumn);

}  // namespace kvaril
