#pragma once
// Everything the oscilloscope window shows and every rule that changes it. The session is a
// facade: it composes parts that each own their state (the time view, the time entry, the
// cursors and markers, the beams, the reference runs, the readings and the picture) and keeps
// for itself only what ties them together: the screens, undo, the status line, and the start
// and end of a display. The window and the command line read a part through its accessor and
// change it only through a verb of the session, so anything that affects more than one part
// goes through the session by construction.

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "osc/OscBeams.h"
#include "osc/OscContext.h"
#include "osc/OscCursors.h"
#include "osc/OscPicture.h"
#include "osc/OscReadings.h"
#include "osc/OscReferences.h"
#include "osc/OscTimeEntry.h"
#include "osc/OscTimeView.h"

namespace kvaril {

class TOsc;
class TSignals;
class TView;

class TOscSession {
  public:
    TOscSession(TOsc& osc, TSignals& signals);
    TOscSession(const TOscSession&) = delete;
    TOscSession& operator=(const TOscSession&) = delete;

    // After every successful run, before the window shows; keeps the screen shown when it last
    // closed while that screen still exists.
    void PrepareForRun();
    // After a run while the window stays open: screens, time window, markers, cursors, gains and
    // the undo history stay as they are while the signals and times are those they were made
    // for; otherwise everything starts afresh, as PrepareForRun starts it.
    void RefreshForRun();
    // Whether the signals and times are those the window was last prepared for.
    bool PreparedFor(const TSignals& signals) const;
    // The window closes: the entry is committed and the screen remembered.
    void Close();

    // ---- the parts, to read; what changes them is a verb of the session below
    const TOscTimeView& TimeView() const { return timeView_; }
    const TOscTimeEntry& Entry() const { return entry_; }
    const TOscCursors& Cursors() const { return cursors_; }
    const TOscBeams& Beams() const { return beams_; }
    const TOscReferences& References() const { return references_; }
    const TOscReadings& Readings() const { return readings_; }
    const TOscPicture& Picture() const { return picture_; }

    // ---- the time window (TOscTimeView)
    void SetGraphWidth(int width) { timeView_.SetGraphWidth(width); }
    void ScrollTo(int position) { timeView_.ScrollTo(position); }
    void FollowScroll(int position) { timeView_.FollowScroll(position); }
    void ScrollBy(int quanta) { timeView_.ScrollBy(quanta); }
    void PanColumns(int from, int to) { timeView_.PanColumns(from, to); }
    void Wheel(int steps, bool pan, int x) { timeView_.Wheel(steps, pan, x); }

    // ---- the time entry (TOscTimeEntry)
    void ClickEntry(TEntryMode mode) { entry_.Click(mode); }
    void SetEntryText(const std::string& text) { entry_.SetText(text); }
    void CommitEntry() { entry_.Commit(); }

    // ---- the mouse over the traces and the strip, the stepped cursor, the markers (TOscCursors)
    void MousePress(int x, bool onStrip, int markWidth = 0) {
        cursors_.Press(x, onStrip, markWidth);
    }
    void MouseMove(int x) { cursors_.Move(x); }
    void MouseRelease(int x, bool onStrip, int markWidth) {
        cursors_.Release(x, onStrip, markWidth);
    }
    void StepTime(TCursorStep step) { cursors_.Step(step); }
    void EndStepping() { cursors_.EndStepping(); }
    void PickReferenceMarker(int label) { cursors_.PickReferenceMarker(label); }
    void SetMarkerLines(bool on) { cursors_.SetMarkerLines(on); }

    // ---- the A/B cursors (TOscCursors)
    void ShowCursorPair(bool on) { cursors_.ShowCursorPair(on); }
    void SetCursorTimes(double a, double b) { cursors_.SetCursorTimes(a, b); }
    void SetActiveCursor(int which) { cursors_.SetActiveCursor(which); }
    bool PressCursor(int x, int reach) { return cursors_.PressCursor(x, reach); }
    void MoveCursor(int x, bool toExtremum) { cursors_.MoveCursor(x, toExtremum); }
    void ReleaseCursor() { cursors_.ReleaseCursor(); }
    void StepCursor(TCursorStep step) { cursors_.StepCursor(step); }

