#include "osc/BeamGroups.h"

#include <algorithm>

#include "Errors.h"
#include "osc/uBeam.h"

namespace kvaril {

TBeamGroupItem* TBeamGroupList::TakeFromPool() {
    if (poolCursor_ == pool_.size()) pool_.push_back(std::make_unique<TBeamGroupItem>());
    return pool_[poolCursor_++].get();
}

void TBeamGroupList::Reset() {
    poolCursor_ = 0;
    groupItems_.clear();
    xBeam_ = nullptr;
    rowCount_ = 0;
}

void TBeamGroupList::RebuildGroups(TView& view) {
    Reset();
    for (int i = 0; i < view.BeamCount(); ++i) {
        TBeam* beam = &view.Beam(i);
        beam->NextInGroup = nullptr;
        beam->Row = -1;  // hidden beams have no value-table row
        const int group = beam->Group();
        if (group == 0) continue;
        if (group < 0) {
            if (!xBeam_) xBeam_ = beam;
            continue;
        }
        auto at = std::lower_bound(
            groupItems_.begin(), groupItems_.end(), group,
            [](const TBeamGroupItem* item, int number) { return item->Number < number; });
        if (at != groupItems_.end() && (*at)->Number == group) {
            (*at)->LastBeam->NextInGroup = beam;
            (*at)->LastBeam = beam;
        } else {
            TBeamGroupItem* item = TakeFromPool();
            item->Number = group;
            item->FirstBeam = item->LastBeam = beam;
            groupItems_.insert(at, item);
        }
    }
    for (TBeamGroupItem* item : groupItems_) {
        int index = 0;
        for (TBeam* beam = item->FirstBeam; beam; beam = beam->NextInGroup) {
            beam->IndexInGroup = index++;
            beam->Row = rowCount_++;
        }
    }
    if (xBeam_) xBeam_->Row = rowCount_++;
}

const TBeamGroupItem& TBeamGroupList::GroupItem(int index) const {
    KV_ASSERT(index >= 0 && index < GroupCount(), "uBeam");
    return *groupItems_[static_cast<size_t>(index)];
}

TBeam* TBeamGroupList::BeamAtRow(int row) const {
    for (const TBeamGroupItem* item : groupItems_)
        for (TBeam* beam = item->FirstBeam; beam; beam = beam->NextInGroup)
            if (beam->Row == row) return beam;
    if (xBeam_ && xBeam_->Row == row) return xBeam_;
    return nullptr;
}

}  // namespace kvaril
