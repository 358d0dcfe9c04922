// The oscilloscope window's measurements: the Δ readout's reference marker, the stepping keys,
// the statistics page and the spectrum window. Each handler calls the session and refreshes.

#include <QAction>
#include <QActionGroup>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>

#include "common/LongWork.h"
#include "common/QtText.h"
#include "common/Settings.h"
#include "common/Workbench.h"
#include "document/uBeam.h"
#include "osc/OscSession.h"
#include "osc/OscTime.h"
#include "scope/FrmOsc.h"
#include "scope/FrmResponse.h"
#include "scope/FrmSpectrum.h"
#include "scope/OscPainter.h"
#include "scope/PaintAreas.h"
#include "scope/StatsPage.h"

namespace kvaril {

void TFormOsc::CreateAnalysis() {
    CreateStatsPage();
    CreateSpectrumAction();
    CreateResponseAction();
    CreateGridAction();
    CreateBeamColorsAction();
    pbGraph_->setFocusPolicy(Qt::StrongFocus);
    pbGraph_->installEventFilter(this);  // the stepping keys, see StepKey
    connect(pbLabels_, &TPaintArea::Pressed, this,
            [this](int x, Qt::MouseButton button, Qt::KeyboardModifiers) {
                if (button == Qt::RightButton) ReferenceMenu(x);
            });
}

void TFormOsc::CreateStatsPage() {
    tsStats_ = new TStatsPage(nullptr);
    tabControl_->addTab(tsStats_, "Статистика");
    tabControl_->setMinimumWidth(
        std::max(tabControl_->minimumWidth(), tabControl_->tabBar()->sizeHint().width() + 4));
    connect(tsStats_, &TStatsPage::SpanEdited, this, [this](const QString& text) {
        if (refreshing_) return;
        session_->SetSpan(ToUtf8(text));
        RefreshStats();
    });
    connect(tabControl_, &QTabWidget::currentChanged, this, [this] {
        RefreshValues();
        RefreshStats();
        WidenForStats();
    });
}

// When the statistics page opens (never under a click on the traces) the panel widens to show
// every beam's column, up to half the window.
void TFormOsc::WidenForStats() {
    if (!tsStats_ || !tsStats_->isVisible() || !tabControl_->currentWidget()) return;
    const int chrome = tabControl_->width() - tabControl_->currentWidget()->width();
    const QList<int> sizes = tabControlSplit_->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    const int wanted = std::min(chrome + tsStats_->WantedWidth(), total / 2);
    if (tabControl_->width() < wanted)
        tabControlSplit_->setSizes({wanted, std::max(0, total - wanted)});
}

void TFormOsc::CreateSpectrumAction() {
    actSpectrum_ = new QAction("&Спектр...", this);
    actSpectrum_->setObjectName("actSpectrum");
    const QString hint =
        "Спектр выбранных лучей (всех показанных, если ни один не выбран) по окну времени, "
        "всему запуску или между метками";
    actSpectrum_->setStatusTip(hint);
    actSpectrum_->setToolTip(hint);
    for (QMenu* menu : menuBar()->findChildren<QMenu*>())
        if (menu->title() == "&Лучи") {
            menu->addSeparator();
            menu->addAction(actSpectrum_);
        }
    if (auto* speedBar = findChild<QToolBar*>("SpeedBar")) {
        speedBar->addSeparator();
        speedBar->addAction(actSpectrum_);
    }
    connect(actSpectrum_, &QAction::triggered, this,
            [this] { Act("QAction", [this] { ShowSpectrum(); }); });
}

void TFormOsc::CreateResponseAction() {
    actResponse_ = new QAction("&Передаточная функция...", this);
    actResponse_->setObjectName("actResponse");
    const QString hint =
        "Усиление, фаза и когерентность выходов фильтра по его входу: выберите лучи входа и "
        "выходов";
    actResponse_->setStatusTip(hint);
    actResponse_->setToolTip(hint);
    for (QMenu* menu : menuBar()->findChildren<QMenu*>())
        if (menu->title() == "&Лучи") menu->addAction(actResponse_);
    connect(actResponse_, &QAction::triggered, this,
            [this] { Act("QAction", [this] { ShowResponse(); }); });
}

void TFormOsc::CreateGridAction() {
    // "Вид" goes before the help menu.
    actGrid_ = new QAction("&Сетка", this);
    actGrid_->setObjectName("actGrid");
    actGrid_->setCheckable(true);
    actGrid_->setStatusTip("Сетка, шкала времени и шкалы значений групп");
    actGrid_->setToolTip(actGrid_->statusTip());
    // Other view options may have made the menu already.
    QMenu* view = nullptr;
    QAction* before = nullptr;
    for (QAction* a : menuBar()->actions()) {
        if (a->menu() && a->text() == "&Вид") view = a->menu();
        if (a->text() == "&?") before = a;
    }
    if (!view) {
        view = new QMenu("&Вид", this);
        view->setObjectName("mnuView");
        menuBar()->insertMenu(before, view);
    }
    view->addAction(actGrid_);
    actGrid_->setChecked(ReadSetting(settings::kOscGrid));
    session_->SetShowGrid(actGrid_->isChecked());
    connect(actGrid_, &QAction::toggled, this, [this](bool on) {
        WriteSetting(settings::kOscGrid, on);
        Act("QAction", [this, on] { session_->SetShowGrid(on); });
    });
}

// ---- "Вид → Цвета по лучам": in the menu after the grid and on the speed bar
void TFormOsc::CreateBeamColorsAction() {
    actBeamColors_ = new QAction("&Цвета по лучам", this);
    actBeamColors_->setObjectName("actBeamColors");
    actBeamColors_->setCheckable(true);
    actBeamColors_->setStatusTip(
        "Каждый луч своим цветом: на экране, в подписях, в значениях, статистике и спектре");
    actBeamColors_->setToolTip(actBeamColors_->statusTip());
    for (QAction* a : menuBar()->actions())
        if (a->menu() && a->text() == "&Вид") a->menu()->addAction(actBeamColors_);
    if (auto* speedBar = findChild<QToolBar*>("SpeedBar")) {
        speedBar->addSeparator();
        speedBar->addAction(actBeamColors_);
    }
    actBeamColors_->setChecked(ReadSetting(settings::kOscBeamColors));
    session_->SetBeamColors(actBeamColors_->isChecked());
    connect(actBeamColors_, &QAction::toggled, this, [this](bool on) {
        WriteSetting(settings::kOscBeamColors, on);
        Act("QAction", [this, on] { session_->SetBeamColors(on); });
    });
}

// The colours the readings' colour indices stand for, as the traces are drawn.
std::vector<QColor> TFormOsc::BeamColors() const {
    std::vector<QColor> colors;
    for (const TRgb& c : session_->Picture().BeamColorTable()) colors.push_back(ToQColor(c));
    return colors;
}

void TFormOsc::RefreshStats() {
    if (!tsStats_ || !tsStats_->isVisible()) return;  // computed when it is looked at
    double t0 = 0, t1 = 0;
    const bool ok = session_->Readings().SpanTimes(t0, t1);
    const TView* view = session_->Current();
    // A long range is read beside the window, with the box that can stop it.
    std::vector<TStatsRow> rows;
    const TSignals& signals = workbench_.Signals;
    if (!ok || AnalysisQuanta(signals, t0, t1) * signals.Count() < kLongAnalysis)
        rows = session_->Readings().StatsRows();
    else if (LongWorkRunning())
        return;  // the work under way reads the samples; this refresh comes after it
    else if (!RunLongWork(this, "Статистика", [&](const TWorkHooks& hooks) {
                 rows = session_->Readings().StatsRows(hooks);
             }))
        session_->SetStatus("Статистика прервана");
    tsStats_->Show(rows, BeamColors(), ToQColor(SchemeBackground(session_->Picture().Scheme())),
                   view ? SpanSuggestions(*view, session_->Cursors().CursorPairShown())
                        : std::vector<std::string>{},
                   FromUtf8(session_->Readings().SpanText()), ok);
}

bool TFormOsc::StepKey(const QKeyEvent& event) {
    const bool ten = event.modifiers() & Qt::ShiftModifier;
    TCursorStep step;
    switch (event.key()) {
        case Qt::Key_Left:
            step = ten ? TCursorStep::LeftTen : TCursorStep::Left;
            break;
        case Qt::Key_Right:
            step = ten ? TCursorStep::RightTen : TCursorStep::Right;
            break;
        case Qt::Key_Home:
            step = TCursorStep::Home;
            break;
        case Qt::Key_End:
            step = TCursorStep::End;
            break;
        case Qt::Key_Escape:
            Act("TPaintBox", [this] { session_->EndStepping(); });
            return true;
        default:
            return false;
    }
    Act("TPaintBox", [this, step] { session_->StepTime(step); });
    return true;
}

void TFormOsc::ReferenceMenu(int x) {
    const TView* view = session_->Current();
    if (!view) return;
    QMenu menu(this);
    menu.setObjectName("pmnuReference");
    menu.addSection("Опорная метка");
    auto* group = new QActionGroup(&menu);
    auto add = [&](const QString& caption, int label) {
        QAction* a = menu.addAction(caption);
        a->setCheckable(true);
        a->setChecked(session_->Cursors().PickedReferenceMarker() == label);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, label] {
            Act("TPopupMenu", [this, label] { session_->PickReferenceMarker(label); });
        });
    };
    add("Ближайшая слева от курсора", -1);
    for (int i = 0; i < view->TimeLabelCount(); ++i)
        add(QString("%1   (%2)")
                .arg(FromUtf8(MarkerName(i)), FromUtf8(FormatOscTime(workbench_.Signals.QuantTime(),
                                                                     view->TimeLabel(i).Time()))),
            i);
    menu.exec(pbLabels_->mapToGlobal(QPoint(x, pbLabels_->height())));
}

void TFormOsc::ShowSpectrum() {
    CommitEntry();
    if (!session_->Current()) return;
    if (!frmSpectrum_) frmSpectrum_ = new TFormSpectrum(workbench_.Signals, this);
    frmSpectrum_->Open(session_->Readings().SpectrumRequest(), BeamColors(),
                       ToQColor(SchemeBackground(session_->Picture().Scheme())));
    frmSpectrum_->Present();  // also out of the taskbar, or from behind other windows
}

void TFormOsc::ShowResponse() {
    CommitEntry();
    if (!session_->Current()) return;
    if (!frmResponse_) frmResponse_ = new TFormResponse(workbench_.Signals, this);
    frmResponse_->Open(session_->Readings().ResponseSetup(), BeamColors(),
                       ToQColor(SchemeBackground(session_->Picture().Scheme())));
    frmResponse_->Present();
}

}  // namespace kvaril
