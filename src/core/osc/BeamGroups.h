#pragma once
// The display grouping of one screen's beams: which groups are in use, in which order, which
// beam belongs where, and the value-table row of each beam. A value computed from the screen
// whenever it is needed; it never outlives a change of the screen's beams.

#include <vector>

namespace kvaril {

class TBeam;
class TView;

struct TBeamGroup {
    int Number = 0;                   // > 0
    std::vector<const TBeam*> Beams;  // in signal order; a beam's index here is its colour
    std::vector<int> Places;          // per beam, its place among the screen's shown beams
};

// One row of the value table.
struct TBeamRowRef {
    const TBeam* Beam = nullptr;
    int IndexInGroup = 0;  // 0 for the "X" row
    int Place = 0;         // among the screen's shown beams (group not 0), in signal order
};

class TBeamGrouping {
  public:
    TBeamGrouping() = default;  // no screen: no groups
    explicit TBeamGrouping(const TView& view);

    int GroupCount() const { return static_cast<int>(groups_.size()); }
    const TBeamGroup& Group(int index) const;
    // The first beam, in signal order, with a negative group: the value table's "X" row.
    const TBeam* XBeam() const { return xBeam_; }
    int RowCount() const { return static_cast<int>(rows_.size()); }
    // nullptr outside 0 .. RowCount − 1.
    const TBeamRowRef* Row(int row) const;

  private:
    std::vector<TBeamGroup> groups_;  // sorted by Number, unique
    const TBeam* xBeam_ = nullptr;
    std::vector<TBeamRowRef> rows_;
};

}  // namespace kvaril
