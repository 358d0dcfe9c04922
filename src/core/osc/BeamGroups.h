#pragma once
// The display grouping of one screen's beams: which groups are in use, in which order, which
// beam belongs where, and the value-table row of each beam. Transient, never stored.

#include <memory>
#include <vector>

namespace kvaril {

class TBeam;
class TView;

struct TBeamGroupItem {
    int Number = 0;  // > 0
    TBeam* FirstBeam = nullptr;
    TBeam* LastBeam = nullptr;  // chained through TBeam::NextInGroup, in signal order
};

class TBeamGroupList {
  public:
    TBeamGroupList() = default;
    TBeamGroupList(const TBeamGroupList&) = delete;
    TBeamGroupList& operator=(const TBeamGroupList&) = delete;

    void RebuildGroups(TView& view);
    // Forgets the beams of a screen that is going away.
    void Reset();

    int GroupCount() const { return static_cast<int>(groupItems_.size()); }
    const TBeamGroupItem& GroupItem(int index) const;
    TBeam* XBeam() const { return xBeam_; }
    int RowCount() const { return rowCount_; }
    TBeam* BeamAtRow(int row) const;

  private:
    TBeamGroupItem* TakeFromPool();

    // Items are reused from one regrouping to the next, so regrouping stops allocating once
    // the pool is as large as the largest grouping seen.
    std::vector<std::unique_ptr<TBeamGroupItem>> pool_;
    size_t poolCursor_ = 0;
    std::vector<TBeamGroupItem*> groupItems_;  // sorted by Number, unique
    TBeam* xBeam_ = nullptr;
    int rowCount_ = 0;
};

}  // namespace kvaril
