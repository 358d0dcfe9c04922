// The main window's parts: its actions, menus, speed bar, search panel, the signal tabs over
// the editor, the status bar, and what each action does.

#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "common/FrmAbout.h"
#include "common/Help.h"
#include "common/Icons.h"
#include "common/QtText.h"
#include "editing/Excitations.h"
#include "ui/DocumentCommands.h"
#include "ui/EditCommands.h"
#include "ui/FrmMain.h"
#include "ui/MessagesPane.h"
#include "ui/ModelCommands.h"
#include "ui/ModelOutputPane.h"
#include "ui/SearchPanel.h"
#include "ui/SignalEditor.h"
#include "ui/StartPage.h"
#include "ui/SweepCommands.h"

namespace kvaril {

QAction* TFormMain::MakeAction(const char* name, const QString& caption, const QString& hint,
                               int icon, const QKeySequence& shortcut) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    action->setStatusTip(hint);
    action->setToolTip(hint);
    if (icon >= 0) action->setIcon(MainIcon(icon));
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    return action;
}

void TFormMain::CreateActions() {
    actFileNew_ = MakeAction("actFileNew", "&Создать", "Создание нового файла", icoFileNew);
    actFileLoad_ = MakeAction("actFileLoad", "&Открыть...", "Открытие файла", icoFileLoad,
                              QKeySequence("Ctrl+O"));
    actFileSave_ = MakeAction("actFileSave", "С&охранить", "Сохранение файла", icoFileSave,
                              QKeySequence("Ctrl+S"));
    actFileSaveAs_ =
        MakeAction("actFileSaveAs", "Сохранить &как...", "Сохранение файла с новым именем", -1,
                   QKeySequence("Shift+Ctrl+S"));
    actFileExit_ = MakeAction("actFileExit", "&Выход", "Выход из программы");
    // The first thing of a new document, often done: a key of its own.
    actSignalAdd_ = MakeAction("actSignalAdd", "&Добавить...", "Добавление нового сигнала",
                               icoSignalAdd, QKeySequence("Ctrl+Shift+A"));
    actSignalDelete_ =
        MakeAction("actSignalDelete", "&Удалить", "Удаление сигнала", icoSignalDelete);
    actSignalLoad_ = MakeAction("actSignalLoad", "&Взять из библиотеки...",
                                "Загрузка сигнала из библиотеки", icoSignalLoad);
    actSignalSave_ = MakeAction("actSignalSave", "&Сохранить в библиотеке...",
                                "Сохранение сигнала в библиотеке", icoSignalSave);
    actSignalRename_ = MakeAction("actSignalRename", "&Переименовать...", "Переименование сигнала");
    actSignalReorder_ = MakeAction("actSignalReorder", "&Изменить порядок...",
                                   "Изменение порядка сигналов", icoSignalReorder);
    actEditUndo_ =
        MakeAction("actEditUndo", "&Отменить", "Отмена последней операции правки", icoEditUndo);
    actEditCut_ = MakeAction("actEditCut", "&Вырезать",
                             "Удаление выделенного текста в буфер обмена", icoEditCut);
    actEditCopy_ = MakeAction("actEditCopy", "&Копировать",
                              "Копирование выделенного текста в буфер обмена", icoEditCopy);
    actEditPaste_ =
        MakeAction("actEditPaste", "Вст&авить", "Вставка текста из буфера обмена", icoEditPaste);
    actEditSelectAll_ = MakeAction("actEditSelectAll", "Вы&делить все", "Выделение всего текста");
    actEditOp_ =
        MakeAction("actEditOp", "Оператор &языка", "Ввод заготовки для оператора языка Pascal",
                   icoEditOp, QKeySequence("Ctrl+J"));
    actSearchPan_ =
        MakeAction("actSearchPan", "&Панель...", "Показать или скрыть панель поиска-замены",
                   icoSearchPan, QKeySequence("Ctrl+F"));
    actSearchPan_->setCheckable(true);
    actSearchStart_ =
        MakeAction("actSearchStart", "&Найти", "Поиск текста", icoSearchStart, QKeySequence("F3"));
    actSearchReplace_ = MakeAction("actSearchReplace", "&Заменить", "Одиночный поиск и замена",
                                   icoSearchReplace, QKeySequence("Ctrl+F3"));
    actSearchReplaceAll_ = MakeAction("actSearchReplaceAll", "Заменить &все",
                                      "Поиск и замена по всему тексту сигнала");
    actModelParam_ = MakeAction("actModelParam", "&Параметры...", "Параметры моделирования",
                                icoModelParam, QKeySequence("F8"));
    actModelCompile_ =
        MakeAction("actModelCompile", "&Компиляция", "Проверка правильности программы",
                   icoModelCompile, QKeySequence("Ctrl+F9"));
    actModelRun_ = MakeAction("actModelRun", "&Старт",
                              "Компиляция, старт моделирования и отображение результатов",
                              icoModelRun, QKeySequence("F9"));
    actModelSweep_ =
        MakeAction("actModelSweep", "С&вип...",
                   "Запуск модели для нескольких значений одной или двух констант сразу");
    actModelLong_ = MakeAction("actModelLong", "&Длинные прогоны",
                               "До 10000000 квантов вместо 10000 (хранится в настройках)");
    actModelLong_->setCheckable(true);
    actViewFont_ = MakeAction("actViewFont", "&Шрифт...", "Изменение шрифта редактора текстов");
    actHelpContents_ =
        MakeAction("actHelpContents", "&Содержание", "Содержание справки", -1, QKeySequence("F1"));
    actHelpAbout_ = MakeAction("actHelpAbout", "&О программе", "Сведения о программе Kvaril");
}