    // ---- the beams (TOscBeams)
    void SelectBeams(const std::set<int>& selected) { beams_.SetSelection(selected); }
    void StartBeamEdit(TBeamRow row) { beams_.StartEdit(row); }
    void EditBeam(TBeamRow row, const std::string& text) { beams_.Edit(row, text); }
    void EndBeamEdit(TBeamRow row, const std::string& text) { beams_.EndEdit(row, text); }
    void CancelBeamEdit() { beams_.CancelEdit(); }
    void ToOneGroup() { beams_.ToOneGroup(); }
    void ToManyGroups() { beams_.ToManyGroups(); }
    void FitToWindow() { beams_.FitToWindow(); }

    // ---- the other runs (TOscReferences)
    void SetRunHistory(TRunHistory* runs) { references_.SetRunHistory(runs); }
    void SetReference(int id) { references_.SetReference(id); }
    void PinReference() { references_.Pin(); }
    void SetSweep(TSweepShownPtr sweep) { references_.SetSweep(std::move(sweep)); }

    // ---- what is measured (TOscReadings)
    void SetSpan(const std::string& text) { readings_.SetSpan(text); }

    // ---- the picture and the view choices (TOscPicture)
    void SetScheme(TColorScheme scheme) { picture_.SetScheme(scheme); }
    void SetSharedGroupScale(bool on) { picture_.SetSharedGroupScale(on); }
    void SetLegend(bool on) { picture_.SetLegend(on); }
    void SetShowGrid(bool show) { picture_.SetShowGrid(show); }
    void SetLegendText(TLegendMetrics metrics) { picture_.SetLegendText(std::move(metrics)); }
    void SetBeamColors(bool on) { picture_.SetBeamColors(on); }
    void SetMeasured(std::vector<TLayoutOptions::TMeasured> measured) {
        picture_.SetMeasured(std::move(measured));
    }

    // ---- screens
    int ScreenCount() const;
    int CurrentScreen() const { return context_.CurrentIndex(); }  // −1: none
    TView* Current() const { return context_.Current(); }
    std::string ScreenName(int index) const;  // UTF-8
    void SelectScreen(int index);
    bool CanAddScreen() const { return Current() != nullptr; }
    void AddScreen(const std::string& name);  // becomes the current screen
    bool CanDeleteScreen() const { return Current() != nullptr && ScreenCount() > 1; }
    std::string DeleteQuestion() const;
    // The neighbour that takes its place becomes current.
    void DeleteScreen();
    void RenameScreen(const std::string& name);

    // ---- undo of view changes; the history starts empty with every run
    bool CanUndo() const { return context_.Undo().CanUndo(); }
    bool CanRedo() const { return context_.Undo().CanRedo(); }
    void Undo();
    void Redo();
    // A drag, a wheel burst or a slider move has ended: the next change is a new step.
    void EndGesture() { context_.CloseStep(); }

    // ---- the status line; each warning also asks for a beep
    const std::string& Status() const { return context_.Status(); }
    int WarningCount() const { return context_.WarningCount(); }
    void SetStatus(const std::string& text) { context_.SetStatus(text); }
    void Warn(const std::string& text) { context_.Warn(text); }

  private:
    // A restored state keeps nothing of the one it replaced: no entry, no measurement.
    void AfterRestore();

    TOscContext context_;
    TOscTimeEntry entry_;
    TOscCursors cursors_;
    TOscTimeView timeView_;
    TOscBeams beams_;
    TOscReferences references_;
    TOscPicture picture_;  // before the readings, which colour their rows as it draws
    TOscReadings readings_;
    int savedScreen_ = 0;
    // What the window was last prepared for.
    std::vector<std::string> preparedNames_;
    double preparedQuant_ = 0, preparedTotal_ = 0;
};

}  // namespace kvaril
