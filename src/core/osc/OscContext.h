#pragma once
// What every part of the oscilloscope session shares: the document's oscilloscope and signals,
// the screen shown, the width of the traces, the status line, and the two rules every change
// obeys. An open time entry is committed before anything else acts, so nothing can act before
// the typed text has been applied; and a change of the screens is one undoable step.
//
// The parts hold this by reference; only the session creates it.

#include <functional>
#include <string>

#include "osc/OscUndo.h"
#include "osc/TimeWindow.h"

namespace kvaril {

class TOsc;
class TSignals;
class TView;

class TOscContext {
  public:
    TOscContext(TOsc& osc, TSignals& signals);
    TOscContext(const TOscContext&) = delete;
    TOscContext& operator=(const TOscContext&) = delete;

    TOsc& Osc;
    TSignals& Signals;

    // ---- the screen shown
    int CurrentIndex() const { return current_; }  // −1: none
    void SetCurrentIndex(int index) { current_ = index; }
    TView* Current() const;

    // ---- columns of the traces and time
    void SetGraphWidth(int width);
    int GraphWidth() const { return graphWidth_; }
    double TimeAtColumn(int x) const;  // −1 without a screen
    int ClampColumn(int x) const;      // 1 .. width − 1
    // The run's quantum and length; the shortest window is fixed when the run is prepared.
    TTimeFrame Frame() const;
    void SetMinInterval(double t) { minInterval_ = t; }

    // ---- the status line; each warning also asks for a beep
    const std::string& Status() const { return status_; }
    void SetStatus(const std::string& text) { status_ = text; }
    int WarningCount() const { return warnings_; }
    void Warn(const std::string& text);

    // ---- the rules of a change
    // The time entry registers how it is committed.
    void SetEntryCommit(std::function<void()> commit) { commitEntry_ = std::move(commit); }
    void CommitEntry() {
        if (commitEntry_) commitEntry_();
    }
    // Runs `body` as one undoable change (nested changes join the outer one).
    void Change(TStepKind kind, const std::function<void()>& body) { undo_.Change(kind, body); }
    // A gesture has ended: the next change is a new step.
    void CloseStep() { undo_.CloseStep(); }
    TOscUndo& Undo() { return undo_; }
    const TOscUndo& Undo() const { return undo_; }

  private:
    int current_ = -1;
    int graphWidth_ = 1;
    double minInterval_ = 0;
    std::string status_;
    int warnings_ = 0;
    std::function<void()> commitEntry_;
    TOscUndo undo_;
};

}  // namespace kvaril
