#include "scope/FrmOsc.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>

#include "common/Dialogs.h"
#include "common/QtText.h"
#include "common/Settings.h"
#include "common/WindowPlacement.h"
#include "common/Workbench.h"
#include "model/RunHistory.h"
#include "osc/BeamPalette.h"
#include "osc/OscSession.h"
#include "scope/BeamPage.h"
#include "scope/FrmResponse.h"
#include "scope/FrmSpectrum.h"
#include "scope/OscPainter.h"
#include "scope/PaintAreas.h"
#include "scope/TimePanel.h"

namespace kvaril {

namespace {

// The smallest outer size of the window.
constexpr QSize kMinimumOuterSize(300, 200);

}  // namespace

TFormOsc::TFormOsc(TWorkbench& workbench, TDialogs& dialogs, QWidget* owner,
                   const TProgramPaths& paths)
    : QMainWindow(owner, Qt::Window),
      workbench_(workbench),
      paths_(paths),
      dialogs_(dialogs),
      session_(std::make_unique<TOscSession>(workbench.Osc, workbench.Signals)),
      picture_(std::make_unique<TGraphPicture>()),
      grid_(std::make_unique<TGridLayout>()) {
    session_->SetRunHistory(&workbench.Runs);
    setObjectName("FormOsc");
    setWindowTitle("Kvaril - Многолучевой осциллограф");
    setWindowModality(Qt::ApplicationModal);
    CreateActions();
    tabControlSplit_ = new QSplitter(Qt::Horizontal, this);
    tabControlSplit_->setObjectName("tabControlSplit");
    tabControlSplit_->setHandleWidth(3);
    tabControlSplit_->setChildrenCollapsible(false);
    CreateControlPanel();
    CreateScreenArea();
    ConnectScreenArea();
    CreateAnalysis();
    CreateSweepPage();
    CreateMeasurePage();
    CreateCursorActions();
    tabControlSplit_->setStretchFactor(1, 1);
    tabControlSplit_->setSizes({170, 590});
    setCentralWidget(tabControlSplit_);
    pnlStatus_ = new QLabel(statusBar());
    pnlStatus_->setObjectName("pnlStatus");
    pnlStatus_->setTextFormat(Qt::PlainText);
    statusBar()->addWidget(pnlStatus_, 1);
    resize(760, 480);
    FitMinimumSize();
    Place(owner);
}

void TFormOsc::Place(QWidget* owner) {
    QSettings settings = OpenSettings();
    if (RestoreWindowPlacement(settings,
                               beside_ ? settings::kOscBesideWindow : settings::kOscWindow, this,
                               tabControlSplit_))
        return;
    QScreen* screen = owner ? owner->screen() : QApplication::primaryScreen();
    if (!screen) return;
    const QRect free = screen->availableGeometry();
    if (!beside_) {
        // Nothing remembered: the traces get most of the free area of the owner's screen.
        resize(QSize(free.width() * 9 / 10, free.height() * 9 / 10).expandedTo(minimumSize()));
        move(free.center() - rect().center());
        return;
    }
    // Beside the editor on one screen: the traces take the right three fifths, the editor the
    // rest, so that neither hides the other.
    const int split = free.left() + free.width() * 2 / 5;
    // Sized by its frame, as the main window is. Before it is first shown the window manager
    // has not framed it yet: its frame is taken to be the main window's, which the same window
    // manager framed.
    QSize frame = frameGeometry().size() - geometry().size();
    if (frame.isNull() && owner) frame = owner->frameGeometry().size() - owner->geometry().size();
    resize(QSize(free.right() + 1 - split, free.height()).expandedTo(minimumSize()) - frame);
    move(split, free.top());
    if (owner && owner->frameGeometry().right() > split) {
        owner->move(free.topLeft());
        owner->resize(QSize(split - free.left(), free.height()) -
                      (owner->frameGeometry().size() - owner->geometry().size()));
    }
}

void TFormOsc::SetBeside(bool beside) {
    if (beside == beside_) return;
    beside_ = beside;
    setWindowModality(beside ? Qt::NonModal : Qt::ApplicationModal);
    // Beside the editor the keys stay with the editor when the window appears.
    setAttribute(Qt::WA_ShowWithoutActivating, beside);
    Place(parentWidget());
}

TFormOsc::~TFormOsc() = default;

void TFormOsc::FitMinimumSize() {
    // The outer size may not go below the classic minimum, nor the inner size below what the
    // controls need to show everything uncut. The main window's layout does not follow the
    // hints of the panes inside the splitter by itself, so they are made explicit.
    const QSize panes = tabControlSplit_->minimumSizeHint();
    if (tabControlSplit_->minimumSize() != panes) tabControlSplit_->setMinimumSize(panes);
    const QSize frame = frameGeometry().size() - geometry().size();
    const QSize needed = layout() ? layout()->totalMinimumSize() : QSize();
    setMinimumSize(needed.expandedTo(kMinimumOuterSize - frame));
}

void TFormOsc::Act(const char* sender, const std::function<void()>& body) {
    try {
        body();
    } catch (const std::exception& e) {
        dialogs_.Debug(this, UnexpectedErrorText(sender, e));
    }
    Refresh();
}

void TFormOsc::PrepareForRun() {
    session_->PrepareForRun();
    panFromX_ = -1;
    refreshing_ = true;
    tsBeamList_->clear();
    for (const std::string& name : session_->Beams().SignalNames())
        tsBeamList_->addItem(FromUtf8(name));
    refreshing_ = false;
    tsMaxValueLabel_->clear();
    pnlTime_->CloseEntry();
    Refresh();
}

void TFormOsc::RefreshAfterRun() {
    if (!session_->PreparedFor(workbench_.Signals)) {
        PrepareForRun();
        return;
    }
    session_->RefreshForRun();
    panFromX_ = -1;
    tsMaxValueLabel_->clear();
    Refresh();
}

void TFormOsc::SetSweep(TSweepShownPtr sweep) {
    session_->SetSweep(std::move(sweep));
    Refresh();
}

bool TFormOsc::ShowsRunOf(const TSignals& signals) const { return session_->PreparedFor(signals); }

void TFormOsc::SetStale(const QString& note) {
    const QString title = "Kvaril - Многолучевой осциллограф";
    setWindowTitle(note.isEmpty() ? title : title + " (" + note + ")");
    if (!note.isEmpty()) session_->SetStatus(ToUtf8(note));
    Refresh();
}

void TFormOsc::ShowModal() {
    show();
    raise();
    activateWindow();
    // A loop of its own that sleeps until something happens and ends with the window: hidden,
    // destroyed with its owner, or the program quitting (which ends every loop).
    QEventLoop loop;
    connect(this, &TFormOsc::Hidden, &loop, &QEventLoop::quit);
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    if (isVisible() && !QCoreApplication::closingDown()) loop.exec();
}

void TFormOsc::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    // Minimizing hides the window on the screen only; it stays open.
    if (!isVisible()) Q_EMIT Hidden();
}

