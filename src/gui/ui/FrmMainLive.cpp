// The main window's side of live modelling: the two choices, the oscilloscope beside the editor
// and the "Сообщения" pane that stands in for the error boxes meanwhile.

#include <QAction>
#include <QMenu>

#include "common/QtText.h"
#include "common/Settings.h"
#include "common/Workbench.h"
#include "document/uSignal.h"
#include "model/RunSnapshot.h"
#include "scope/FrmOsc.h"
#include "ui/FrmMain.h"
#include "ui/LiveModelling.h"
#include "ui/MessagesPane.h"

namespace kvaril {

void TFormMain::CreateLiveModelling(QMenu* model, QMenu* view) {
    actOscBeside_ = MakeAction("actOscBeside", "Осциллограф &рядом с редактором",
                               "Осциллограф в отдельном окне рядом с редактором; F9 обновляет его");
    actOscBeside_->setCheckable(true);
    actOscBeside_->setChecked(ReadSetting(settings::kOscBesideEditor));
    actAutoRun_ = MakeAction("actAutoRun", "&Автозапуск",
                             "Запуск модели после паузы в наборе (только с осциллографом рядом)");
    actAutoRun_->setCheckable(true);
    actAutoRun_->setChecked(ReadSetting(settings::kAutoRun));
    actAutoRun_->setEnabled(actOscBeside_->isChecked());
    view->addSeparator();
    view->addAction(actOscBeside_);
    model->addSeparator();
    model->addAction(actAutoRun_);
    connect(actOscBeside_, &QAction::toggled, this, [this](bool on) {
        live_->SetBeside(on);
        actAutoRun_->setEnabled(on);
        // Back to the classic flow: the window beside the editor closes; the next run shows it
        // modally.
        if (!on && formOsc_ && formOsc_->isVisible()) formOsc_->close();
        if (!on) pnlMessages_->Clear();
    });
    connect(actAutoRun_, &QAction::toggled, this, [this](bool on) { live_->SetAutoRun(on); });
}

void TFormMain::ShowOscilloscope(TSweepShownPtr sweep) {
    if (!formOsc_) formOsc_ = new TFormOsc(workbench_, dialogs_, this, paths_);
    if (!formOsc_->isVisible()) formOsc_->SetBeside(live_->Beside());
    if (!live_->Beside()) {
        formOsc_->PrepareForRun();
        formOsc_->SetSweep(std::move(sweep));
        hide();
        struct ShowAgain {
            TFormMain* window;
            ~ShowAgain() { window->show(); }  // also when the display ends with an error
        } showAgain{this};
        formOsc_->ShowModal();
        return;
    }
    formOsc_->SetStale({});
    if (formOsc_->isVisible()) {
        formOsc_->RefreshAfterRun();
        formOsc_->SetSweep(std::move(sweep));
        return;
    }
    formOsc_->PrepareForRun();
    formOsc_->SetSweep(std::move(sweep));
    formOsc_->show();
}

void TFormMain::ListMessages(const TModelOutcome& outcome, bool goThere) {
    pnlMessages_->Clear();
    if (outcome.Error) {
        const std::optional<TSourceLocation>& place = outcome.Location;
        const TSignals& signals = workbench_.Signals;
        QString signal;
        if (place && place->SignalIndex >= 0 && place->SignalIndex < signals.Count())
            signal = FromCp1251(signals.Items(place->SignalIndex).Name());
        pnlMessages_->Add(signal, place,
                          FromUtf8(outcome.Error->Title) + ": " + FromUtf8(outcome.Error->Text));
        if (place) {
            if (goThere) ShowSignalAt(place->SignalIndex, place->Line, place->Column);
            MarkCompilerError(place->SignalIndex, place->Line, place->Column);
        }
        ShowStatus(FromUtf8(outcome.Error->Title));
    }
    if (formOsc_ && formOsc_->isVisible())
        formOsc_->SetStale(pnlMessages_->Count() > 0 ? FromUtf8(StaleNote(pnlMessages_->Count()))
                                                     : QString());
}

void TFormMain::OscilloscopeInStep() {
    if (formOsc_ && formOsc_->isVisible() && live_->Beside()) formOsc_->KeepInStep();
}

void TFormMain::OscilloscopeFollowsDocument() {
    if (!formOsc_ || !formOsc_->isVisible() || !live_->Beside() ||
        formOsc_->ShowsRunOf(workbench_.Signals))
        return;
    formOsc_->close();
    ShowStatus(
        "Осциллограф закрыт: изменились сигналы или времена модели; F9 покажет новый прогон");
}

void TFormMain::DocumentGoes() {
    live_->Yield();
    pnlMessages_->Clear();
    if (formOsc_ && formOsc_->isVisible() && live_->Beside()) formOsc_->close();
}

}  // namespace kvaril
