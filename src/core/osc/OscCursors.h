#pragma once
// The session's cursors and markers: the measurement cursor dragged over the traces, the cursor
// the keys step quantum by quantum, the time labels (markers m1, m2, ...) toggled on the strip
// above the traces, and the Δ readout from a marker to the cursor's instant.

#include <vector>

#include "osc/OscAnalysis.h"
#include "osc/OscEnums.h"
#include "osc/ScreenLayout.h"

namespace kvaril {

class TOscContext;

class TOscCursors {
  public:
    explicit TOscCursors(TOscContext& context) : context_(context) {}

    // ---- the measurement cursor and the time labels
    void Press(int x, bool onStrip);
    void Move(int x);
    // A click on the strip toggles a label within `markWidth` columns of the release.
    void Release(int x, bool onStrip, int markWidth);
    bool Measuring() const { return cursorX_ >= 0; }
    int CursorColumn() const { return cursorX_; }  // −1 when none
    double MeasureTime() const { return measureTime_; }
    // Where each label of the current screen is drawn on the strip.
    std::vector<TLabelMark> LayoutLabels() const;

    // ---- the stepped cursor and the Δ readout
    // The instant the value table reads: the measured time, else the stepped one while it lies
    // in the window, else T0.
    double DisplayTime() const;
    // Moves the cursor from where it is (or where the last measurement ended, or T0), quantum
    // by quantum within the window.
    void Step(TCursorStep step);
    void EndStepping() { stepTime_ = -1; }
    bool Stepping() const;
    // The column of the cursor drawn over the traces: the mouse's, else the stepped one; −1.
    int ShownCursorColumn() const;
    // −1: the marker nearest left of the instant.
    void PickReferenceMarker(int label);
    int PickedReferenceMarker() const { return pickedReference_; }
    TDeltaReadout Delta() const;

    // The measurement in progress ends without a trace (the screen changes, a state returns).
    void EndMeasurement();
    // Nothing of the last screen carries over: no stepped cursor, last measurement or marker.
    void Reset();

  private:
    TOscContext& context_;
    int cursorX_ = -1;
    double measureTime_ = -1;
    bool measureOnStrip_ = false;
    double lastMeasureTime_ = -1;  // where the last measurement on the traces ended
    double stepTime_ = -1;
    int pickedReference_ = -1;
};

}  // namespace kvaril
