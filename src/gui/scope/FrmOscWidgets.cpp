// The oscilloscope window's menu, speed bar and controls, and what each control reports.

#include <QActionGroup>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "common/FrmAbout.h"
#include "common/Help.h"
#include "common/Icons.h"
#include "common/QtText.h"
#include "common/Settings.h"
#include "osc/BeamTable.h"
#include "osc/OscSession.h"
#include "scope/BeamPage.h"
#include "scope/FrmOsc.h"
#include "scope/PaintAreas.h"
#include "scope/TimePanel.h"

namespace kvaril {

namespace {

QIcon OscIcon(int index) {
    // Exit, control panel, add screen, delete screen.
    static const int kMain[] = {icoExit, icoSearchPan, icoSignalAdd, icoSignalDelete};
    return MainIcon(kMain[index]);
}

}  // namespace

void TFormOsc::CreateViewMenu() {
    // The user's own choices, kept in the settings (off at first); the document never changes.
    QMenu* view = menuBar()->addMenu("&Вид");
    const struct {
        const char* Name;
        const char* Caption;
        const char* Hint;
        const TSetting<bool>& Setting;
        void (TOscSession::*Set)(bool);
    } kChoices[] = {
        {"actViewLegend", "&Подписи лучей",
         "Имена лучей цветом луча в левом верхнем углу каждой группы", settings::kOscLegend,
         &TOscSession::SetLegend},
        {"actViewSharedScale", "&Общий масштаб групп",
         "Лучи с автоматическим усилением в одной группе - в общем масштабе",
         settings::kOscSharedScale, &TOscSession::SetSharedGroupScale},
    };
    for (const auto& c : kChoices) {
        QAction* a = view->addAction(c.Caption);
        a->setObjectName(c.Name);
        a->setStatusTip(c.Hint);
        a->setToolTip(c.Hint);
        a->setCheckable(true);
        const TSetting<bool>* setting = &c.Setting;
        const auto set = c.Set;
        a->setChecked(ReadSetting(*setting));
        ((*session_).*set)(a->isChecked());
        connect(a, &QAction::toggled, this, [this, setting, set](bool on) {
            Act("QAction", [&] {
                ((*session_).*set)(on);
                WriteSetting(*setting, on);
            });
        });
    }
}

QAction* TFormOsc::MakeAction(const char* name, const QString& caption, const QString& hint,
                              int icon, const QKeySequence& key) {
    auto* a = new QAction(caption, this);
    a->setObjectName(name);
    a->setStatusTip(hint);
    a->setToolTip(hint);
    if (icon >= 0) a->setIcon(OscIcon(icon));
    if (!key.isEmpty()) a->setShortcut(key);
    return a;
}

void TFormOsc::CreateActions() {
    actOscControl_ = MakeAction("actOscControl", "&Панель управления", "Скрытие панели управления",
                                1, QKeySequence("F2"));
    actOscControl_->setCheckable(true);
    actOscControl_->setChecked(true);
    actOscExit_ = MakeAction("actOscExit", "&Выход", "Выход из осциллографа", 0);
    actViewAdd_ = MakeAction("actViewAdd", "&Добавить...", "Создание нового экрана", 2);
    actViewDelete_ = MakeAction("actViewDelete", "&Удалить...", "Удаление текущего экрана", 3);
    actViewRename_ = MakeAction("actViewRename", "&Переименовать...", "Переименование экрана");
    actBeamToOneGroup_ =
        MakeAction("actBeamToOneGroup", "В &одну группу", "Сборка всех лучей в одну группу");
    actBeamToManyGroup_ = MakeAction("actBeamToManyGroup", "По &разным группам",
                                     "Распределение всех лучей по различным группам");
    actOscUndo_ = MakeAction("actOscUndo", "&Отменить", "Отмена последнего изменения вида", -1,
                             QKeySequence("Ctrl+Z"));
    actOscRedo_ = MakeAction("actOscRedo", "&Повторить", "Повтор отмененного изменения вида", -1,
                             QKeySequence("Ctrl+Shift+Z"));
    actBeamFit_ = MakeAction("actBeamFit", "Подогнать по &окну",
                             "Усиление выбранных лучей по их наибольшему значению в окне времени");
    actCompareRun_ = MakeAction("actCompareRun", "&Сравнить с запуском...",
                                "Показ лучей одного из прежних запусков позади текущих");
    actPinReference_ = MakeAction("actPinReference", "&Закрепить как опорный",
                                  "Сохранение запуска для сравнения и после пяти новых запусков");
    actExportData_ = MakeAction("actExportData", "Экспорт &данных...",
                                "Запись отсчетов выбранных лучей в файл CSV или WAV");
    actExportPicture_ = MakeAction("actExportPicture", "Экспорт &рисунка...",
                                   "Сохранение изображения экранов в файл PNG, SVG или PDF");

    CreateMenus();
    CreateSpeedBar();
    ConnectActions();
}

void TFormOsc::CreateMenus() {
    QMenu* osc = menuBar()->addMenu("&Осциллограф");
    osc->addActions({actOscUndo_, actOscRedo_});
    osc->addSeparator();
    osc->addAction(actOscControl_);
    CreateSchemeMenu(osc->addMenu("&Цвет экрана"));
    osc->addAction(actExportData_);
    osc->addAction(actExportPicture_);
    osc->addSeparator();
    osc->addAction(actOscExit_);
    QMenu* view = menuBar()->addMenu("&Экран");
    view->addActions({actViewAdd_, actViewDelete_});
    view->addSeparator();
    view->addAction(actViewRename_);
    QMenu* beams = menuBar()->addMenu("&Лучи");
    beams->addActions({actBeamToOneGroup_, actBeamToManyGroup_, actBeamFit_});
    beams->addSeparator();
    beams->addActions({actCompareRun_, actPinReference_});
    CreateViewMenu();
    QAction* help = MakeAction("actHelpContents", "&Содержание",
                               "Справочные сведения об осциллографе", -1, QKeySequence("F1"));
    QAction* about = MakeAction("actHelpAbout", "&О программе", "Сведения о программе Kvaril");
    QMenu* helpMenu = menuBar()->addMenu("&?");
    helpMenu->addAction(help);
    helpMenu->addSeparator();
    helpMenu->addAction(about);
    connect(help, &QAction::triggered, this, [this] { ShowHelp(this, THelpTopic::Oscilloscope); });
    connect(about, &QAction::triggered, this, [this] { ShowAbout(this); });
}

void TFormOsc::CreateSchemeMenu(QMenu* colour) {
    auto* schemes = new QActionGroup(this);
    const struct {
        const char* Name;
        const char* Caption;
        TColorScheme Scheme;
    } kSchemes[] = {{"mnuGray", "&Серый", TColorScheme::Gray},
                    {"mnuWhite", "&Белый", TColorScheme::White},
                    {"mnuBlack", "&Черный", TColorScheme::Black}};
    for (const auto& s : kSchemes) {
        QAction* a = colour->addAction(s.Caption);
        a->setObjectName(s.Name);
        a->setCheckable(true);
        schemes->addAction(a);
        const TColorScheme scheme = s.Scheme;
        connect(a, &QAction::triggered, this,
                [this, scheme] { Act("QAction", [&] { session_->SetScheme(scheme); }); });
        mnuScheme_[static_cast<int>(scheme)] = a;
    }
}

void TFormOsc::CreateSpeedBar() {
    QToolBar* speedBar = addToolBar("SpeedBar");
    speedBar->setObjectName("SpeedBar");
    speedBar->setMovable(false);
    speedBar->setIconSize(QSize(20, 20));
    speedBar->setContextMenuPolicy(Qt::PreventContextMenu);
    speedBar->addActions({actOscControl_, actOscExit_});
    speedBar->addSeparator();
    speedBar->addActions({actViewAdd_, actViewDelete_});
}

void TFormOsc::ConnectActions() {
    auto on = [this](QAction* a, std::function<void()> body) {
        connect(a, &QAction::triggered, this, [this, body] { Act("QAction", body); });
    };
    on(actOscControl_, [this] {
        CommitEntry();
        tabControl_->setVisible(actOscControl_->isChecked());
    });
    on(actOscExit_, [this] { close(); });
    on(actViewAdd_, [this] { ViewAdd(); });
    on(actViewDelete_, [this] { ViewDelete(); });
    on(actViewRename_, [this] { ViewRename(); });
    on(actBeamToOneGroup_, [this] { session_->ToOneGroup(); });
    on(actBeamToManyGroup_, [this] { session_->ToManyGroups(); });
    on(actExportPicture_, [this] { ExportPicture(); });
    on(actExportData_, [this] { ExportData(); });
    on(actOscUndo_, [this] { session_->Undo(); });
    on(actOscRedo_, [this] { session_->Redo(); });
    on(actBeamFit_, [this] { session_->FitToWindow(); });
    on(actCompareRun_, [this] { CompareWithRun(); });
    on(actPinReference_, [this] { session_->PinReference(); });
}

void TFormOsc::CreateControlPanel() {
    tabControl_ = new QTabWidget(tabControlSplit_);
    tabControl_->setObjectName("tabControl");
    const int captionWidth = CreateBeamPage();
    CreateValuePage();
    // The panel never gets narrower than its page tabs, so that both stay readable.
    tabControl_->tabBar()->setUsesScrollButtons(false);
    tabControl_->setMinimumWidth(
        std::max({110, tabControl_->tabBar()->sizeHint().width() + 4, captionWidth + 40}));
    connect(tsBeamList_, &QListWidget::itemSelectionChanged, this, [this] {
        if (refreshing_) return;
        std::set<int> selected;
        for (int i = 0; i < tsBeamList_->count(); ++i)
            if (tsBeamList_->item(i)->isSelected()) selected.insert(i);
        Act("TListBox", [&] { session_->SelectBeams(selected); });
    });
}

int TFormOsc::CreateBeamPage() {
    auto* tsBeam = new QWidget;
    auto* beamLayout = new QVBoxLayout(tsBeam);
    beamLayout->setContentsMargins(2, 2, 2, 2);
    auto* tsBeamSplitter = new QSplitter(Qt::Vertical, tsBeam);
    tsBeamSplitter->setHandleWidth(3);
    tsBeamSplitter->setChildrenCollapsible(false);
    tsBeamList_ = new QListWidget(tsBeamSplitter);
    tsBeamList_->setObjectName("tsBeamList");
    tsBeamList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* gridPanel = new QWidget(tsBeamSplitter);
    auto* gridLayout = new QVBoxLayout(gridPanel);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    gridLayout->setSpacing(0);
    tsMaxValueLabel_ = new QLabel(gridPanel);
    tsMaxValueLabel_->setObjectName("tsMaxValueLabel");
    tsMaxValueLabel_->setTextFormat(Qt::PlainText);
    tsMaxValueLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const int captionWidth = CreateBeamGrid(gridPanel);
    gridLayout->addWidget(tsMaxValueLabel_);
    gridLayout->addWidget(tsBeamGrid_);
    gridLayout->addStretch();
    tsBeamSplitter->setSizes({91, 200});
    beamLayout->addWidget(tsBeamSplitter);
    tabControl_->addTab(tsBeam, "Лучи");
    return captionWidth;
}

int TFormOsc::CreateBeamGrid(QWidget* gridPanel) {
    tsBeamGrid_ = new QTableWidget(kBeamRowCount, 2, gridPanel);
    tsBeamGrid_->setObjectName("tsBeamGrid");
    tsBeamGrid_->horizontalHeader()->hide();
    tsBeamGrid_->verticalHeader()->hide();
    tsBeamGrid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tsBeamGrid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tsBeamGrid_->setEditTriggers(QAbstractItemView::AllEditTriggers);
    tsBeamGrid_->horizontalHeader()->setStretchLastSection(true);
    QList<QStringList> pickLists;
    // Wide enough for the longest caption in the window's font (48 pixels at the classic size).
    int captionWidth = 48;
    for (int r = 0; r < kBeamRowCount; ++r) {
        const TBeamRowText& row = BeamRowText(static_cast<TBeamRow>(r));
        QStringList words;
        for (const std::string& w : row.PickList) words << FromUtf8(w);
        pickLists << words;
        const QString caption = FromUtf8(row.Caption);
        captionWidth =
            std::max(captionWidth, tsBeamGrid_->fontMetrics().horizontalAdvance(caption) + 10);
        tsBeamGrid_->setRowHeight(r, r == 0 ? 17 : 18);
        auto* item = new QTableWidgetItem(caption);
        item->setFlags(Qt::ItemIsEnabled);
        tsBeamGrid_->setItem(r, 0, item);
        tsBeamGrid_->setItem(r, 1, new QTableWidgetItem);
    }
    tsBeamGrid_->setColumnWidth(0, captionWidth);
    tsBeamGrid_->setFixedHeight(17 + 4 * 18 + 4);
    auto* delegate = new TBeamCellDelegate(pickLists, tsBeamGrid_);
    tsBeamGrid_->setItemDelegate(delegate);
    connect(delegate, &TBeamCellDelegate::Opened, this, [this](int row) {
        Act("TInplaceEdit", [&] { session_->StartBeamEdit(static_cast<TBeamRow>(row)); });
    });
    connect(delegate, &TBeamCellDelegate::Edited, this, [this](int row, const QString& text) {
        Act("TInplaceEdit", [&] { session_->EditBeam(static_cast<TBeamRow>(row), ToUtf8(text)); });
    });
    connect(delegate, &TBeamCellDelegate::Closed, this, [this](int row, const QString& text) {
        Act("TInplaceEdit",
            [&] { session_->EndBeamEdit(static_cast<TBeamRow>(row), ToUtf8(text)); });
    });
    connect(delegate, &TBeamCellDelegate::Cancelled, this,
            [this](int) { Act("TInplaceEdit", [&] { session_->CancelBeamEdit(); }); });
    return captionWidth;
}

void TFormOsc::CreateValuePage() {
    auto* tsValue = new QWidget;
    auto* valueLayout = new QVBoxLayout(tsValue);
    valueLayout->setContentsMargins(0, 0, 0, 0);
    valueLayout->setSpacing(0);
    tsDeltaLabel_ = new QLabel(tsValue);
    tsDeltaLabel_->setObjectName("tsDeltaLabel");
    tsDeltaLabel_->setTextFormat(Qt::PlainText);
    tsDeltaLabel_->setWordWrap(true);
    tsDeltaLabel_->hide();
    tsValueGrid_ = new TValueGrid(tsValue);
    valueLayout->addWidget(tsDeltaLabel_);
    valueLayout->addWidget(tsValueGrid_, 1);
    tabControl_->addTab(tsValue, "Значения");
    connect(tabControl_, &QTabWidget::currentChanged, this, [this] { RefreshValues(); });
}

void TFormOsc::CreateScreenArea() {
    screenArea_ = new QWidget(tabControlSplit_);
    auto* layout = new QVBoxLayout(screenArea_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    tabGraph_ = new QTabBar(screenArea_);
    tabGraph_->setObjectName("tabGraph");
    tabGraph_->setExpanding(false);
    tabGraph_->setDocumentMode(true);
    pbLabels_ = new TLabelStrip(screenArea_);
    pbGraph_ = new TGraphArea(screenArea_);
    pnlTime_ = new TTimePanel(screenArea_);
    sbTime_ = new QScrollBar(Qt::Horizontal, screenArea_);
    sbTime_->setObjectName("sbTime");
    sbTime_->setFixedHeight(16);
    sbTime_->setFocusPolicy(Qt::StrongFocus);
    sbTime_->installEventFilter(this);  // Left and Right, see eventFilter
    layout->addWidget(tabGraph_);
    layout->addWidget(pbLabels_);
    layout->addWidget(pbGraph_, 1);
    layout->addWidget(pnlTime_);
    layout->addWidget(sbTime_);
}

void TFormOsc::ConnectScreenArea() {
    connect(pbGraph_, &TPaintArea::PaintNeeded, this, [this] { PaintGraph(); });
    connect(pbLabels_, &TPaintArea::PaintNeeded, this, [this] { PaintLabels(); });
    ConnectScrollBar();
    ConnectTraces();
    ConnectLabelStrip();
    ConnectTimePanel();
}

void TFormOsc::ConnectScrollBar() {
    connect(tabGraph_, &QTabBar::currentChanged, this, [this](int index) {
        if (refreshing_) return;
        Act("TTabControl", [&] { session_->SelectScreen(index); });
    });
    connect(sbTime_, &QScrollBar::valueChanged, this, [this](int position) {
        if (refreshing_) {  // a new position from the refresh moves the window onto the grid
            session_->FollowScroll(position);
            return;
        }
        Act("TScrollBar", [&] { session_->ScrollTo(position); });
    });
    // Each click on the bar is a step; a dragged slider is one step from press to release.
    connect(sbTime_, &QAbstractSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove) session_->EndGesture();
    });
    connect(sbTime_, &QAbstractSlider::sliderReleased, this, [this] { session_->EndGesture(); });
    wheelPause_ = new QTimer(this);
    wheelPause_->setSingleShot(true);
    wheelPause_->setInterval(600);
    connect(wheelPause_, &QTimer::timeout, this, [this] { session_->EndGesture(); });
}

