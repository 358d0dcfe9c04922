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
#include "osc/OscEnums.h"
#include "osc/ScreenLayout.h"
#include "osc/TimeWindow.h"

namespace kvaril {

class TOsc;
class TSignals;
class TView;

struct TValueRow {
    TValueCell Cells[3];
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

    // ---- the value table
    std::vector<TValueRow> ValueRows() const;

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

    // ---- the status line; each warning also asks for a beep
    const std::string& Status() const { return status_; }
    int WarningCount() const { return warnings_; }
    void SetStatus(const std::string& text) { status_ = text; }
    void Warn(const std::string& text);

  private:
    void EndMeasurement();
    void UpdateMaxValue();

    TOsc& osc_;
    TSignals& signals_;
    double minInterval_ = 0;
    int current_ = -1;
    int savedScreen_ = 0;
    int graphWidth_ = 1;
    int cursorX_ = -1;
    double measureTime_ = -1;
    bool measureOnStrip_ = false;
    bool entryOpen_ = false;
    TEntryMode entryMode_ = TEntryMode::Start;
    int entryScreen_ = -1;
    std::string entryText_;
    std::set<int> selection_;
    std::string maxValueText_;
    std::string status_;
    int warnings_ = 0;
    bool sharedGroupScale_ = false;
    bool legend_ = false;
};

}  // namespace kvaril
