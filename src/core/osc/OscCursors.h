#pragma once
// The session's cursors and markers: the measurement cursor dragged over the traces, the cursor
// the keys step quantum by quantum, the time labels (markers m1, m2, ...) toggled on the strip
// above the traces, and the Δ readout from a marker to the cursor's instant.

#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "document/OscEnums.h"
#include "osc/MarkLines.h"
#include "osc/OscAnalysis.h"
#include "osc/ScreenLayout.h"

namespace kvaril {

struct TSweepShown;
class TSignals;
class TView;

class TOscContext;

// ---- the A/B cursors' readout
struct TCursorBeamRow {
    std::string Name;  // UTF-8
    int ColorIndex = 0;
    std::string A, B, Delta;  // the values at A and B, and B − A
};

struct TCursorReadout {
    std::string TimeA, TimeB;          // as the window writes times
    std::string DeltaTime;             // tB − tA
    std::string InverseDelta;          // 1/Δt in Hz; empty when Δt is 0
    double A = 0, B = 0;               // the times themselves
    std::vector<TCursorBeamRow> Rows;  // one per value-table row of the screen
    // "A: 0.333   B: 0.667   Δt: 0.334   1/Δt: 2.994 Гц" (UTF-8)
    std::string Header() const;
};

// The A/B readout of screen `view` with the cursors at `pair`; after a sweep (`sweep`), a row
// per beam and run shown, "In: Fc = 1000", as the legend names the runs.
TCursorReadout CursorReadoutOf(const TView& view, const TSignals& signals, const TCursorPair& pair,
                               const TSweepShown* sweep = nullptr);

class TOscCursors {
  public:
    explicit TOscCursors(TOscContext& context) : context_(context) {}

    // ---- the measurement cursor and the time labels
    // With marker lines on, a press on the strip within `markWidth` columns of a label may
    // start moving that label: see the marker drag below.
    void Press(int x, bool onStrip, int markWidth = 0);
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
    // The A/B cursors keep their times.
    void Reset();

    // ---- marker lines ("Вид → Линии меток"): a dashed line under each marker, and a drag
    // that starts on a marker's label moves it (on quanta) instead of adding one; a click
    // without moving keeps the classic rule. Off: the strip behaves as it always did.
    void SetMarkerLines(bool on) { markerLines_ = on; }
    bool MarkerLines() const { return markerLines_; }
    // The label whose name is drawn within `markWidth` columns of x, or −1 (the strip's click
    // rule).
    int MarkerAt(int x, int markWidth) const;
    bool DraggingMarker() const { return dragLabel_ >= 0; }
    // Whether the drag in progress has moved its label.
    bool MarkerMoved() const { return dragMoved_; }

    // ---- the A/B cursors ("Вид → Курсоры A/B"): two lines that keep their times across
    // zoom, pan and screens, on quanta.
    // The first time they are shown (and whenever both lie outside the window when shown
    // again) they are placed at a third and two thirds of the window.
    void ShowCursorPair(bool on);
    bool CursorPairShown() const { return pairShown_; }
    // The times, whether shown or not; none before they were first placed.
    std::optional<TCursorPair> CursorTimes() const;
    // The times as an interval (tA, tB) while the cursors are shown: A..B of every analysis.
    std::optional<std::pair<double, double>> ShownInterval() const;
    // Places them (each snapped to its quantum); they need not be shown.
    void SetCursorTimes(double a, double b);
    // 0: A, 1: B. The one the arrow keys move: the last one dragged or picked.
    int ActiveCursor() const { return active_; }
    void SetActiveCursor(int which) { active_ = which == 1 ? 1 : 0; }
    // The column of cursor `which`, or −1 outside the window or when not shown.
    int CursorPairColumn(int which) const;
    // The shown cursor within `reach` columns of x (the nearer; A on a tie), or −1.
    int CursorNear(int x, int reach) const;
    // Starts dragging the cursor within `reach` of x; false when there is none.
    bool PressCursor(int x, int reach);
    bool DraggingCursor() const { return dragCursor_ >= 0; }
    // The dragged cursor goes to the quantum at column x, or with `toExtremum` to the nearest
    // local maximum or minimum of the extremum beam (ExtremumSignal) from there.
    void MoveCursor(int x, bool toExtremum);
    void ReleaseCursor();
    // The active cursor a quantum (ten) left or right; Home and End: the window's ends.
    void StepCursor(TCursorStep step);
    // The beam Ctrl snaps to: the first selected signal the screen shows, else the beam of the
    // value table's first row; −1 without beams.
    int ExtremumSignal() const;
    // The beams' selection the session keeps (TOscBeams); set once by the session.
    void WatchSelection(const std::set<int>* selection) { selection_ = selection; }
    // The A/B readout; after a sweep (`sweep`), a row per beam and run shown, "In: Fc = 1000".
    TCursorReadout Readout(const TSweepShown* sweep = nullptr) const;
    // The lines over the traces: the markers' (with marker lines on) and the cursors' (shown).
    std::vector<TMarkLine> MarkLines() const;

  private:
    TOscContext& context_;
    int cursorX_ = -1;
    double measureTime_ = -1;
    bool measureOnStrip_ = false;
    double lastMeasureTime_ = -1;  // where the last measurement on the traces ended
    double stepTime_ = -1;
    int pickedReference_ = -1;

    // The quantum nearest the column's time, or with `toExtremum` the nearest extremum.
    double CursorTimeAt(int x, bool toExtremum) const;

    bool markerLines_ = false;
    int dragLabel_ = -1;  // the label being moved, −1 when none
    int dragFromX_ = 0;
    bool dragMoved_ = false;

    // The cursors' times, placed when first needed while shown over a run.
    const std::optional<TCursorPair>& Pair() const;

    bool pairShown_ = false;
    mutable std::optional<TCursorPair> pair_;
    int active_ = 0;
    int dragCursor_ = -1;
    const std::set<int>* selection_ = nullptr;
};

}  // namespace kvaril
