#pragma once
// Everything the oscilloscope window shows and every rule that changes it: the current screen,
// the time window with its pan and zoom, the conversion between trace columns and time, the
// measurement cursor and the time labels, the open time entry, the selection in the signal
// list, the texts of the beam table and the rows of the value table. The window forwards its
// input here and redraws from here.
//
// An open time entry belongs to the screen it was opened on. Every operation that is not an
// edit of the entry itself commits it first, so nothing can act before the typed text has been
// applied, and nothing can apply it to another screen.

#include <set>
#include <string>
#include <vector>

#include "osc/BeamTable.h"
#include "osc/GridLayout.h"
#include "osc/OscAnalysis.h"
#include "osc/OscEnums.h"
#include "osc/OscHistory.h"
#include "osc/ScreenLayout.h"
#include "osc/TimeWindow.h"

namespace kvaril {

class TOsc;
class TRunHistory;
class TSignals;
class TView;
struct TStoredRun;

// Group, name, value; with a reference run also its value and the difference.
struct TValueRow {
    TValueCell Cells[kValueColumns];
};

struct TRunChoice {
    int Id;            // 0: none
    std::string Text;  // UTF-8
};

class TOscSession {
  public:
    TOscSession(TOsc& osc, TSignals& signals);
    TOscSession(const TOscSession&) = delete;
    TOscSession& operator=(const TOscSession&) = delete;

    // After every successful run, before the window shows; keeps the screen shown when it last
    // closed while that screen still exists.
    void PrepareForRun();
    // The window closes: the entry is committed and the screen remembered.
    void Close();

    // ---- undo of view changes; the history starts empty with every run
    bool CanUndo() const { return history_.CanUndo(); }
    bool CanRedo() const { return history_.CanRedo(); }
    void Undo();
    void Redo();
    // A drag, a wheel burst or a slider move has ended: the next change is a new step.
    void EndGesture() { history_.CloseStep(); }

    // ---- reference runs
    void SetRunHistory(TRunHistory* runs) { runs_ = runs; }
    // "нет" and the runs before the current one, newest first.
    std::vector<TRunChoice> ReferenceChoices() const;
    void SetReference(int id);  // 0: none
    const TStoredRun* Reference() const;
    // Pins the reference shown, or else the current run.
    void PinReference();
    bool CanPinReference() const;

    // ---- screens
    int ScreenCount() const;
    int CurrentScreen() const { return current_; }  // −1: none
    TView* Current() const;
    std::string ScreenName(int index) const;  // UTF-8
    void SelectScreen(int index);
    bool CanAddScreen() const { return Current() != nullptr; }
    void AddScreen(const std::string& name);  // becomes the current screen
    bool CanDeleteScreen() const { return Current() != nullptr && ScreenCount() > 1; }
    std::string DeleteQuestion() const;
    // The neighbour that takes its place becomes current.
    void DeleteScreen();
    void RenameScreen(const std::string& name);

    // ---- columns of the traces and time
    void SetGraphWidth(int width);
    int GraphWidth() const { return graphWidth_; }
    double TimeAtColumn(int x) const;  // −1 without a screen
    int ClampColumn(int x) const;      // 1 .. width − 1

    // ---- the time window of the current screen
    TTimeFrame Frame() const;
    std::string T0Text() const;
    std::string T1Text() const;
    std::string CaptionText() const;  // the width, or the measured time while measuring
    TScrollState Scroll() const;
    void ScrollTo(int position);
    // The window's scroll bar moved the window onto its grid: no step of its own.
    void FollowScroll(int position);
    void ScrollBy(int quanta);
    // A drag on the traces from column `from` to column `to` moves the window with the pointer.
    void PanColumns(int from, int to);
    // Ctrl+wheel pans a tenth of the width per step; the wheel zooms around column x.
    void Wheel(int steps, bool pan, int x);

    // ---- the measurement cursor and the time labels
    void Press(int x, bool onStrip);
    void Move(int x);
    // A click on the strip toggles a label within `markWidth` columns of the release.
    void Release(int x, bool onStrip, int markWidth);
    bool Measuring() const { return cursorX_ >= 0; }
    int CursorColumn() const { return cursorX_; }  // −1 when none
    double MeasureTime() const { return measureTime_; }

