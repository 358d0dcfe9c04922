#include "osc/FrmOsc.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "Errors.h"
#include "model/uSignalsData.h"
#include "osc/BeamPage.h"
#include "osc/BeamSettingText.h"
#include "osc/BeamTable.h"
#include "osc/OscPainter.h"
#include "osc/OscTime.h"
#include "osc/PaintAreas.h"
#include "osc/PictureExport.h"
#include "osc/ScreenLayout.h"
#include "osc/TimePanel.h"
#include "ui/Dialogs.h"
#include "ui/FrmAbout.h"
#include "ui/Help.h"
#include "ui/Icons.h"
#include "ui/QtText.h"
#include "ui/Workbench.h"

namespace kvaril {

namespace {

QIcon OscIcon(int index) {
    // Exit, control panel, add screen, delete screen.
    static const int kMain[] = {icoFileLoad, icoSearchPan, icoSignalAdd, icoSignalDelete};
    return MainIcon(kMain[index]);
}

}  // namespace

TFormOsc::TFormOsc(TWorkbench& workbench, TDialogs& dialogs, QWidget* owner)
    : QMainWindow(owner, Qt::Window),
      workbench_(workbench),
      dialogs_(dialogs),
      picture_(std::make_unique<TGraphPicture>()) {
    setObjectName("FormOsc");
    setWindowTitle("Kvaril - Многолучевой осциллограф");
    setWindowModality(Qt::ApplicationModal);
    CreateActions();
    CreateWidgets();
    resize(760, 480);
    setMinimumSize(300, 200);
    if (QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TFormOsc::~TFormOsc() = default;

void TFormOsc::Guard(const char* sender, const std::function<void()>& body) {
    try {
        body();
    } catch (const std::exception& e) {
        dialogs_.Debug(this, UnexpectedErrorText(sender, e));
    }
}

void TFormOsc::CreateActions() {
    auto make = [this](const QString& caption, const QString& hint, int icon = -1,
                       const QKeySequence& key = {}) {
        auto* a = new QAction(caption, this);
        a->setStatusTip(hint);
        a->setToolTip(hint);
        if (icon >= 0) a->setIcon(OscIcon(icon));
        if (!key.isEmpty()) a->setShortcut(key);
        return a;
    };
    actOscControl = make("&Панель управления", "Скрытие панели управления", 1, QKeySequence("F2"));
    actOscControl->setCheckable(true);
    actOscControl->setChecked(true);
    actOscExit = make("&Выход", "Выход из осциллографа", 0);
    actViewAdd = make("&Добавить...", "Создание нового экрана", 2);
    actViewDelete = make("&Удалить...", "Удаление текущего экрана", 3);
    actViewRename = make("&Переименовать...", "Переименование экрана");
    actBeamToOneGroup = make("В &одну группу", "Сборка всех лучей в одну группу");
    actBeamToManyGroup =
        make("По &разным группам", "Распределение всех лучей по различным группам");
    actExportPicture =
        make("Сохранить &картинку...", "Сохранение изображения экрана в файл PNG или SVG");

    QMenu* osc = menuBar()->addMenu("&Осциллограф");
    osc->addAction(actOscControl);
    QMenu* colour = osc->addMenu("&Цвет экрана");
    auto* schemes = new QActionGroup(this);
    mnuGray = colour->addAction("&Серый");
    mnuWhite = colour->addAction("&Белый");
    mnuBlack = colour->addAction("&Черный");
    int tag = 0;
    for (QAction* a : {mnuGray, mnuWhite, mnuBlack}) {
        a->setCheckable(true);
        a->setData(tag);
        schemes->addAction(a);
        connect(a, &QAction::triggered, this,
                [this, tag] { Guard("QAction", [&] { SetScheme(tag); }); });
        ++tag;
    }
    mnuGray->setChecked(true);
    osc->addAction(actExportPicture);
    osc->addSeparator();
    osc->addAction(actOscExit);
    QMenu* view = menuBar()->addMenu("&Экран");
    view->addActions({actViewAdd, actViewDelete});
    view->addSeparator();
    view->addAction(actViewRename);
    QMenu* beams = menuBar()->addMenu("&Лучи");
    beams->addActions({actBeamToOneGroup, actBeamToManyGroup});
    QAction* help =
        make("&Содержание", "Справочные сведения об осциллографе", -1, QKeySequence("F1"));
    QAction* about = make("&О программе", "Сведения о программе Kvaril");
    QMenu* helpMenu = menuBar()->addMenu("&?");
    helpMenu->addAction(help);
    helpMenu->addSeparator();
    helpMenu->addAction(about);
    connect(help, &QAction::triggered, this, [this] { ShowHelp(this, THelpTopic::Oscilloscope); });
    connect(about, &QAction::triggered, this, [this] { ShowAbout(this); });

    SpeedBar = addToolBar("SpeedBar");
    SpeedBar->setMovable(false);
    SpeedBar->setIconSize(QSize(20, 20));
    SpeedBar->setContextMenuPolicy(Qt::PreventContextMenu);
    SpeedBar->addActions({actOscControl, actOscExit});
    SpeedBar->addSeparator();
    SpeedBar->addActions({actViewAdd, actViewDelete});

    auto on = [this](QAction* a, std::function<void()> body) {
        connect(a, &QAction::triggered, this, [this, body] { Guard("QAction", body); });
    };
    on(actOscControl, [this] {
        FocusScrollBar();
        ShowControlPanel();
    });
    on(actOscExit, [this] {
        FocusScrollBar();
        close();
    });
    on(actViewAdd, [this] { ViewAdd(); });
    on(actViewDelete, [this] { ViewDelete(); });
    on(actViewRename, [this] { ViewRename(); });
    on(actBeamToOneGroup, [this] { BeamsToOneGroup(); });
    on(actBeamToManyGroup, [this] { BeamsToManyGroups(); });
    on(actExportPicture, [this] { ExportPicture(); });
}

void TFormOsc::CreateWidgets() {
    tabControlSplit = new QSplitter(Qt::Horizontal, this);
    tabControlSplit->setHandleWidth(3);
    tabControlSplit->setChildrenCollapsible(false);

    tabControl = new QTabWidget(tabControlSplit);
    tabControl->setMinimumWidth(110);
    auto* tsBeam = new QWidget;
    auto* beamLayout = new QVBoxLayout(tsBeam);
    beamLayout->setContentsMargins(2, 2, 2, 2);
    auto* tsBeamSplitter = new QSplitter(Qt::Vertical, tsBeam);
    tsBeamSplitter->setHandleWidth(3);
    tsBeamList = new QListWidget(tsBeamSplitter);
    tsBeamList->setObjectName("tsBeamList");
    tsBeamList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* gridPanel = new QWidget(tsBeamSplitter);
    auto* gridLayout = new QVBoxLayout(gridPanel);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    gridLayout->setSpacing(0);
    tsMaxValueLabel = new QLabel(gridPanel);
    tsMaxValueLabel->setTextFormat(Qt::PlainText);
    tsMaxValueLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    tsBeamGrid = new QTableWidget(5, 2, gridPanel);
    tsBeamGrid->setObjectName("tsBeamGrid");
    tsBeamGrid->horizontalHeader()->hide();
    tsBeamGrid->verticalHeader()->hide();
    tsBeamGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tsBeamGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tsBeamGrid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    // Wide enough for the longest caption in the window's font (48 pixels at the classic size).
    int captionWidth = 48;
    for (const TBeamRow& row : BeamRows())
        captionWidth = std::max(
            captionWidth, tsBeamGrid->fontMetrics().horizontalAdvance(FromUtf8(row.Caption)) + 10);
    tsBeamGrid->setColumnWidth(0, captionWidth);
    for (int r = 0; r < 5; ++r) {
        tsBeamGrid->setRowHeight(r, r == 0 ? 17 : 18);
        auto* caption = new QTableWidgetItem(FromUtf8(BeamRows()[static_cast<size_t>(r)].Caption));
        caption->setFlags(Qt::ItemIsEnabled);
        tsBeamGrid->setItem(r, 0, caption);
        tsBeamGrid->setItem(r, 1, new QTableWidgetItem);
    }
    tsBeamGrid->setFixedHeight(17 + 4 * 18 + 4);
    auto* delegate = new TBeamCellDelegate(tsBeamGrid);
    delegate->PickList = [](int row) {
        QStringList items;
        for (const std::string& s : BeamRows()[static_cast<size_t>(row)].PickList)
            items << FromUtf8(s);
        return items;
    };
    delegate->OnOpen = [this](int row) {
        OscStatus(FromUtf8(BeamRows()[static_cast<size_t>(row)].Hint));
    };
    delegate->OnText = [this](int row, const QString& text) {
        Guard("TInplaceEdit", [&] { ApplyBeamText(row, text); });
    };
    delegate->OnClose = [this](int row, const QString& text) {
        Guard("TInplaceEdit", [&] { ApplyBeamText(row, text); });
        RedrawBeamTable();
    };
    tsBeamGrid->setItemDelegate(delegate);
    gridLayout->addWidget(tsMaxValueLabel);
    gridLayout->addWidget(tsBeamGrid);
    gridLayout->addStretch();
    tsBeamSplitter->setSizes({91, 200});
    beamLayout->addWidget(tsBeamSplitter);
    tabControl->addTab(tsBeam, "Лучи");
    tsValueGrid = new TValueGrid(nullptr);
    tsValueGrid->Cell = [this](int row, int column) {
        const TValueCell cell =
            ValueCell(workbench_.Osc, CurrentView(), workbench_.Signals, row, column, MeasureTime);
        return std::make_pair(FromUtf8(cell.Text),
                              ToQColor(BeamColor(workbench_.Osc.ColorScheme(), cell.ColorIndex)));
    };
    tabControl->addTab(tsValueGrid, "Значения");
    connect(tsBeamList, &QListWidget::itemSelectionChanged, this, [this] { RedrawBeamTable(); });

    auto* right = new QWidget(tabControlSplit);
    right->setMinimumWidth(100);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    tabGraph = new QTabBar(right);
    tabGraph->setObjectName("tabGraph");
    tabGraph->setExpanding(false);
    tabGraph->setDocumentMode(true);
    pbLabels = new TLabelStrip(right);
    pbGraph = new TGraphArea(right);
    pnlTime = new TTimePanel(right);
    sbTime = new QScrollBar(Qt::Horizontal, right);
    sbTime->setObjectName("sbTime");
    sbTime->setFixedHeight(16);
    sbTime->setFocusPolicy(Qt::StrongFocus);
    rightLayout->addWidget(tabGraph);
    rightLayout->addWidget(pbLabels);
    rightLayout->addWidget(pbGraph, 1);
    rightLayout->addWidget(pnlTime);
    rightLayout->addWidget(sbTime);
    tabControlSplit->setStretchFactor(1, 1);
    tabControlSplit->setSizes({170, 590});
    setCentralWidget(tabControlSplit);

    pnlStatus = new QLabel(statusBar());
    pnlStatus->setTextFormat(Qt::PlainText);
    statusBar()->addWidget(pnlStatus, 1);

    connect(tabGraph, &QTabBar::currentChanged, this, [this](int) {
        if (rebuildingTabs_) return;
        Guard("TTabControl", [this] {
            workbench_.Osc.RebuildGroups(CurrentView());
            RefreshAll();
        });
    });
    connect(sbTime, &QScrollBar::valueChanged, this, [this](int position) {
        Guard("TScrollBar", [&] {
            TView* view = CurrentView();
            if (!view) return;
            ScrollWindowTo(*view, Frame(), position);
            ShowTimeTexts();
            RedrawValueColumn();
            PaintGraph();
            PaintLabels();
        });
    });
    pbGraph->OnPaintNeeded = [this] { PaintGraph(); };
    pbLabels->OnPaintNeeded = [this] { PaintLabels(); };
    pbGraph->Mouse.Press = [this](QMouseEvent* e) {
        const int x = static_cast<int>(e->position().x());
        if (e->button() == Qt::MiddleButton ||
            (e->button() == Qt::LeftButton && (e->modifiers() & Qt::ShiftModifier))) {
            panFromX_ = x;  // a drag that moves the window instead of measuring
            return;
        }
        if (e->button() == Qt::LeftButton) Guard("TPaintBox", [&] { MeasurePress(x, false); });
    };
    pbGraph->Mouse.Move = [this](QMouseEvent* e) {
        const int x = static_cast<int>(e->position().x());
        if (panFromX_ >= 0) {
            if (TView* view = CurrentView(); view && pbGraph->width() > 0) {
                const double dt = (view->T1() - view->T0()) / pbGraph->width();
                PanWindow(*view, Frame(), (panFromX_ - x) * dt);
                panFromX_ = x;
                RefreshAll();
            }
            return;
        }
        Guard("TPaintBox", [&] { MeasureMove(x); });
    };
    pbGraph->Mouse.Release = [this](QMouseEvent* e) {
        if (panFromX_ >= 0) {
            panFromX_ = -1;
            return;
        }
        if (e->button() == Qt::LeftButton)
            Guard("TPaintBox", [&] { MeasureRelease(static_cast<int>(e->position().x()), false); });
    };
    pbGraph->Mouse.Wheel = [this](QWheelEvent* e) { Guard("TPaintBox", [&] { Wheel(e); }); };
    pbLabels->Mouse.Press = [this](QMouseEvent* e) {
        if (e->button() == Qt::LeftButton)
            Guard("TPaintBox", [&] { MeasurePress(static_cast<int>(e->position().x()), true); });
    };
    pbLabels->Mouse.Move = [this](QMouseEvent* e) {
        Guard("TPaintBox", [&] { MeasureMove(static_cast<int>(e->position().x())); });
    };
    pbLabels->Mouse.Release = [this](QMouseEvent* e) {
        if (e->button() == Qt::LeftButton)
            Guard("TPaintBox", [&] { MeasureRelease(static_cast<int>(e->position().x()), true); });
    };
    pnlTime->OnClick = [this](int mode) { Guard("TPanel", [&] { TimePanelClick(mode); }); };
    pnlTime->OnCommit = [this] { Guard("TComboBox", [&] { CommitEntry(); }); };
    pnlTime->OnResize = [this] {
        if (!pnlTime->EntryOpen()) sbTime->setFocus();
    };
}

bool TFormOsc::event(QEvent* event) {
    // The enabling rules, whenever the window has handled something.
    const bool result = QMainWindow::event(event);
    if (event->type() == QEvent::UpdateRequest || event->type() == QEvent::WindowActivate ||
        event->type() == QEvent::Show)
        UpdateActions();
    return result;
}

void TFormOsc::UpdateActions() {
    const bool view = CurrentView() != nullptr;
    actViewAdd->setEnabled(view);
    actViewDelete->setEnabled(view && workbench_.Osc.ViewCount() > 1);
    actViewRename->setEnabled(view);
    const QString hint =
        actOscControl->isChecked() ? "Скрытие панели управления" : "Отображение панели управления";
    actOscControl->setStatusTip(hint);
    actOscControl->setToolTip(hint);
}

TTimeFrame TFormOsc::Frame() const {
    return {workbench_.Signals.QuantTime(), workbench_.Signals.TotalTime(), MinInterval};
}

TView* TFormOsc::CurrentView() const {
    const int i = tabGraph->currentIndex();
    return i >= 0 && i < workbench_.Osc.ViewCount() ? &workbench_.Osc.View(i) : nullptr;
}

std::set<int> TFormOsc::SelectedSignals() const {
    std::set<int> selected;
    for (int i = 0; i < tsBeamList->count(); ++i)
        if (tsBeamList->item(i)->isSelected()) selected.insert(i);
    return selected;
}

void TFormOsc::PrepareForRun() {
    TSignals& signals = workbench_.Signals;
    TOsc& osc = workbench_.Osc;
    MinInterval = 10 * signals.QuantTime();
    MeasureTime = -1;
    pbGraph->CursorX = -1;
    signals.Data().CalcMaxima();
    osc.SyncWithSignals(signals);
    tsBeamList->clear();
    for (int i = 0; i < signals.Count(); ++i)
        tsBeamList->addItem(FromCp1251(signals.Items(i).Name()));
    if (SavedViewIndex >= osc.ViewCount()) SavedViewIndex = 0;
    RebuildViewTabs(SavedViewIndex);
    ApplyColorScheme();
    osc.RebuildGroups(CurrentView());
    tsValueGrid->RowCount = osc.RowCount();
    tsMaxValueLabel->clear();
}

void TFormOsc::ShowModal() {
    show();
    raise();
    activateWindow();
    // The window may go away with its owner while the loop runs (the program quitting).
    QPointer<TFormOsc> self(this);
    QEventLoop loop;
    while (self && self->isVisible() && !QCoreApplication::closingDown())
        loop.processEvents(QEventLoop::WaitForMoreEvents);
}

void TFormOsc::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    ApplyColorScheme();
    ShowControlPanel();
    ShowTimeTexts();
    UpdateScrollBar();
    ResizeTables();
    sbTime->setFocus();
    RefreshAll();
}

void TFormOsc::closeEvent(QCloseEvent* event) {
    FocusScrollBar();
    SavedViewIndex = std::max(0, tabGraph->currentIndex());
    event->accept();
}

void TFormOsc::FocusScrollBar() {
    // Taking the focus commits an open time entry.
    if (pnlTime->EntryOpen()) CommitEntry();
    sbTime->setFocus();
}

void TFormOsc::RebuildViewTabs(int index) {
    TOsc& osc = workbench_.Osc;
    rebuildingTabs_ = true;
    while (tabGraph->count() > 0) tabGraph->removeTab(0);
    for (int i = 0; i < osc.ViewCount(); ++i) tabGraph->addTab(FromCp1251(osc.View(i).Name()));
    if (index >= 0 && index < tabGraph->count()) tabGraph->setCurrentIndex(index);
    rebuildingTabs_ = false;
    osc.RebuildGroups(CurrentView());
    tsValueGrid->RowCount = osc.RowCount();
}

void TFormOsc::RefreshAll() {
    ShowTimeTexts();
    UpdateScrollBar();
    RedrawBeamTable();
    tsValueGrid->update();
    PaintGraph();
    PaintLabels();
    UpdateActions();
}

void TFormOsc::ApplyColorScheme() {
    const int scheme = workbench_.Osc.ColorScheme();
    if (scheme == 0) mnuGray->setChecked(true);
    if (scheme == 1) mnuWhite->setChecked(true);
    if (scheme == 2) mnuBlack->setChecked(true);
    tsValueGrid->Background = ToQColor(workbench_.Osc.BackgroundColor());
    tsValueGrid->update();
}

void TFormOsc::ShowControlPanel() {
    tabControl->setVisible(actOscControl->isChecked());
    UpdateActions();
}

void TFormOsc::OscStatus(const QString& text) { pnlStatus->setText(text); }

void TFormOsc::OscWarning(const QString& text) {
    dialogs_.Beep();
    OscStatus(text);
}

QString TFormOsc::StatusText() const { return pnlStatus->text(); }

int TFormOsc::ClampCursorX(int x) const {
    if (x < 1) return 1;
    if (x > pbGraph->width() - 1) return pbGraph->width() - 1;
    return x;
}

double TFormOsc::TimeAtX(int x) const {
    const TView* view = CurrentView();
    if (!view) return -1;
    return view->T0() + (view->T1() - view->T0()) * x / pbGraph->width();
}

bool TFormOsc::SizePicture(QImage& picture, const QSize& size) {
    if (picture.size() == size) return true;
    QImage resized(size, QImage::Format_RGB32);
    if (resized.isNull()) {
        OscWarning("Отказ выделения памяти для рисования графиков");
        return false;  // the area keeps its previous content; the next paint tries again
    }
    picture = resized;
    return true;
}

void TFormOsc::PaintGraph() {
    const QSize size = pbGraph->size();
    if (!SizePicture(pbGraph->Picture, size)) return;
    LayoutGraph(workbench_.Osc, CurrentView(), workbench_.Signals.Data(),
                workbench_.Signals.QuantTime(), workbench_.Signals.QuantCount(), size.width(),
                size.height(), *picture_);
    PaintGraphImage(pbGraph->Picture, *picture_);
    pbGraph->update();
}

void TFormOsc::PaintLabels() {
    const QSize size = pbLabels->size();
    if (!SizePicture(pbLabels->Picture, size)) return;
    QPainter p(&pbLabels->Picture);
    PaintLabelStrip(p,
                    LayoutLabels(CurrentView(), workbench_.Signals.QuantTime(), pbGraph->width()),
                    size, palette().color(QPalette::Button));
    p.end();
    pbLabels->update();
}

void TFormOsc::ShowTimeTexts() {
    const TView* view = CurrentView();
    if (!view) return;
    const double q = workbench_.Signals.QuantTime();
    pnlTime->lblTime0->setText("T0 : " + FromUtf8(FormatOscTime(q, view->T0())));
    pnlTime->lblTime1->setText(FromUtf8(FormatOscTime(q, view->T1())) + " : T1");
    pnlTime->lblCaption->setText("< dT : " + FromUtf8(FormatOscTime(q, view->T1() - view->T0())) +
                                 " >");
}

void TFormOsc::UpdateScrollBar() {
    const TView* view = CurrentView();
    if (!view) return;
    const TScrollState s = ScrollStateOf(*view, Frame());
    sbTime->setRange(0, s.Maximum);
    sbTime->setPageStep(s.LargeStep);
    sbTime->setSingleStep(s.SmallStep);
    sbTime->setValue(s.Position);
}

void TFormOsc::RedrawValueColumn() { tsValueGrid->update(); }

void TFormOsc::RedrawBeamTable() {
    TView* view = CurrentView();
    const std::set<int> selected = SelectedSignals();
    for (int r = 0; r < 5; ++r) {
        const TBeamSettingText t = BeamSettingText(view, selected, r, workbench_.Signals.Data());
        if (QTableWidgetItem* item = tsBeamGrid->item(r, 1)) item->setText(FromUtf8(t.Text));
        if (t.MaxValueLabel) tsMaxValueLabel->setText(FromUtf8(*t.MaxValueLabel));
    }
}

void TFormOsc::ResizeTables() {
    tsBeamGrid->setColumnWidth(1,
                               std::max(10, tsBeamGrid->width() - tsBeamGrid->columnWidth(0) - 5));
    tsValueGrid->update();
}

void TFormOsc::ApplyBeamText(int row, const QString& text) {
    TView* view = CurrentView();
    if (view) {
        if (ApplyBeamEdit(*view, SelectedSignals(), row, ToUtf8(text))) {
            workbench_.Osc.RebuildGroups(view);
            tsValueGrid->RowCount = workbench_.Osc.RowCount();
        }
        PaintGraph();
        tsValueGrid->update();
    }
    OscStatus("");
}

void TFormOsc::TimePanelClick(int mode) {
    if (pnlTime->EntryOpen()) {
        CommitEntry();
        return;
    }
    TView* view = CurrentView();
    if (!view) return;
    const TTimeFrame f = Frame();
    const double q = f.Q;
    if (mode != 2 && view->T1() - view->T0() >= f.T) {
        OscWarning("На экране отображается полный интервал времен");
        return;
    }
    const auto entryMode = static_cast<TEntryMode>(mode);
    QString text;
    if (mode == 0) text = FromUtf8(FormatOscTime(q, view->T0()));
    if (mode == 1) text = FromUtf8(FormatOscTime(q, view->T1()));
    if (mode == 2) text = FromUtf8(FormatOscTime(q, view->T1() - view->T0()));
    QStringList suggestions;
    for (const std::string& s : EntrySuggestions(*view, entryMode)) suggestions << FromUtf8(s);
    pnlTime->OpenEntry(mode, text, suggestions);
    OscStatus(FromUtf8(EntryHint(*view, f, entryMode)));
}

void TFormOsc::CommitEntry() {
    if (!pnlTime->EntryOpen()) return;
    pnlTime->edTime->hide();
    sbTime->setFocus();
    if (TView* view = CurrentView())
        CommitTimeEntry(*view, Frame(), static_cast<TEntryMode>(pnlTime->EntryMode),
                        ToUtf8(pnlTime->edTime->currentText()));
    RefreshAll();
    sbTime->setFocus();
    OscStatus("");
}

void TFormOsc::MeasurePress(int x, bool onStrip) {
    if (pbGraph->CursorX != -1) return;
    measureOnStrip_ = onStrip;
    pbGraph->SetCursorX(ClampCursorX(x));
    MeasureTime = TimeAtX(pbGraph->CursorX);
    pnlTime->lblCaption->setText(
        "T: " + FromUtf8(FormatOscTime(workbench_.Signals.QuantTime(), MeasureTime)));
    RedrawValueColumn();
}

void TFormOsc::MeasureMove(int x) {
    if (pbGraph->CursorX < 0) return;
    pbGraph->SetCursorX(ClampCursorX(x));
    MeasureTime = TimeAtX(pbGraph->CursorX);
    pnlTime->lblCaption->setText(
        "T: " + FromUtf8(FormatOscTime(workbench_.Signals.QuantTime(), MeasureTime)));
    RedrawValueColumn();
}

void TFormOsc::MeasureRelease(int x, bool onStrip) {
    if (pbGraph->CursorX < 0) return;
    pbGraph->SetCursorX(-1);
    MeasureTime = -1;
    RedrawValueColumn();
    ShowTimeTexts();
    if (!onStrip || !measureOnStrip_) {
        PaintGraph();
        return;
    }
    TView* view = CurrentView();
    if (!view) return;
    const int w = pbLabels->fontMetrics().horizontalAdvance("MM");
    const double t = TimeAtX(ClampCursorX(x));
    const double t2 = TimeAtX(ClampCursorX(x + w));
    const double h = (t2 - t) / 2;
    const int i = view->FindTimeLabel(t - h, t2 - h);
    if (i < 0) {
        auto label = std::make_unique<TTimeLabel>(workbench_.Osc);
        label->SetTime(t);
        view->AddTimeLabel(std::move(label));
    } else {
        view->DeleteTimeLabel(i);
    }
    RedrawValueColumn();
    ShowTimeTexts();
    PaintGraph();
    PaintLabels();
}

void TFormOsc::Wheel(QWheelEvent* e) {
    TView* view = CurrentView();
    if (!view || pbGraph->width() <= 0) return;
    const int steps = e->angleDelta().y() / 120;
    if (steps == 0) return;
    const double width = view->T1() - view->T0();
    if (e->modifiers() & Qt::ControlModifier) {
        PanWindow(*view, Frame(), -steps * width / 10);
    } else {
        const double anchor = TimeAtX(static_cast<int>(e->position().x()));
        ZoomWindow(*view, Frame(), anchor, std::pow(0.8, steps));
    }
    RefreshAll();
}

void TFormOsc::ViewAdd() {
    FocusScrollBar();
    if (!CurrentView()) return;
    std::optional<QString> name = dialogs_.Name(this, "Имя экрана", "Экран");
    if (!name) return;
    const int n = tabGraph->count();
    workbench_.Osc.AddView(ToCp1251(*name));
    RebuildViewTabs(n);
    RefreshAll();
}

void TFormOsc::ViewDelete() {
    FocusScrollBar();
    TView* view = CurrentView();
    if (!view || tabGraph->count() < 2) return;
    const QString text =
        "Вы действительно хотите удалить экран:\n<" + FromCp1251(view->Name()) + "> ?";
    if (dialogs_.Confirm(this, text) != TAnswer::Yes) return;
    const int i = tabGraph->currentIndex();
    workbench_.Osc.DeleteView(i);
    RebuildViewTabs(i < workbench_.Osc.ViewCount() ? i : i - 1);
    RefreshAll();
}

void TFormOsc::ViewRename() {
    FocusScrollBar();
    TView* view = CurrentView();
    if (!view) return;
    const int i = tabGraph->currentIndex();
    if (std::optional<QString> name =
            dialogs_.Name(this, "Новое имя экрана", FromCp1251(view->Name())))
        view->SetName(ToCp1251(*name));
    RebuildViewTabs(i);
    RefreshAll();
}

void TFormOsc::SetScheme(int scheme) {
    FocusScrollBar();
    workbench_.Osc.SetColorScheme(scheme);
    ApplyColorScheme();
    RefreshAll();
}

void TFormOsc::Regroup(void (*regroup)(TView&)) {
    TView* view = CurrentView();
    if (!view) return;
    regroup(*view);
    workbench_.Osc.RebuildGroups(view);
    tsValueGrid->RowCount = workbench_.Osc.RowCount();
    RefreshAll();
}

void TFormOsc::BeamsToOneGroup() { Regroup(kvaril::BeamsToOneGroup); }
void TFormOsc::BeamsToManyGroups() { Regroup(kvaril::BeamsToManyGroups); }

void TFormOsc::ExportPicture() {
    FocusScrollBar();
    const int screen = tabGraph->currentIndex();
    if (screen < 0) return;
    TFileDialogSpec spec{
        "Сохранение изображения экрана", "Изображения (*.png *.svg)", "png", {}, {}};
    std::optional<QString> path = dialogs_.SaveFile(this, spec);
    if (!path) return;
    const QString error =
        ExportScreen(workbench_.Osc, screen, workbench_.Signals, pbGraph->size(), *path);
    workbench_.Osc.RebuildGroups(CurrentView());
    if (error.isEmpty())
        OscStatus("Изображение сохранено: " + *path);
    else
        OscWarning(error);
}

}  // namespace kvaril