void TFormOsc::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    tabControl_->setVisible(actOscControl_->isChecked());
    Refresh();
    FitMinimumSize();
    sbTime_->setFocus();
}

void TFormOsc::closeEvent(QCloseEvent* event) {
    QSettings settings = OpenSettings();
    SaveWindowPlacement(settings, beside_ ? settings::kOscBesideWindow : settings::kOscWindow, this,
                        tabControlSplit_);
    if (frmSpectrum_) frmSpectrum_->close();
    if (frmResponse_) frmResponse_->close();
    session_->Close();
    Refresh();
    event->accept();
}

bool TFormOsc::event(QEvent* event) {
    // The enabling rules, whenever the window has handled something.
    const bool result = QMainWindow::event(event);
    if (event->type() == QEvent::UpdateRequest || event->type() == QEvent::WindowActivate ||
        event->type() == QEvent::Show)
        UpdateActions();
    return result;
}

bool TFormOsc::eventFilter(QObject* watched, QEvent* event) {
    // A scroll bar inverts its controls so that the wheel and Page Down move on; its arrow keys
    // follow, which sent Left later in time. On the time axis Left is earlier.
    if (watched == sbTime_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Left || key == Qt::Key_Right) {
            sbTime_->triggerAction(key == Qt::Key_Left ? QAbstractSlider::SliderSingleStepSub
                                                       : QAbstractSlider::SliderSingleStepAdd);
            return true;
        }
    }
    if (watched == pbGraph_ && event->type() == QEvent::KeyPress &&
        (CursorKey(*static_cast<QKeyEvent*>(event)) || StepKey(*static_cast<QKeyEvent*>(event))))
        return true;
    if (watched == pbLabels_ && event->type() == QEvent::ToolTip && MarkerToolTip(event))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