    // ---- the stepped cursor, the Δ readout and the statistics span
    // The instant the value table reads: the measured time, else the stepped one while it lies
    // in the window, else T0.
    double DisplayTime() const;
    // Moves the cursor from where it is (or where the last measurement ended, or T0), quantum
    // by quantum within the window.
    void Step(TCursorStep step);
    void EndStepping();
    bool Stepping() const;
    // The column of the cursor drawn over the traces: the mouse's, else the stepped one; −1.
    int ShownCursorColumn() const;
    // −1: the marker nearest left of the instant.
    void PickReferenceMarker(int label);
    int PickedReferenceMarker() const { return pickedReference_; }
    TDeltaReadout Delta() const;
    void SetSpan(const std::string& text);  // "Окно" or "m1..m2"
    const std::string& SpanText() const { return spanText_; }
    // The span's times on the current screen; false when it names no markers (then the window).
    bool SpanTimes(double& t0, double& t1) const;
    std::vector<TStatsRow> StatsRows() const;
    // The selected signals (every shown beam when none is) over the statistics span.
    TSpectrumRequest SpectrumRequest() const;

    // ---- the time entry
    // A click on a text of the time panel: commits an open entry, or opens one.
    void ClickTime(TEntryMode mode);
    bool EntryOpen() const { return entryOpen_; }
    TEntryMode EntryMode() const { return entryMode_; }
    const std::string& EntryText() const { return entryText_; }
    std::vector<std::string> EntrySuggestions() const;
    void SetEntryText(const std::string& text);  // exactly what the user typed or picked
    void CommitEntry();

    // ---- the signal list and the beam table
    std::vector<std::string> SignalNames() const;  // UTF-8
    void SetSelection(const std::set<int>& selected);
    const std::set<int>& Selection() const { return selection_; }
    std::string BeamText(TBeamRow row) const;
    const std::string& MaxValueText() const { return maxValueText_; }
    void StartBeamEdit(TBeamRow row);  // shows the row's hint
    void EditBeam(TBeamRow row, const std::string& text);
    void EndBeamEdit(TBeamRow row, const std::string& text);
    void BeamsToOneGroup();
    void BeamsToManyGroups();
    // Each selected beam's gain so that its largest magnitude in the time window fills the band.
    void FitToWindow();

    // ---- the value table
    std::vector<TValueRow> ValueRows() const;
    // Titles over the columns when the table shows more than the classic three: a reference
    // run's value and difference, then the `delta` marker's. Empty with the classic three.
    std::vector<std::string> ValueTitles(const TDeltaReadout& delta) const;

    // ---- colours and pictures
    TColorScheme Scheme() const;
    void SetScheme(TColorScheme scheme);
    void LayoutGraph(int width, int height, TGraphPicture& picture) const;
    // The user's view choices (the window keeps them in its settings, not in the document).
    bool SharedGroupScale() const { return sharedGroupScale_; }
    void SetSharedGroupScale(bool on) { sharedGroupScale_ = on; }
    bool Legend() const { return legend_; }
    void SetLegend(bool on) { legend_ = on; }
    TLayoutOptions LayoutOptions() const;
    std::vector<TLabelMark> LayoutLabels() const;
    // The grid and scales: a preference of the user's, not of the document.
    bool ShowGrid() const { return showGrid_; }
    void SetShowGrid(bool show) { showGrid_ = show; }
    void LayoutGrid(int width, int height, TGridLayout& grid) const;

    // ---- the status line; each warning also asks for a beep
    const std::string& Status() const { return status_; }
    int WarningCount() const { return warnings_; }
    void SetStatus(const std::string& text) { status_ = text; }
    void Warn(const std::string& text);

  private:
    void EndMeasurement();
    void ResetAnalysis();
    void UpdateMaxValue();
    TOscState Capture() const;
    void Restore(const TOscState& state);
    // Runs `body` as one undoable change (nested changes join the outer one).
    template <typename F>
    void Change(TStepKind kind, F&& body);
    const std::vector<const double*>* ReferenceRows() const;

    TOsc& osc_;
    TSignals& signals_;
    double minInterval_ = 0;
    int current_ = -1;
    int savedScreen_ = 0;
    int graphWidth_ = 1;
    int cursorX_ = -1;
    double measureTime_ = -1;
    double lastMeasureTime_ = -1;  // where the last measurement on the traces ended
    double stepTime_ = -1;
    int pickedReference_ = -1;
    std::string spanText_ = kWindowSpan;
    bool showGrid_ = false;
    bool measureOnStrip_ = false;
    bool entryOpen_ = false;
    TEntryMode entryMode_ = TEntryMode::Start;
    int entryScreen_ = -1;
    std::string entryText_;
    std::set<int> selection_;
    std::string maxValueText_;
    std::string status_;
    int warnings_ = 0;
    TOscHistory history_;
    int changeDepth_ = 0;
    bool savedKnown_ = false;  // savedState_ holds the state the document was saved with
    std::string savedState_;
    TRunHistory* runs_ = nullptr;
    int referenceId_ = 0;  // 0: the pinned run, if any; −1: none chosen
    mutable std::vector<const double*> referenceRows_;
    mutable long referenceKey_ = -1;
    bool sharedGroupScale_ = false;
    bool legend_ = false;
};

}  // namespace kvaril
