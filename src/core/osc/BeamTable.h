#pragma once
// The beam table's rows (captions, hints, pick lists), applying an edited text to the selected
// beams, and the value table's cells.

#include <set>
#include <string>
#include <vector>

#include "document/OscEnums.h"
#include "document/uBeam.h"

namespace kvaril {

class TBeamGrouping;
class TSignals;
class TView;

struct TBeamRowText {
    std::string Caption;
    std::string Hint;
    std::vector<std::string> PickList;
};

// Caption, hint and pick list of a row (UTF-8).
const TBeamRowText& BeamRowText(TBeamRow row);

// Applies the text of `row` to the beams of the selected signals of `view`.
void ApplyBeamEdit(TView& view, const std::set<int>& selected, TBeamRow row,
                   const std::string& text);

// Every beam into group 1, or each into a group of its own (signal index + 1).
void BeamsToOneGroup(TView& view);
void BeamsToManyGroups(TView& view);
// The selected beams into one group (the lowest group any of them is shown in, else 1) when
// more than one is selected; otherwise every beam, as above.
void BeamsToOneGroup(TView& view, const std::set<int>& selected);

struct TValueCell {
    std::string Text;       // UTF-8
    int ColorIndex = 0;     // into BeamColorTable
    bool OwnColor = false;  // a sweep run's cell: in Color (its ramp), not by ColorIndex
    TRgb Color{0, 0, 0};
};

// Group, name, value, and with a reference run its value and the difference.
inline constexpr int kValueColumns = 5;

// Cell (row, column) of the value table of `view` grouped as `grouping`; `measureTime` is −1
// without a measurement. `reference` holds per signal a reference run's samples (or null);
// `beamColors` colours the cell as "Цвета по лучам" does (BeamColorIndex).
TValueCell ValueCell(const TBeamGrouping& grouping, const TView* view, const TSignals& signals,
                     int row, int column, double measureTime,
                     const std::vector<const double*>* reference = nullptr,
                     bool beamColors = false);

}  // namespace kvaril