void TFormOsc::UpdateActions() {
    actViewAdd_->setEnabled(session_->CanAddScreen());
    actViewDelete_->setEnabled(session_->CanDeleteScreen());
    actViewRename_->setEnabled(session_->Current() != nullptr);
    actOscUndo_->setEnabled(session_->CanUndo());
    actOscRedo_->setEnabled(session_->CanRedo());
    actBeamFit_->setEnabled(session_->Current() != nullptr &&
                            !session_->Beams().Selection().empty());
    actCompareRun_->setEnabled(session_->References().Choices().size() > 1);
    actPinReference_->setEnabled(session_->References().CanPin());
    const QString hint =
        actOscControl_->isChecked() ? "Скрытие панели управления" : "Отображение панели управления";
    actOscControl_->setStatusTip(hint);
    actOscControl_->setToolTip(hint);
}

void TFormOsc::CommitEntry() {
    session_->CommitEntry();
    RefreshEntry();
}

// ---- showing the session

void TFormOsc::Refresh() {
    if (refreshing_) return;
    refreshing_ = true;
    RefreshEntry();
    RefreshTabs();
    RefreshTimes();
    RefreshBeamTable();
    RefreshValues();
    RefreshStats();
    RefreshMeasures();
    RefreshSweep();
    RefreshCursor();
    PaintGraph();
    PaintLabels();
    mnuScheme_[static_cast<int>(session_->Picture().Scheme())]->setChecked(true);
    RefreshStatus();
    UpdateActions();
    FitMinimumSize();  // longer times may need more room
    refreshing_ = false;
}

void TFormOsc::RefreshEntry() {
    if (session_->Entry().Open() == pnlTime_->EntryOpen()) return;
    if (session_->Entry().Open()) {
        QStringList suggestions;
        for (const std::string& s : session_->Entry().Suggestions()) suggestions << FromUtf8(s);
        pnlTime_->OpenEntry(session_->Entry().Mode(), FromUtf8(session_->Entry().Text()),
                            suggestions);
        session_->SetEntryText(ToUtf8(pnlTime_->EntryText()));
    } else {
        pnlTime_->CloseEntry();
        sbTime_->setFocus();
    }
}

void TFormOsc::RefreshTabs() {
    const QSignalBlocker quiet(tabGraph_);
    const int count = session_->ScreenCount();
    while (tabGraph_->count() > count) tabGraph_->removeTab(tabGraph_->count() - 1);
    for (int i = 0; i < count; ++i) {
        const QString name = FromUtf8(session_->ScreenName(i));
        if (i >= tabGraph_->count())
            tabGraph_->addTab(name);
        else if (tabGraph_->tabText(i) != name)
            tabGraph_->setTabText(i, name);
    }
    tabGraph_->setCurrentIndex(session_->CurrentScreen());
    // A tab bar changed while the window is hidden does not ask the layout for room: laid out
    // once while empty, it kept no height and showed no tabs.
    tabGraph_->updateGeometry();
}

void TFormOsc::RefreshTimes() {
    const TScrollState s = session_->TimeView().Scroll();
    {
        const QSignalBlocker quiet(sbTime_);
        sbTime_->setRange(0, s.Maximum);
        sbTime_->setPageStep(s.LargeStep);
        sbTime_->setSingleStep(s.SmallStep);
    }
    sbTime_->setValue(s.Position);  // a changed position takes the window with it
    pnlTime_->SetTexts(FromUtf8(session_->TimeView().T0Text()),
                       FromUtf8(session_->TimeView().CaptionText()),
                       FromUtf8(session_->TimeView().T1Text()));
}