void TFormMain::CreateMenus() {
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu("&Файл");
    file->addActions({actFileNew_, actFileLoad_, actFileSave_, actFileSaveAs_});
    file->addSeparator();
    mnuRecentFiles_ = file->addMenu("Последние &файлы");
    file->addSeparator();
    file->addAction(actFileExit_);
    QMenu* signal = bar->addMenu("&Сигнал");
    signal->addActions({actSignalAdd_, actSignalDelete_});
    // Ready signals that drive a filter for its response; each adds a signal like "Добавить".
    QMenu* excitations = signal->addMenu("&Шаблоны");
    excitations->setObjectName("mnuSignalTemplates");
    for (const TExcitationInfo& e : Excitations()) {
        QAction* a = excitations->addAction(FromUtf8(e.Caption));
        a->setObjectName(QString("actSignalTemplate") + e.Name);
        a->setStatusTip(FromUtf8(e.Hint));
        const TExcitation kind = e.Kind;
        connect(a, &QAction::triggered, this, [this, a, kind] {
            Guard(a, [this, kind] { documentCommands_->SignalFromExcitation(kind); });
        });
    }
    connect(actSignalAdd_, &QAction::enabledChanged, excitations, &QMenu::setEnabled);
    signal->addSeparator();
    signal->addActions({actSignalLoad_, actSignalSave_});
    signal->addSeparator();
    signal->addActions({actSignalRename_, actSignalReorder_});
    QMenu* edit = bar->addMenu("&Правка");
    edit->addAction(actEditUndo_);
    edit->addSeparator();
    edit->addActions({actEditCut_, actEditCopy_, actEditPaste_, actEditSelectAll_});
    edit->addSeparator();
    edit->addAction(actEditOp_);
    QMenu* search = bar->addMenu("П&оиск");
    search->addAction(actSearchPan_);
    search->addSeparator();
    search->addActions({actSearchStart_, actSearchReplace_, actSearchReplaceAll_});
    QMenu* model = bar->addMenu("&Моделирование");
    model->addActions({actModelParam_, actModelCompile_, actModelRun_, actModelSweep_});
    model->addSeparator();
    model->addAction(actModelLong_);
    QMenu* view = bar->addMenu("&Вид");
    view->addAction(actViewFont_);
    QMenu* help = bar->addMenu("&?");
    help->addAction(actHelpContents_);
    help->addSeparator();
    help->addAction(actHelpAbout_);
    // Menus show each action's hint in the status line while it is highlighted.
    CreateLiveModelling(model, view);
    for (QMenu* menu : {file, signal, edit, search, model, view, help})
        menu->setToolTipsVisible(false);

    pmnuEdit_ = new QMenu(this);
    pmnuEdit_->setObjectName("pmnuEdit");
    pmnuEdit_->addActions(
        {actEditUndo_, actEditCut_, actEditCopy_, actEditPaste_, actEditSelectAll_, actEditOp_});
}

