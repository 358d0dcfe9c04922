#pragma once
// The session's signal list and beam table: which beams are selected, the table's texts for
// them, and every change of their settings (gain, offset, group, axis, interpolation).

#include <set>
#include <string>
#include <vector>

#include "document/OscEnums.h"

namespace kvaril {

class TOscContext;

class TOscBeams {
  public:
    explicit TOscBeams(TOscContext& context) : context_(context) {}

    std::vector<std::string> SignalNames() const;  // UTF-8
    void SetSelection(const std::set<int>& selected);
    const std::set<int>& Selection() const { return selection_; }
    std::string BeamText(TBeamRow row) const;
    const std::string& MaxValueText() const { return maxValueText_; }
    void StartEdit(TBeamRow row);  // shows the row's hint
    void Edit(TBeamRow row, const std::string& text);
    void EndEdit(TBeamRow row, const std::string& text);
    // The editor closed without a last text (Escape): what was applied stays, the hint goes.
    void CancelEdit();
    void ToOneGroup();
    void ToManyGroups();
    // Each selected beam's gain so that its largest magnitude in the time window fills the band.
    void FitToWindow();

    // The screen or its beams changed under the selection: the readout follows.
    void UpdateMaxValue();
    // A new run: nothing selected, no readout.
    void Clear();

  private:
    TOscContext& context_;
    std::set<int> selection_;
    std::string maxValueText_;
};

}  // namespace kvaril