void TFormOsc::ConnectTraces() {
    connect(pbGraph_, &TPaintArea::Pressed, this,
            [this](int x, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
                if (button == Qt::MiddleButton ||
                    (button == Qt::LeftButton && (modifiers & Qt::ShiftModifier))) {
                    Act("TPaintBox", [&] { session_->CommitEntry(); });
                    panFromX_ = x;
                } else if (button == Qt::LeftButton && !PressCursorLine(x)) {
                    Act("TPaintBox", [&] { session_->MousePress(x, false); });
                }
            });
    connect(pbGraph_, &TPaintArea::Moved, this, [this](int x) {
        if (panFromX_ >= 0) {
            Act("TPaintBox", [&] { session_->PanColumns(panFromX_, x); });
            panFromX_ = x;
        } else if (session_->Cursors().Measuring()) {
            session_->MouseMove(x);
            RefreshCursor();
        } else {
            MoveCursorLine(x);
        }
    });
    connect(pbGraph_, &TPaintArea::Released, this, [this](int x, Qt::MouseButton button) {
        if (panFromX_ >= 0) {
            panFromX_ = -1;
            session_->EndGesture();
        } else if (button == Qt::LeftButton && !ReleaseCursorLine()) {
            Act("TPaintBox", [&] { session_->MouseRelease(x, false, 0); });
        }
    });
    connect(pbGraph_, &TPaintArea::Wheeled, this,
            [this](int x, int steps, Qt::KeyboardModifiers modifiers) {
                Act("TPaintBox",
                    [&] { session_->Wheel(steps, (modifiers & Qt::ControlModifier) != 0, x); });
                wheelPause_->start();
            });
}