void TFormMain::CreateSpeedBar() {
    SpeedBar_ = addToolBar("SpeedBar");
    SpeedBar_->setObjectName("SpeedBar");
    SpeedBar_->setMovable(false);
    SpeedBar_->setFloatable(false);
    SpeedBar_->setIconSize(QSize(20, 20));
    SpeedBar_->setContextMenuPolicy(Qt::PreventContextMenu);
    SpeedBar_->addActions({actFileNew_, actFileLoad_, actFileSave_});
    SpeedBar_->addSeparator();
    SpeedBar_->addActions({actSignalAdd_, actSignalDelete_});
    SpeedBar_->addSeparator();
    SpeedBar_->addActions({actEditUndo_, actEditCut_, actEditCopy_, actEditPaste_, actEditOp_});
    SpeedBar_->addSeparator();
    SpeedBar_->addActions({actSearchPan_, actSearchStart_, actSearchReplace_});
    SpeedBar_->addSeparator();
    SpeedBar_->addActions({actModelParam_, actModelCompile_, actModelRun_});
    if (QWidget* button = SpeedBar_->widgetForAction(actSearchPan_))
        button->setObjectName("btnSearchPan");
}

void TFormMain::CreateCentralArea() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 3, 0, 0);
    layout->setSpacing(0);
    pnlSearch_ = new TSearchPanel(central);
    pnlSearch_->hide();
    layout->addWidget(pnlSearch_);

    tabPage_ = new QWidget(central);
    tabPage_->setObjectName("tabPage");
    auto* page = new QVBoxLayout(tabPage_);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(0);
    tabSignals_ = new QTabBar(tabPage_);
    tabSignals_->setObjectName("tabSignals");
    tabSignals_->setExpanding(false);
    tabSignals_->setDocumentMode(true);
    tabSignals_->setElideMode(Qt::ElideNone);
    tabSignals_->setUsesScrollButtons(true);
    edSignal_ = new TSignalEditor(tabPage_);
    edSignal_->setObjectName("edSignal");
    page->addWidget(tabSignals_);
    page->addWidget(edSignal_, 1);
    pnlModelOutput_ = new TModelOutputPane(tabPage_);
    page->addWidget(pnlModelOutput_);
    pnlMessages_ = new TMessagesPane(tabPage_);
    page->addWidget(pnlMessages_);
    connect(pnlMessages_, &TMessagesPane::PlaceChosen, this,
            [this](int index, int line, int column) {
                ShowSignalAt(index, line, column);
                MarkCompilerError(index, line, column);
            });
    layout->addWidget(tabPage_, 1);
    pnlStart_ = new TStartPage(central);
    pnlStart_->ShowExamples(paths_.ProjectsDir);
    layout->addWidget(pnlStart_, 1);
    setCentralWidget(central);
}

void TFormMain::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    pnlCaret_ = new QLabel(bar);
    pnlCaret_->setObjectName("pnlCaret");
    pnlCaret_->setMinimumWidth(80);
    pnlInsert_ = new QLabel(bar);
    pnlInsert_->setObjectName("pnlInsert");
    pnlInsert_->setMinimumWidth(30);
    pnlInsert_->setAlignment(Qt::AlignCenter);
    pnlMessage_ = new QLabel(bar);
    pnlMessage_->setObjectName("pnlMessage");
    pnlMessage_->setMinimumWidth(100);
    bar->addWidget(pnlCaret_);
    bar->addWidget(pnlInsert_);
    bar->addWidget(pnlMessage_, 1);
}

