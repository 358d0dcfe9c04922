#include "osc/BeamGroups.h"

#include <algorithm>

#include "Errors.h"
#include "osc/uBeam.h"

namespace kvaril {

TBeamGrouping::TBeamGrouping(const TView& view) {
    for (int i = 0; i < view.BeamCount(); ++i) {
        const TBeam* beam = &view.Beam(i);
        const int group = beam->Group();
        if (group == 0) continue;
        if (group < 0) {
            if (!xBeam_) xBeam_ = beam;
            continue;
        }
        auto at = std::lower_bound(
            groups_.begin(), groups_.end(), group,
            [](const TBeamGroup& item, int number) { return item.Number < number; });
        if (at == groups_.end() || at->Number != group) at = groups_.insert(at, {group, {}});
        at->Beams.push_back(beam);
    }
    for (const TBeamGroup& group : groups_)
        for (size_t k = 0; k < group.Beams.size(); ++k)
            rows_.push_back({group.Beams[k], static_cast<int>(k)});
    if (xBeam_) rows_.push_back({xBeam_, 0});
}

const TBeamGroup& TBeamGrouping::Group(int index) const {
    KV_ASSERT(index >= 0 && index < GroupCount(), "uBeam");
    return groups_[static_cast<size_t>(index)];
}

const TBeamRowRef* TBeamGrouping::Row(int row) const {
    return row >= 0 && row < RowCount() ? &rows_[static_cast<size_t>(row)] : nullptr;
}

}  // namespace kvaril
