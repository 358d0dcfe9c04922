#include "osc/BeamGroups.h"

#include <algorithm>

#include "base/Errors.h"
#include "document/uBeam.h"

namespace kvaril {

TBeamGrouping::TBeamGrouping(const TView& view) {
    int place = 0, xPlace = 0;
    for (int i = 0; i < view.BeamCount(); ++i) {
        const TBeam* beam = &view.Beam(i);
        const int group = beam->Group();
        if (group == 0 || (group < 0 && xBeam_)) continue;  // only the first "X" beam shows
        const int here = place++;
        if (group < 0) {
            xBeam_ = beam, xPlace = here;
            continue;
        }
        auto at = std::lower_bound(
            groups_.begin(), groups_.end(), group,
            [](const TBeamGroup& item, int number) { return item.Number < number; });
        if (at == groups_.end() || at->Number != group) at = groups_.insert(at, {group, {}, {}});
        at->Beams.push_back(beam);
        at->Places.push_back(here);
    }
    for (const TBeamGroup& group : groups_)
        for (size_t k = 0; k < group.Beams.size(); ++k)
            rows_.push_back({group.Beams[k], static_cast<int>(k), group.Places[k]});
    if (xBeam_) rows_.push_back({xBeam_, 0, xPlace});
}

const TBeamGroup& TBeamGrouping::Group(int index) const {
    KV_ASSERT(index >= 0 && index < GroupCount(), "uBeam");
    return groups_[static_cast<size_t>(index)];
}

const TBeamRowRef* TBeamGrouping::Row(int row) const {
    return row >= 0 && row < RowCount() ? &rows_[static_cast<size_t>(row)] : nullptr;
}

}  // namespace kvaril
