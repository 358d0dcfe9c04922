#pragma once
// The beam table's rows (captions, hints, pick lists), applying an edited text to the selected
// beams, and the value table's cells.

#include <set>
#include <string>
#include <vector>

namespace kvaril {

class TOsc;
class TSignals;
class TView;

struct TBeamRow {
    const char* Caption;
    const char* Hint;
    std::vector<std::string> PickList;
};

// The five rows: gain, offset, group, zero line, interpolation (UTF-8).
const std::vector<TBeamRow>& BeamRows();

// Applies the text of row `row` to the beams of the selected signals of `view`. Returns true
// when the grouping may have changed (row 2).
bool ApplyBeamEdit(TView& view, const std::set<int>& selected, int row, const std::string& text);

// Every beam into group 1, or each into a group of its own (signal index + 1).
void BeamsToOneGroup(TView& view);
void BeamsToManyGroups(TView& view);

struct TValueCell {
    std::string Text;    // UTF-8
    int ColorIndex = 0;  // into BeamColor
};

// Cell (row, column) of the value table; `measureTime` is −1 without a measurement. The
// grouping of osc.Groups must describe `view`.
TValueCell ValueCell(const TOsc& osc, const TView* view, const TSignals& signals, int row,
                     int column, double measureTime);

}  // namespace kvaril
