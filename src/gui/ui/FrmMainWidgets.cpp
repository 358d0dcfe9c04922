// The main window's parts: its actions, menus, speed bar, search panel, the signal tabs over
// the editor, the status bar, and what each action does.

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/DocumentCommands.h"
#include "ui/EditCommands.h"
#include "ui/FrmAbout.h"
#include "ui/FrmMain.h"
#include "ui/Help.h"
#include "ui/Icons.h"
#include "ui/ModelCommands.h"
#include "ui/SignalEditor.h"
#include "ui/StartPage.h"

namespace kvaril {

QAction* TFormMain::MakeAction(const QString& caption, const QString& hint, int icon,
                               const QKeySequence& shortcut) {
    auto* action = new QAction(caption, this);
    action->setStatusTip(hint);
    action->setToolTip(hint);
    if (icon >= 0) action->setIcon(MainIcon(icon));
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    return action;
}

void TFormMain::CreateActions() {
    actFileNew = MakeAction("&Создать", "Создание нового файла", icoFileNew);
    actFileLoad = MakeAction("&Открыть...", "Открытие файла", icoFileLoad, QKeySequence("Ctrl+O"));
    actFileSave = MakeAction("С&охранить", "Сохранение файла", icoFileSave, QKeySequence("Ctrl+S"));
    actFileSaveAs = MakeAction("Сохранить &как...", "Сохранение файла с новым именем", -1,
                               QKeySequence("Shift+Ctrl+S"));
    actFileExit = MakeAction("&Выход", "Выход из программы");
    actSignalAdd = MakeAction("&Добавить...", "Добавление нового сигнала", icoSignalAdd);
    actSignalDelete = MakeAction("&Удалить", "Удаление сигнала", icoSignalDelete);
    actSignalLoad =
        MakeAction("&Взять из библиотеки...", "Загрузка сигнала из библиотеки", icoSignalLoad);
    actSignalSave =
        MakeAction("&Сохранить в библиотеке...", "Сохранение сигнала в библиотеке", icoSignalSave);
    actSignalRename = MakeAction("&Переименовать...", "Переименование сигнала");
    actSignalReorder =
        MakeAction("&Изменить порядок...", "Изменение порядка сигналов", icoSignalReorder);
    actEditUndo = MakeAction("&Отменить", "Отмена последней операции правки", icoEditUndo);
    actEditCut = MakeAction("&Вырезать", "Удаление выделенного текста в буфер обмена", icoEditCut);
    actEditCopy =
        MakeAction("&Копировать", "Копирование выделенного текста в буфер обмена", icoEditCopy);
    actEditPaste = MakeAction("Вст&авить", "Вставка текста из буфера обмена", icoEditPaste);
    actEditSelectAll = MakeAction("Вы&делить все", "Выделение всего текста");
    actEditOp = MakeAction("Оператор &языка", "Ввод заготовки для оператора языка Pascal",
                           icoEditOp, QKeySequence("Ctrl+J"));
    actSearchPan = MakeAction("&Панель...", "Показать или скрыть панель поиска-замены",
                              icoSearchPan, QKeySequence("Ctrl+F"));
    actSearchPan->setCheckable(true);
    actSearchStart = MakeAction("&Найти", "Поиск текста", icoSearchStart, QKeySequence("F3"));
    actSearchReplace = MakeAction("&Заменить", "Одиночный поиск и замена", icoSearchReplace,
                                  QKeySequence("Ctrl+F3"));
    actSearchReplaceAll = MakeAction("Заменить &все", "Поиск и замена по всему тексту сигнала");
    actModelParam =
        MakeAction("&Параметры...", "Параметры моделирования", icoModelParam, QKeySequence("F8"));
    actModelCompile = MakeAction("&Компиляция", "Проверка правильности программы", icoModelCompile,
                                 QKeySequence("Ctrl+F9"));
    actModelRun = MakeAction("&Старт", "Компиляция, старт моделирования и отображение результатов",
                             icoModelRun, QKeySequence("F9"));
    actViewFont = MakeAction("&Шрифт...", "Изменение шрифта редактора текстов");
    actHelpContents = MakeAction("&Содержание", "Содержание справки", -1, QKeySequence("F1"));
    actHelpAbout = MakeAction("&О программе", "Сведения о программе Kvaril");
}

void TFormMain::CreateMenus() {
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu("&Файл");
    file->addActions({actFileNew, actFileLoad, actFileSave, actFileSaveAs});
    file->addSeparator();
    mnuRecentFiles_ = file->addMenu("Последние &файлы");
    file->addSeparator();
    file->addAction(actFileExit);
    QMenu* signal = bar->addMenu("&Сигнал");
    signal->addActions({actSignalAdd, actSignalDelete});
    signal->addSeparator();
    signal->addActions({actSignalLoad, actSignalSave});
    signal->addSeparator();
    signal->addActions({actSignalRename, actSignalReorder});
    QMenu* edit = bar->addMenu("&Правка");
    edit->addAction(actEditUndo);
    edit->addSeparator();
    edit->addActions({actEditCut, actEditCopy, actEditPaste, actEditSelectAll});
    edit->addSeparator();
    edit->addAction(actEditOp);
    QMenu* search = bar->addMenu("П&оиск");
    search->addAction(actSearchPan);
    search->addSeparator();
    search->addActions({actSearchStart, actSearchReplace, actSearchReplaceAll});
    QMenu* model = bar->addMenu("&Моделирование");
    model->addActions({actModelParam, actModelCompile, actModelRun});
    QMenu* view = bar->addMenu("&Вид");
    view->addAction(actViewFont);
    QMenu* help = bar->addMenu("&?");
    help->addAction(actHelpContents);
    help->addSeparator();
    help->addAction(actHelpAbout);
    // Menus show each action's hint in the status line while it is highlighted.
    for (QMenu* menu : {file, signal, edit, search, model, view, help})
        menu->setToolTipsVisible(false);

    pmnuEdit = new QMenu(this);
    pmnuEdit->addActions(
        {actEditUndo, actEditCut, actEditCopy, actEditPaste, actEditSelectAll, actEditOp});
}

void TFormMain::CreateSpeedBar() {
    SpeedBar = addToolBar("SpeedBar");
    SpeedBar->setObjectName("SpeedBar");
    SpeedBar->setMovable(false);
    SpeedBar->setFloatable(false);
    SpeedBar->setIconSize(QSize(20, 20));
    SpeedBar->setContextMenuPolicy(Qt::PreventContextMenu);
    SpeedBar->addActions({actFileNew, actFileLoad, actFileSave});
    SpeedBar->addSeparator();
    SpeedBar->addActions({actSignalAdd, actSignalDelete});
    SpeedBar->addSeparator();
    SpeedBar->addActions({actEditUndo, actEditCut, actEditCopy, actEditPaste, actEditOp});
    SpeedBar->addSeparator();
    SpeedBar->addActions({actSearchPan, actSearchStart, actSearchReplace});
    SpeedBar->addSeparator();
    SpeedBar->addActions({actModelParam, actModelCompile, actModelRun});
    btnSearchPan = qobject_cast<QToolButton*>(SpeedBar->widgetForAction(actSearchPan));
}

void TFormMain::CreateSearchPanel() {
    pnlSearch = new QWidget(this);
    pnlSearch->setObjectName("pnlSearch");
    auto* layout = new QHBoxLayout(pnlSearch);
    layout->setContentsMargins(4, 2, 4, 2);
    auto* left = new QVBoxLayout;
    left->setSpacing(1);
    left->addWidget(new QLabel("Что искать:", pnlSearch));
    edSearch = new QLineEdit(pnlSearch);
    left->addWidget(edSearch);
    auto* right = new QVBoxLayout;
    right->setSpacing(1);
    right->addWidget(new QLabel("На что заменить:", pnlSearch));
    edReplace = new QLineEdit(pnlSearch);
    right->addWidget(edReplace);
    edSearch->installEventFilter(this);
    layout->addLayout(left, 1);
    layout->addLayout(right, 1);
    pnlSearch->hide();
}

void TFormMain::CreateCentralArea() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 3, 0, 0);
    layout->setSpacing(0);
    CreateSearchPanel();
    layout->addWidget(pnlSearch);

    tabPage = new QWidget(central);
    auto* page = new QVBoxLayout(tabPage);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(0);
    tabSignals = new QTabBar(tabPage);
    tabSignals->setObjectName("tabSignals");
    tabSignals->setExpanding(false);
    tabSignals->setDocumentMode(true);
    tabSignals->setElideMode(Qt::ElideNone);
    tabSignals->setUsesScrollButtons(true);
    edSignal = new TSignalEditor(tabPage);
    edSignal->setObjectName("edSignal");
    page->addWidget(tabSignals);
    page->addWidget(edSignal, 1);
    layout->addWidget(tabPage, 1);
    pnlStart = new TStartPage(central);
    pnlStart->ShowExamples(paths_.ProjectsDir);
    pnlStart->OnAdd = [this] {
        if (actSignalAdd->isEnabled()) actSignalAdd->trigger();
    };
    pnlStart->OnOpen = [this](const QString& path) {
        Guard(pnlStart, [this, path] { documentCommands_->OpenPath(path); });
    };
    pnlStart->OnHelp = [this] { ShowHelp(this, THelpTopic::Contents); };
    layout->addWidget(pnlStart, 1);
    setCentralWidget(central);
}

