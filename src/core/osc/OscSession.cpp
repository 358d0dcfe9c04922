#include "osc/OscSession.h"

#include <algorithm>
#include <cmath>

#include "document/Cp1251.h"
#include "document/uSignal.h"
#include "model/uCommon.h"
#include "model/uSignalsData.h"
#include "osc/BeamGroups.h"
#include "osc/BeamSettingText.h"
#include "osc/OscTime.h"
#include "osc/WindowTexts.h"
#include "osc/uBeam.h"

namespace kvaril {

TOscSession::TOscSession(TOsc& osc, TSignals& signals) : osc_(osc), signals_(signals) {}

namespace {

// Counts a change in progress for as long as its body runs, however the body ends.
class TDepthGuard {
  public:
    explicit TDepthGuard(int& depth) : depth_(depth) { ++depth_; }
    ~TDepthGuard() { --depth_; }
    TDepthGuard(const TDepthGuard&) = delete;
    TDepthGuard& operator=(const TDepthGuard&) = delete;

  private:
    int& depth_;
};

}  // namespace

template <typename F>
void TOscSession::Change(TStepKind kind, F&& body) {
    if (changeDepth_ > 0 || history_.Joins(kind)) {
        TDepthGuard inside(changeDepth_);
        body();
        return;
    }
    const bool wasModified = osc_.Modified;
    TOscState before = Capture();
    {
        TDepthGuard inside(changeDepth_);
        body();
    }
    if (Capture() == before) return;
    if (!wasModified) {
        savedState_ = before.Osc;
        savedKnown_ = true;
    }
    history_.Push(std::move(before), kind);
}

void TOscSession::PrepareForRun() {
    minInterval_ = 10 * signals_.QuantTime();
    cursorX_ = -1;
    measureTime_ = -1;
    ResetAnalysis();
    entryOpen_ = false;
    entryScreen_ = -1;
    signals_.Data().CalcMaxima();
    osc_.SyncWithSignals(signals_);
    selection_.clear();
    if (savedScreen_ >= osc_.ViewCount()) savedScreen_ = 0;
    current_ = osc_.ViewCount() > 0 ? savedScreen_ : -1;
    maxValueText_.clear();
    status_.clear();
    history_.Clear();
    savedKnown_ = !osc_.Modified;
    if (savedKnown_) savedState_ = Capture().Osc;
}

void TOscSession::Close() {
    CommitEntry();
    EndMeasurement();
    savedScreen_ = std::max(0, current_);
}

// ---- screens

int TOscSession::ScreenCount() const { return osc_.ViewCount(); }

TView* TOscSession::Current() const {
    return current_ >= 0 && current_ < osc_.ViewCount() ? &osc_.View(current_) : nullptr;
}

std::string TOscSession::ScreenName(int index) const {
    return index >= 0 && index < osc_.ViewCount() ? Cp1251ToUtf8(osc_.View(index).Name())
                                                  : std::string();
}

void TOscSession::SelectScreen(int index) {
    Change(TStepKind::Discrete, [&] {
        CommitEntry();
        if (index < 0 || index >= osc_.ViewCount() || index == current_) return;
        EndMeasurement();
        ResetAnalysis();
        current_ = index;
        UpdateMaxValue();
    });
}

void TOscSession::AddScreen(const std::string& name) {
    Change(TStepKind::Discrete, [&] {
        CommitEntry();
        if (!CanAddScreen()) return;
        osc_.AddView(Utf8ToCp1251(name));
        SelectScreen(osc_.ViewCount() - 1);
    });
}

std::string TOscSession::DeleteQuestion() const {
    std::string text = "Вы действительно хотите удалить экран:\n<";
    text += ScreenName(current_);
    text += "> ?";
    return text;
}

void TOscSession::DeleteScreen() {
    Change(TStepKind::Discrete, [&] {
        CommitEntry();
        if (!CanDeleteScreen()) return;
        EndMeasurement();
        const int i = current_;
        osc_.DeleteView(i);
        current_ = i < osc_.ViewCount() ? i : i - 1;
        UpdateMaxValue();
    });
}

void TOscSession::RenameScreen(const std::string& name) {
    Change(TStepKind::Discrete, [&] {
        CommitEntry();
        if (TView* view = Current()) view->SetName(Utf8ToCp1251(name));
    });
}

// ---- columns and time

void TOscSession::SetGraphWidth(int width) { graphWidth_ = std::max(1, width); }

double TOscSession::TimeAtColumn(int x) const {
    const TView* view = Current();
    if (!view) return -1;
    return view->T0() + (view->T1() - view->T0()) * x / graphWidth_;
}

int TOscSession::ClampColumn(int x) const { return std::max(1, std::min(x, graphWidth_ - 1)); }

TTimeFrame TOscSession::Frame() const {
    return {signals_.QuantTime(), signals_.TotalTime(), minInterval_};
}

std::string TOscSession::T0Text() const {
    const TView* view = Current();
    return view ? WindowTextsOf(*view, signals_.QuantTime()).T0 : std::string();
}

std::string TOscSession::T1Text() const {
    const TView* view = Current();
    return view ? WindowTextsOf(*view, signals_.QuantTime()).T1 : std::string();
}

std::string TOscSession::CaptionText() const {
    if (Measuring() || Stepping())
        return "T: " + FormatOscTime(signals_.QuantTime(), DisplayTime());
    const TView* view = Current();
    return view ? WindowTextsOf(*view, signals_.QuantTime()).Width : std::string();
}

TScrollState TOscSession::Scroll() const {
    const TView* view = Current();
    return view ? ScrollStateOf(*view, Frame()) : TScrollState{};
}

void TOscSession::ScrollTo(int position) {
    Change(TStepKind::Scroll, [&] { FollowScroll(position); });
}

void TOscSession::FollowScroll(int position) {
    CommitEntry();
    if (TView* view = Current()) ScrollWindowTo(*view, Frame(), position);
}

void TOscSession::ScrollBy(int quanta) {
    Change(TStepKind::Discrete, [&] {
        CommitEntry();  // first: the step is from the window the entry leaves
        const TScrollState s = Scroll();
        ScrollTo(std::clamp(s.Position + quanta, 0, s.Maximum));
    });
}

void TOscSession::PanColumns(int from, int to) {
    Change(TStepKind::Pan, [&] {
        CommitEntry();
        TView* view = Current();
        if (!view) return;
        const double dt = (view->T1() - view->T0()) / graphWidth_;
        PanWindow(*view, Frame(), (from - to) * dt);
    });
}

void TOscSession::Wheel(int steps, bool pan, int x) {
    Change(TStepKind::Wheel, [&] {
        CommitEntry();
        TView* view = Current();
        if (!view || steps == 0) return;
        const double width = view->T1() - view->T0();
        if (pan)
            PanWindow(*view, Frame(), -steps * width / 10);
        else
            ZoomWindow(*view, Frame(), TimeAtColumn(x), std::pow(0.8, steps));
    });
}

// ---- measurement and labels

void TOscSession::Press(int x, bool onStrip) {
    history_.CloseStep();
    CommitEntry();
    if (Measuring() || !Current()) return;
    measureOnStrip_ = onStrip;
    stepTime_ = -1;  // the mouse takes the cursor over
    cursorX_ = ClampColumn(x);
    measureTime_ = TimeAtColumn(cursorX_);
}

void TOscSession::Move(int x) {
    if (!Measuring()) return;
    cursorX_ = ClampColumn(x);
    measureTime_ = TimeAtColumn(cursorX_);
}

void TOscSession::Release(int x, bool onStrip, int markWidth) {
    if (!Measuring()) return;
    if (!measureOnStrip_) lastMeasureTime_ = measureTime_;
    EndMeasurement();
    TView* view = Current();
    if (!onStrip || !measureOnStrip_ || !view) return;
    pickedReference_ = -1;  // the labels' numbers shift
    Change(TStepKind::Discrete, [&] {
        const double t = TimeAtColumn(ClampColumn(x));
        const double t2 = TimeAtColumn(ClampColumn(x + markWidth));
        const double h = (t2 - t) / 2;
        const int i = view->FindTimeLabel(t - h, t2 - h);
        if (i < 0) {
            auto label = std::make_unique<TTimeLabel>(osc_);
            label->SetTime(t);
            view->AddTimeLabel(std::move(label));
        } else {
            view->DeleteTimeLabel(i);
        }
    });
}

void TOscSession::EndMeasurement() {
    cursorX_ = -1;
    measureTime_ = -1;
}

// ---- the time entry

void TOscSession::ClickTime(TEntryMode mode) {
    history_.CloseStep();
    if (entryOpen_) {
        CommitEntry();
        return;
    }
    const TView* view = Current();
    if (!view) return;
    const TTimeFrame f = Frame();
    const double d = view->T1() - view->T0();
    if (mode != TEntryMode::Length && d >= f.T) {
        Warn("На экране отображается полный интервал времен");
        return;
    }
    const double shown = mode == TEntryMode::Start ? view->T0()
                         : mode == TEntryMode::End ? view->T1()
                                                   : d;
    entryOpen_ = true;
    entryMode_ = mode;
    entryScreen_ = current_;
    entryText_ = FormatOscTime(f.Q, shown);
    status_ = EntryHint(*view, f, mode);
}

std::vector<std::string> TOscSession::EntrySuggestions() const {
    const TView* view =
        entryOpen_ && entryScreen_ < osc_.ViewCount() ? &osc_.View(entryScreen_) : nullptr;
    return view ? kvaril::EntrySuggestions(*view, entryMode_) : std::vector<std::string>{};
}

void TOscSession::SetEntryText(const std::string& text) {
    if (entryOpen_) entryText_ = text;
}

void TOscSession::CommitEntry() {
    if (!entryOpen_) return;
    Change(TStepKind::Discrete, [&] {
        entryOpen_ = false;
        if (entryScreen_ >= 0 && entryScreen_ < osc_.ViewCount())
            CommitTimeEntry(osc_.View(entryScreen_), Frame(), entryMode_, entryText_);
        entryScreen_ = -1;
        status_.clear();
    });
}

// ---- the signal list and the beam table

std::vector<std::string> TOscSession::SignalNames() const { return SignalNamesUtf8(signals_); }

void TOscSession::SetSelection(const std::set<int>& selected) {
    history_.CloseStep();
    CommitEntry();
    selection_ = selected;
    UpdateMaxValue();
}

std::string TOscSession::BeamText(TBeamRow row) const {
    return BeamSettingText(Current(), selection_, row, signals_.Data()).Text;
}

void TOscSession::UpdateMaxValue() {
    // The readout keeps its text while nothing is selected.
    const TBeamSettingText t =
        BeamSettingText(Current(), selection_, TBeamRow::Gain, signals_.Data());
    if (t.MaxValueLabel) maxValueText_ = *t.MaxValueLabel;
}

void TOscSession::StartBeamEdit(TBeamRow row) {
    history_.CloseStep();
    CommitEntry();
    status_ = BeamRowText(row).Hint;
}

void TOscSession::EditBeam(TBeamRow row, const std::string& text) {
    Change(TStepKind::BeamEdit, [&] {
        if (TView* view = Current()) ApplyBeamEdit(*view, selection_, row, text);
    });
    UpdateMaxValue();
}

void TOscSession::EndBeamEdit(TBeamRow row, const std::string& text) {
    EditBeam(row, text);
    history_.CloseStep();
    status_.clear();
}

void TOscSession::BeamsToOneGroup() {
    Change(TStepKind::Discrete, [&] {
        CommitEntry();
        if (TView* view = Current()) kvaril::BeamsToOneGroup(*view, selection_);
    });
}

void TOscSession::BeamsToManyGroups() {
    Change(TStepKind::Discrete, [&] {
        CommitEntry();
        if (TView* view = Current()) kvaril::BeamsToManyGroups(*view);
    });
}

void TOscSession::FitToWindow() {
    Change(TStepKind::Discrete, [&] {
        CommitEntry();
        TView* view = Current();
        const TSignalsData& data = signals_.Data();
        const double q = signals_.QuantTime();
        if (!view || !(q > 0) || data.SampleCount() == 0) return;
        // The quanta the traces show: from the window's start up to the last before its end.
        const int64_t last = data.SampleCount() - 1;
        const int64_t i0 =
            std::clamp<int64_t>(Round(view->T0() / static_cast<long double>(q)), 0, last);
        const int64_t i1 =
            std::clamp<int64_t>(Round(view->T1() / static_cast<long double>(q)) - 1, i0, last);
        for (int index : selection_) {
            if (index < 0 || index >= view->BeamCount()) continue;
            TBeam& beam = view->Beam(index);
            if (beam.SignalIndex() >= data.SignalCount()) continue;
            const double* row = data.Row(beam.SignalIndex());
            double m = 0;
            for (int64_t i = i0; i <= i1; ++i)
                if (std::isfinite(row[i]) && std::fabs(row[i]) > m) m = std::fabs(row[i]);
            if (!(m > 1e-10)) continue;  // nothing to fill the band with
            // With the offset kept, the largest magnitude reaches the band's nearer edge.
            const double room = std::fabs(beam.Offset()) < 1 ? 1 - std::fabs(beam.Offset()) : 1;
            beam.SetGain(room / m);
        }
    });
    UpdateMaxValue();
}

// ---- the value table

std::vector<TValueRow> TOscSession::ValueRows() const {
    std::vector<TValueRow> rows;
    const TView* view = Current();
    if (!view) return rows;
    const TBeamGrouping grouping(*view);
    rows.resize(static_cast<size_t>(grouping.RowCount()));
    const std::vector<const double*>* reference = ReferenceRows();
    for (int r = 0; r < grouping.RowCount(); ++r)
        for (int c = 0; c < kValueColumns; ++c)
            rows[static_cast<size_t>(r)].Cells[c] =
                ValueCell(grouping, view, signals_, r, c, DisplayTime(), reference);
    return rows;
}

std::vector<std::string> TOscSession::ValueTitles(const TDeltaReadout& delta) const {
    const bool compare = Reference() != nullptr, marker = delta.Reference >= 0;
    if (!compare && !marker) return {};
    // Short enough for the narrow columns: each Δ is the value less the column before it.
    std::vector<std::string> titles{"", "Луч", "Знач."};
    if (compare) titles.insert(titles.end(), {"Опорн.", "Δ"});
    if (marker) titles.insert(titles.end(), {MarkerName(delta.Reference), "Δ"});
    return titles;
}

// ---- colours and pictures

TColorScheme TOscSession::Scheme() const { return osc_.Scheme(); }

void TOscSession::SetScheme(TColorScheme scheme) {
    Change(TStepKind::Discrete, [&] {
        CommitEntry();
        osc_.SetColorScheme(scheme);
    });
}

void TOscSession::LayoutGraph(int width, int height, TGraphPicture& picture) const {
    kvaril::LayoutGraph(osc_, Current(), signals_.Data(), signals_.QuantTime(),
                        signals_.QuantCount(), width, height, picture, ReferenceRows(),
                        LayoutOptions());
}

TLayoutOptions TOscSession::LayoutOptions() const {
    TLayoutOptions options;
    options.SharedGroupScale = sharedGroupScale_;
    options.Legend = legend_;
    if (legend_) options.Names = SignalNames();
    return options;
}

std::vector<TLabelMark> TOscSession::LayoutLabels() const {
    return kvaril::LayoutLabels(Current(), signals_.QuantTime(), graphWidth_);
}

void TOscSession::Warn(const std::string& text) {
    ++warnings_;
    status_ = text;
}

}  // namespace kvaril
