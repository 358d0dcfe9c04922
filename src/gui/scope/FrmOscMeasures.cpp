// The oscilloscope window's Измерения page: shown while "Вид → Измерения" is on (remembered, off
// at first), measured when it is looked at, over the Статистика page's span.

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>

#include "common/LongWork.h"
#include "common/QtText.h"
#include "common/Settings.h"
#include "common/Workbench.h"
#include "osc/OscSession.h"
#include "scope/FrmOsc.h"
#include "scope/MeasurePage.h"
#include "scope/OscPainter.h"

namespace kvaril {

void TFormOsc::CreateMeasurePage() {
    tsMeasures_ = new TMeasurePage(nullptr);
    tsMeasures_->setParent(this, tsMeasures_->windowFlags());
    tsMeasures_->hide();
    actMeasures_ = new QAction("&Измерения", this);
    actMeasures_->setObjectName("actMeasures");
    actMeasures_->setCheckable(true);
    actMeasures_->setStatusTip(
        "Страница «Измерения»: частота, уровни, фронты, импульсы и искажения каждого луча");
    for (QAction* a : menuBar()->actions())
        if (a->menu() && a->text() == "&Вид") {
            a->menu()->addSeparator();
            a->menu()->addAction(actMeasures_);
        }
    actMeasures_->setChecked(ReadSetting(settings::kOscMeasures));
    ShowMeasurePage(actMeasures_->isChecked());
    connect(actMeasures_, &QAction::toggled, this, [this](bool on) {
        WriteSetting(settings::kOscMeasures, on);
        ShowMeasurePage(on);
        if (on) tabControl_->setCurrentWidget(tsMeasures_);
    });
    connect(tsMeasures_, &TMeasurePage::SpanEdited, this, [this](const QString& text) {
        if (refreshing_) return;
        session_->SetSpan(ToUtf8(text));
        RefreshStats();
        RefreshMeasures();
        PaintGraph();
    });
    connect(tsMeasures_, &TMeasurePage::ChoiceChanged, this, [this] {
        RefreshMeasures();
        PaintGraph();
    });
    connect(tabControl_, &QTabWidget::currentChanged, this, [this] {
        RefreshMeasures();
        PaintGraph();
        if (!tsMeasures_->isVisible()) return;
        const QList<int> sizes = tabControlSplit_->sizes();
        const int total = sizes.value(0) + sizes.value(1);
        const int chrome = tabControl_->width() - tabControl_->currentWidget()->width();
        const int wanted = std::min(chrome + tsMeasures_->WantedWidth(), total / 2);
        if (tabControl_->width() < wanted)
            tabControlSplit_->setSizes({wanted, std::max(0, total - wanted)});
    });
}

void TFormOsc::ShowMeasurePage(bool on) {
    const int index = tabControl_->indexOf(tsMeasures_);
    if (on && index < 0) {
        tabControl_->addTab(tsMeasures_, "Измерения");
        // The page tabs do not scroll: the panel is never narrower than all of them.
        tabControl_->setMinimumWidth(
            std::max(tabControl_->minimumWidth(), tabControl_->tabBar()->sizeHint().width() + 4));
        RefreshMeasures();
    } else if (!on && index >= 0) {
        tabControl_->removeTab(index);  // the page stays the window's
        tsMeasures_->hide();
    }
}

void TFormOsc::RefreshMeasures() {
    if (!tsMeasures_) return;
    if (!tsMeasures_->isVisible()) {  // measured when it is looked at, and drawn only then
        session_->SetMeasured({});
        return;
    }
    double t0 = 0, t1 = 0;
    const bool ok = session_->Readings().SpanTimes(t0, t1);
    const TView* view = session_->Current();
    const TSignals& signals = workbench_.Signals;
    std::vector<TMeasureColumn> columns;
    if (!ok || AnalysisQuanta(signals, t0, t1) * signals.Count() < kLongAnalysis)
        columns = session_->Readings().MeasureColumns(tsMeasures_->Chosen(), tsMeasures_->Pairs());
    else if (LongWorkRunning())
        return;
    else if (!RunLongWork(this, "Измерения", [&](const TWorkHooks&) {
                 columns = session_->Readings().MeasureColumns(tsMeasures_->Chosen(),
                                                               tsMeasures_->Pairs());
             }))
        session_->SetStatus("Измерения прерваны");
    std::vector<TLayoutOptions::TMeasured> places;
    for (const TMeasureColumn& c : columns)
        if (c.Waveform.HasLevels)
            places.push_back({c.Signal, c.Waveform.Level10, c.Waveform.Level50, c.Waveform.Level90,
                              c.Waveform.Crossings});
    session_->SetMeasured(std::move(places));
    tsMeasures_->Show(columns, BeamColors(),
                      ToQColor(SchemeBackground(session_->Picture().Scheme())),
                      view ? SpanSuggestions(*view, session_->Cursors().CursorPairShown())
                           : std::vector<std::string>{},
                      FromUtf8(session_->Readings().SpanText()), ok);
}

}  // namespace kvaril