void TFormMain::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    pnlCaret = new QLabel(bar);
    pnlCaret->setMinimumWidth(80);
    pnlInsert = new QLabel(bar);
    pnlInsert->setMinimumWidth(30);
    pnlInsert->setAlignment(Qt::AlignCenter);
    pnlMessage = new QLabel(bar);
    pnlMessage->setMinimumWidth(100);
    bar->addWidget(pnlCaret);
    bar->addWidget(pnlInsert);
    bar->addWidget(pnlMessage, 1);
}

void TFormMain::ConnectActions() {
    auto on = [this](QAction* action, auto member) {
        connect(action, &QAction::triggered, this,
                [this, action, member] { Guard(action, [this, member] { member(); }); });
    };
    TDocumentCommands& doc = *documentCommands_;
    TModelCommands& model = *modelCommands_;
    on(actFileNew, [&doc] { doc.New(); });
    on(actFileLoad, [&doc] { doc.Open(); });
    on(actFileSave, [&doc] { doc.Save(); });
    on(actFileSaveAs, [&doc] { doc.SaveAs(); });
    on(actFileExit, [this] { close(); });
    on(actSignalAdd, [&doc] { doc.SignalAdd(); });
    on(actSignalDelete, [&doc] { doc.SignalDelete(); });
    on(actSignalLoad, [&doc] { doc.LibraryLoad(); });
    on(actSignalSave, [&doc] { doc.LibrarySave(); });
    on(actSignalRename, [&doc] { doc.SignalRename(); });
    on(actSignalReorder, [&doc] { doc.SignalReorder(); });
    on(actEditUndo, [this] { edSignal->undo(); });
    on(actEditCut, [this] { edSignal->cut(); });
    on(actEditCopy, [this] { edSignal->copy(); });
    on(actEditPaste, [this] { edSignal->paste(); });
    on(actEditSelectAll, [this] { edSignal->selectAll(); });
    on(actSearchPan, [this] { ToggleSearchPanel(); });
    TEditCommands& edit = *editCommands_;
    on(actSearchStart, [&edit] { edit.Find(); });
    on(actSearchReplace, [&edit] { edit.Replace(); });
    on(actSearchReplaceAll, [&edit] { edit.ReplaceAll(); });
    on(actEditOp, [&edit] { edit.InsertOperator(); });
    on(actViewFont, [&edit] { edit.ChooseFont(); });
    on(actHelpContents, [this] { ShowHelp(this, THelpTopic::Contents); });
    on(actHelpAbout, [this] { ShowAbout(this); });
    on(actModelParam, [&model] { model.Params(); });
    on(actModelCompile, [&model] { model.Compile(); });
    on(actModelRun, [&model] { model.Run(); });

    connect(tabSignals, &QTabBar::currentChanged, this,
            [this](int index) { Guard(tabSignals, [this, index] { tabSignalsChange(index); }); });
    connect(edSignal, &QsciScintilla::textChanged, this, &TFormMain::edSignalChange);
    connect(edSignal, &TSignalEditor::ContextMenuRequested, this,
            [this](const QPoint& pos) { pmnuEdit->exec(pos); });
}

}  // namespace kvaril