void TFormOsc::RefreshBeamTable() {
    const QSignalBlocker quiet(tsBeamList_);
    for (int i = 0; i < tsBeamList_->count(); ++i)
        tsBeamList_->item(i)->setSelected(session_->Beams().Selection().count(i) > 0);
    for (int r = 0; r < kBeamRowCount; ++r)
        if (QTableWidgetItem* item = tsBeamGrid_->item(r, 1))
            item->setText(FromUtf8(session_->Beams().BeamText(static_cast<TBeamRow>(r))));
    tsMaxValueLabel_->setText(FromUtf8(session_->Beams().MaxValueText()));
}

void TFormOsc::RefreshValues() {
    const TColorScheme scheme = session_->Picture().Scheme();
    // Classic or per beam, as the traces are drawn (taken modulo the table, as BeamColor does).
    const bool perBeam = session_->Picture().BeamColors();
    const auto colorOf = [scheme, perBeam](int index) {
        return ToQColor(BeamColorOf(scheme, perBeam, index));
    };
    TDeltaReadout delta = session_->Cursors().Delta();
    const std::vector<TValueRow> values = session_->Readings().ValueRows();
    // A sweep's runs: a value each after the names, in place of the value, the reference run's
    // and the marker's columns.
    const int sweepRuns = values.empty() ? 0 : static_cast<int>(values[0].Runs.size());
    if (sweepRuns > 0) delta.Rows.clear();
    const bool compare = sweepRuns == 0 && session_->References().Reference() != nullptr;
    // The classic three columns, the reference run's two, then the marker's two.
    const int deltaAt = compare ? kValueColumns : 3;
    QVector<TValueGrid::TRow> rows;
    for (size_t r = 0; r < values.size(); ++r) {
        const TValueRow& row = values[r];
        TValueGrid::TRow cells(kValueColumns + 2);
        const QColor color = colorOf(row.Cells[2].ColorIndex);
        for (size_t c = 0; c < kValueColumns; ++c)
            cells[c] = {FromUtf8(row.Cells[c].Text), colorOf(row.Cells[c].ColorIndex)};
        if (r < delta.Rows.size()) {
            cells[deltaAt] = {FromUtf8(delta.Rows[r].Reference), color};
            cells[deltaAt + 1] = {FromUtf8(delta.Rows[r].Delta), color};
        }
        if (sweepRuns > 0) {
            cells.resize(2);
            for (const TValueCell& run : row.Runs)
                cells.push_back({FromUtf8(run.Text), ToQColor(run.Color)});
        }
        rows.push_back(cells);
    }
    const int columns = sweepRuns > 0 ? 2 + sweepRuns : deltaAt + (delta.Reference >= 0 ? 2 : 0);
    // The panel widens when the table is opened (room for a marker's two columns too) or a
    // reference run is chosen; never when a marker is put: that is a click on the strip, and
    // the traces must not move under the pointer (the next click there would miss the marker).
    const bool valuesShown = tabControl_->currentWidget() == tsValueGrid_->parentWidget();
    // A sweep's runs widen it by a few numbers at most: the rest share what there is.
    const int numbers =
        sweepRuns > 0 ? std::min(sweepRuns, 4) : 1 + (compare ? 2 : 0) + (valuesShown ? 2 : 0);
    if (numbers > panelNumbers_ && tabControl_->currentWidget()) {
        const int chrome = tabControl_->width() - tabControl_->currentWidget()->width();
        const int wanted = chrome + tsValueGrid_->WidthFor(numbers);
        if (tabControl_->width() < wanted) {
            const QList<int> sizes = tabControlSplit_->sizes();
            const int total = sizes.value(0) + sizes.value(1);
            tabControlSplit_->setSizes({wanted, std::max(0, total - wanted)});
        }
        panelNumbers_ = numbers;
    }
    QStringList titles;
    for (const std::string& title : session_->Readings().ValueTitles(delta))
        titles << FromUtf8(title);
    tsValueGrid_->SetRows(std::move(rows), ToQColor(SchemeBackground(scheme)), columns, titles);
    tsDeltaLabel_->setText(FromUtf8(delta.Header));
    tsDeltaLabel_->setVisible(!delta.Header.empty());
}