void TFormOsc::ConnectLabelStrip() {
    connect(pbLabels_, &TPaintArea::Pressed, this,
            [this](int x, Qt::MouseButton button, Qt::KeyboardModifiers) {
                if (button == Qt::LeftButton)
                    Act("TPaintBox", [&] { session_->MousePress(x, true, MarkWidth()); });
            });
    connect(pbLabels_, &TPaintArea::Moved, this, [this](int x) {
        if (!session_->Cursors().Measuring()) return;
        session_->MouseMove(x);
        RefreshCursor();
        if (session_->Cursors().MarkerMoved()) {  // a marker follows the drag (marker lines)
            PaintLabels();
            RefreshMarkLines();
        }
    });
    connect(pbLabels_, &TPaintArea::Released, this, [this](int x, Qt::MouseButton button) {
        if (button != Qt::LeftButton) return;
        Act("TPaintBox", [&] { session_->MouseRelease(x, true, MarkWidth()); });
    });
}

void TFormOsc::ConnectTimePanel() {
    connect(pnlTime_, &TTimePanel::Clicked, this,
            [this](TEntryMode where) { Act("TPanel", [&] { session_->ClickEntry(where); }); });
    connect(pnlTime_, &TTimePanel::EntryEdited, this,
            [this](const QString& text) { session_->SetEntryText(ToUtf8(text)); });
    connect(pnlTime_, &TTimePanel::EntryDone, this,
            [this] { Act("TComboBox", [&] { session_->CommitEntry(); }); });
    connect(pnlTime_, &TTimePanel::Resized, this, [this] {
        if (!pnlTime_->EntryOpen()) sbTime_->setFocus();
    });
}

}  // namespace kvaril