void TFormMain::ConnectActions() {
    auto on = [this](QAction* action, auto member) {
        connect(action, &QAction::triggered, this,
                [this, action, member] { Guard(action, [this, member] { member(); }); });
    };
    TDocumentCommands& doc = *documentCommands_;
    TModelCommands& model = *modelCommands_;
    on(actFileNew_, [&doc] { doc.New(); });
    on(actFileLoad_, [&doc] { doc.Open(); });
    on(actFileSave_, [&doc] { doc.Save(); });
    on(actFileSaveAs_, [&doc] { doc.SaveAs(); });
    on(actFileExit_, [this] { close(); });
    on(actSignalAdd_, [&doc] { doc.SignalAdd(); });
    on(actSignalDelete_, [&doc] { doc.SignalDelete(); });
    on(actSignalLoad_, [&doc] { doc.LibraryLoad(); });
    on(actSignalSave_, [&doc] { doc.LibrarySave(); });
    on(actSignalRename_, [&doc] { doc.SignalRename(); });
    on(actSignalReorder_, [&doc] { doc.SignalReorder(); });
    on(actEditUndo_, [this] { edSignal_->undo(); });
    on(actEditCut_, [this] { edSignal_->cut(); });
    on(actEditCopy_, [this] { edSignal_->copy(); });
    on(actEditPaste_, [this] { edSignal_->paste(); });
    on(actEditSelectAll_, [this] { edSignal_->selectAll(); });
    on(actSearchPan_, [this] { ToggleSearchPanel(); });
    TEditCommands& edit = *editCommands_;
    on(actSearchStart_, [&edit] { edit.Find(); });
    on(actSearchReplace_, [&edit] { edit.Replace(); });
    on(actSearchReplaceAll_, [&edit] { edit.ReplaceAll(); });
    on(actEditOp_, [&edit] { edit.InsertOperator(); });
    on(actViewFont_, [&edit] { edit.ChooseFont(); });
    on(actHelpContents_, [this] { ShowHelp(this, THelpTopic::Contents); });
    on(actHelpAbout_, [this] { ShowAbout(this); });
    on(actModelParam_, [&model] { model.Params(); });
    on(actModelCompile_, [&model] { model.Compile(); });
    on(actModelRun_, [&model] { model.Run(); });
    on(actModelSweep_, [this] { sweepCommands_->Sweep(); });
    actModelLong_->setChecked(model.LongRuns());
    connect(actModelLong_, &QAction::toggled, this, [&model](bool on) { model.SetLongRuns(on); });

    connect(tabSignals_, &QTabBar::currentChanged, this,
            [this](int index) { Guard(tabSignals_, [this, index] { tabSignalsChange(index); }); });
    connect(edSignal_, &QsciScintilla::textChanged, this, &TFormMain::edSignalChange);
    connect(edSignal_, &TSignalEditor::ContextMenuRequested, this,
            [this](const QPoint& pos) { pmnuEdit_->exec(pos); });
    connect(pnlSearch_, &TSearchPanel::FindNextRequested, this, &TFormMain::FindNext);

    connect(pnlStart_, &TStartPage::AddRequested, this, [this] {
        if (actSignalAdd_->isEnabled()) actSignalAdd_->trigger();
    });
    connect(pnlStart_, &TStartPage::OpenRequested, this, [this](const QString& path) {
        Guard(pnlStart_, [this, path] { documentCommands_->OpenPath(path); });
    });
    connect(pnlStart_, &TStartPage::HelpRequested, this,
            [this] { ShowHelp(this, THelpTopic::Contents); });
}

}  // namespace kvaril