void TFormOsc::RefreshCursor() {
    pbGraph_->SetCursorX(session_->Cursors().ShownCursorColumn());
    pnlTime_->SetCaption(FromUtf8(session_->TimeView().CaptionText()));
    if (!refreshing_) RefreshValues();
}

void TFormOsc::RefreshStatus() {
    if (session_->WarningCount() != warningsShown_) {
        warningsShown_ = session_->WarningCount();
        dialogs_.Beep();
    }
    pnlStatus_->setText(FromUtf8(session_->Status()));
}

void TFormOsc::PaintGraph() {
    const QSize size = pbGraph_->size();
    // The strip's names are placed by the traces' width: a new width (a dragged splitter, a
    // resized window) moves them at once, whichever of the two areas was resized first.
    const bool newWidth = session_->TimeView().GraphWidth() != size.width();
    session_->SetGraphWidth(size.width());
    if (newWidth && !refreshing_) PaintLabels();
    if (!pbGraph_->FitPicture()) {
        // The area keeps its previous content; the next paint tries again.
        session_->Warn("Отказ выделения памяти для рисования графиков");
        RefreshStatus();
        return;
    }
    session_->SetLegendText(LegendMetrics(QFontMetrics(pbGraph_->font())));
    session_->Picture().LayoutGraph(size.width(), size.height(), *picture_);
    if (session_->Picture().ShowGrid())
        session_->Picture().LayoutGrid(size.width(), size.height(), *grid_, GridTextMetrics());
    pbGraph_->ShowPicture(picture_.get(), session_->Picture().ShowGrid() ? grid_.get() : nullptr);
    RefreshMarkLines();
}

void TFormOsc::PaintLabels() {
    const QSize size = pbLabels_->size();
    if (!pbLabels_->FitPicture()) return;
    QPainter p(&pbLabels_->Picture);
    PaintLabelStrip(p, session_->Cursors().LayoutLabels(), size, palette().color(QPalette::Button));
    p.end();
    pbLabels_->update();
}

// ---- commands that ask the user

void TFormOsc::ViewAdd() {
    CommitEntry();
    if (!session_->CanAddScreen()) return;
    if (std::optional<QString> name = dialogs_.Name(this, "Имя экрана", "Экран"))
        session_->AddScreen(ToUtf8(*name));
}

void TFormOsc::ViewDelete() {
    CommitEntry();
    if (!session_->CanDeleteScreen()) return;
    if (dialogs_.Confirm(this, FromUtf8(session_->DeleteQuestion())) == TAnswer::Yes)
        session_->DeleteScreen();
}

void TFormOsc::ViewRename() {
    CommitEntry();
    if (!session_->Current()) return;
    const QString name = FromUtf8(session_->ScreenName(session_->CurrentScreen()));
    if (std::optional<QString> answer = dialogs_.Name(this, "Новое имя экрана", name))
        session_->RenameScreen(ToUtf8(*answer));
}

void TFormOsc::CompareWithRun() {
    CommitEntry();
    const std::vector<TRunChoice> choices = session_->References().Choices();
    QStringList items;
    int current = 0;
    const TStoredRun* reference = session_->References().Reference();
    for (size_t i = 0; i < choices.size(); ++i) {
        items << FromUtf8(choices[i].Text);
        if (reference && choices[i].Id == reference->Id) current = static_cast<int>(i);
    }
    const std::optional<int> picked = dialogs_.Choose(this, "Сравнить с запуском:", items, current);
    if (picked && *picked >= 0 && *picked < static_cast<int>(choices.size()))
        session_->SetReference(choices[static_cast<size_t>(*picked)].Id);
}

}  // namespace kvaril
