#pragma once
// The session's time window of the current screen: the texts under the traces, the scroll
// bar, panning and zooming, and the conversion between trace columns and time.

#include <string>

#include "osc/TimeWindow.h"

namespace kvaril {

class TOscContext;
class TOscCursors;

class TOscTimeView {
  public:
    TOscTimeView(TOscContext& context, const TOscCursors& cursors)
        : context_(context), cursors_(cursors) {}

    void SetGraphWidth(int width);
    int GraphWidth() const;
    double TimeAtColumn(int x) const;  // −1 without a screen
    int ClampColumn(int x) const;      // 1 .. width − 1
    TTimeFrame Frame() const;

    std::string T0Text() const;
    std::string T1Text() const;
    std::string CaptionText() const;  // the width, or the cursor's time while there is one

    TScrollState Scroll() const;
    void ScrollTo(int position);
    // The window's scroll bar moved the window onto its grid: no step of its own.
    void FollowScroll(int position);
    void ScrollBy(int quanta);
    // A drag on the traces from column `from` to column `to` moves the window with the pointer.
    void PanColumns(int from, int to);
    // Ctrl+wheel pans a tenth of the width per step; the wheel zooms around column x.
    void Wheel(int steps, bool pan, int x);

  private:
    TOscContext& context_;
    const TOscCursors& cursors_;
};

}  // namespace kvaril
