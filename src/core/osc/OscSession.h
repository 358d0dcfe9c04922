#pragma once
// Everything the oscilloscope window shows and every rule that changes it. The session is a
// facade: it composes parts that each own their state (the time view, the time entry, the
// cursors and markers, the beams, the reference runs, the readings and the picture) and keeps
// for itself only what ties them together: the screens, undo, the status line, and the start
// and end of a display. The window and the command line reach a part through its accessor, and
// anything that affects more than one part goes through the session.

#include <string>

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

    // ---- the parts
    TOscTimeView& TimeView() { return timeView_; }
    const TOscTimeView& TimeView() const { return timeView_; }
    TOscTimeEntry& Entry() { return entry_; }
    const TOscTimeEntry& Entry() const { return entry_; }
    TOscCursors& Cursors() { return cursors_; }
    const TOscCursors& Cursors() const { return cursors_; }
    TOscBeams& Beams() { return beams_; }
    const TOscBeams& Beams() const { return beams_; }
    TOscReferences& References() { return references_; }
    const TOscReferences& References() const { return references_; }
    TOscReadings& Readings() { return readings_; }
    const TOscReadings& Readings() const { return readings_; }
    TOscPicture& Picture() { return picture_; }
    const TOscPicture& Picture() const { return picture_; }

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
