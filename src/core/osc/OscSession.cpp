#include "osc/OscSession.h"

#include <algorithm>

#include "base/Cp1251.h"
#include "document/uBeam.h"
#include "document/uSignal.h"
#include "store/uSignalsData.h"

namespace kvaril {

TOscSession::TOscSession(TOsc& osc, TSignals& signals)
    : context_(osc, signals),
      entry_(context_),
      cursors_(context_),
      timeView_(context_, cursors_),
      beams_(context_),
      references_(context_),
      picture_(context_, references_),
      readings_(context_, beams_, cursors_, references_, picture_) {
    cursors_.WatchSelection(&beams_.Selection());
}

void TOscSession::PrepareForRun() {
    TSignals& signals = context_.Signals;
    TOsc& osc = context_.Osc;
    context_.SetMinInterval(10 * signals.QuantTime());
    cursors_.EndMeasurement();
    cursors_.Reset();
    entry_.Discard();
    signals.Data().CalcMaxima();
    osc.SyncWithSignals(signals);
    beams_.Clear();
    if (savedScreen_ >= osc.ViewCount()) savedScreen_ = 0;
    context_.SetCurrentIndex(osc.ViewCount() > 0 ? savedScreen_ : -1);
    context_.SetStatus("");
    context_.Undo().Reset();
    preparedNames_ = SignalNamesUtf8(signals);
    preparedQuant_ = signals.QuantTime();
    preparedTotal_ = signals.TotalTime();
}

bool TOscSession::PreparedFor(const TSignals& signals) const {
    return signals.QuantTime() == preparedQuant_ && signals.TotalTime() == preparedTotal_ &&
           SignalNamesUtf8(signals) == preparedNames_;
}

void TOscSession::RefreshForRun() {
    TSignals& signals = context_.Signals;
    if (!PreparedFor(signals)) {
        savedScreen_ = 0;
        PrepareForRun();
        return;
    }
    entry_.Commit();
    cursors_.EndMeasurement();
    signals.Data().CalcMaxima();
    context_.SetStatus("");
}

void TOscSession::Close() {
    entry_.Commit();
    cursors_.EndMeasurement();
    savedScreen_ = std::max(0, CurrentScreen());
}

// ---- screens

int TOscSession::ScreenCount() const { return context_.Osc.ViewCount(); }

std::string TOscSession::ScreenName(int index) const {
    const TOsc& osc = context_.Osc;
    return index >= 0 && index < osc.ViewCount() ? Cp1251ToUtf8(osc.View(index).Name())
                                                 : std::string();
}

void TOscSession::SelectScreen(int index) {
    context_.Change(TStepKind::Discrete, [&] {
        entry_.Commit();
        if (index < 0 || index >= ScreenCount() || index == CurrentScreen()) return;
        cursors_.EndMeasurement();
        cursors_.Reset();
        context_.SetCurrentIndex(index);
        beams_.UpdateMaxValue();
    });
}

void TOscSession::AddScreen(const std::string& name) {
    context_.Change(TStepKind::Discrete, [&] {
        entry_.Commit();
        if (!CanAddScreen()) return;
        context_.Osc.AddView(Utf8ToCp1251(name));
        SelectScreen(ScreenCount() - 1);
    });
}

std::string TOscSession::DeleteQuestion() const {
    std::string text = "Вы действительно хотите удалить экран:\n<";
    text += ScreenName(CurrentScreen());
    text += "> ?";
    return text;
}

void TOscSession::DeleteScreen() {
    context_.Change(TStepKind::Discrete, [&] {
        entry_.Commit();
        if (!CanDeleteScreen()) return;
        cursors_.EndMeasurement();
        const int i = CurrentScreen();
        context_.Osc.DeleteView(i);
        context_.SetCurrentIndex(i < ScreenCount() ? i : i - 1);
        beams_.UpdateMaxValue();
    });
}

void TOscSession::RenameScreen(const std::string& name) {
    context_.Change(TStepKind::Discrete, [&] {
        entry_.Commit();
        if (TView* view = Current()) view->SetName(Utf8ToCp1251(name));
    });
}

// ---- undo

void TOscSession::Undo() {
    if (context_.Undo().Undo()) AfterRestore();
}

void TOscSession::Redo() {
    if (context_.Undo().Redo()) AfterRestore();
}

void TOscSession::AfterRestore() {
    entry_.Discard();
    cursors_.EndMeasurement();
    context_.SetStatus("");
    beams_.UpdateMaxValue();
}

}  // namespace kvaril
