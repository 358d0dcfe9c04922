#include "ui/FrmMain.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "Errors.h"
#include "document/PathRules.h"
#include "osc/FrmOsc.h"
#include "ui/Dialogs.h"
#include "ui/DocumentCommands.h"
#include "ui/EditCommands.h"
#include "ui/FrmAbout.h"
#include "ui/Help.h"
#include "ui/Icons.h"
#include "ui/ModelCommands.h"
#include "ui/QtText.h"
#include "ui/SignalEditor.h"
#include "ui/StartPage.h"
#include "ui/WindowPlacement.h"
#include "ui/Workbench.h"

namespace kvaril {

TFormMain::TFormMain(TWorkbench& workbench, TDialogs& dialogs, const TProgramPaths& paths)
    : workbench_(workbench), dialogs_(dialogs), paths_(paths) {
    setObjectName("FormMain");
    setWindowTitle("Kvaril");
    setWindowIcon(ApplicationIcon());
    LastDocumentDir = paths.ProjectsDir;
    LastLibraryDir = paths.ProjectsDir;
    documentCommands_ = std::make_unique<TDocumentCommands>(*this);
    modelCommands_ = std::make_unique<TModelCommands>(*this);
    editCommands_ = std::make_unique<TEditCommands>(*this);

    CreateActions();
    CreateMenus();
    CreateSpeedBar();
    CreateCentralArea();
    CreateStatusBar();
    ConnectActions();
    CreateDesktopSupport(mnuRecentFiles_);

    resize(640, 420);
    setMinimumSize(520, 300);
    if (QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    // The stored editor font; errors leave what was set before them.
    EditorFont = BuiltInEditorFont();
    QSettings settings("Dornek", "Kvaril");
    RestoreWindowPlacement(settings, "Main", this);
    LoadEditorFont(settings, EditorFont, &EditorCharset);
    edSignal->SetEditorFont(EditorFont);

    UpdateCaption();
    RebuildTabs(0);
    modelCommands_->OnRunSucceeded = [this] { ShowOscilloscope(); };
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            [this] {
                if (Busy) return;
                UpdateActions();
                UpdateStatusBar();
            });
}

TFormMain::~TFormMain() = default;

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

void TFormMain::Guard(QObject* sender, const std::function<void()>& body) {
    try {
        body();
    } catch (const std::exception& e) {
        dialogs_.Debug(this,
                       UnexpectedErrorText(sender ? sender->metaObject()->className() : "", e));
    }
}

bool TFormMain::EditorAvailable() const {
    return workbench_.Signals.HasSignals() && tabSignals->isVisible() &&
           tabSignals->currentIndex() >= 0;
}

int TFormMain::SelectedTab() const {
    return tabSignals->count() > 0 ? tabSignals->currentIndex() : -1;
}

void TFormMain::ShowStatus(const QString& text) { pnlMessage->setText(text); }

QString TFormMain::StatusText() const { return pnlMessage->text(); }

QString TFormMain::TakeStoreNotice() {
    QString notice;
    notice.swap(storeNotice_);
    return notice;
}

void TFormMain::ShowError(const QString& title, const QString& text) {
    ShowStatus(title);
    dialogs_.Error(this, title, text);
}

void TFormMain::LoadEditor() {
    TSignals& signals = workbench_.Signals;
    if (signals.IsEmpty()) return;
    const bool modified = signals.Modified;
    const int index = SelectedTab();
    if (index >= 0 && index < signals.Count()) {
        loading_ = true;
        edSignal->LoadFrom(signals.Items(index));
        loading_ = false;
        shownIndex_ = index;
        if (index == errorSignal_) edSignal->MarkError(errorLine_, errorColumn_);
        edSignal->setFocus();
    }
    signals.Modified = modified;
}

void TFormMain::StoreEditor() {
    TSignals& signals = workbench_.Signals;
    storeNotice_.clear();
    if (signals.IsEmpty()) return;
    bool modified = signals.Modified;
    if (shownIndex_ >= 0 && shownIndex_ < signals.Count()) {
        TSignal& signal = signals.Items(shownIndex_);
        if (edSignal->IsTextModified()) {
            bool lossless = true;
            signal.SetText(edSignal->TextCp1251(&lossless));
            edSignal->SetTextModified(false);
            modified = true;
            if (!lossless) {
                storeNotice_ = ReplacedNotice("Символы текста", edSignal->text());
                ShowStatus(storeNotice_);
            }
        }
        edSignal->StorePlaceInto(signal);
    }
    signals.Modified = modified;
}

void TFormMain::RebuildTabs(int index) {
    TSignals& signals = workbench_.Signals;
    rebuilding_ = true;
    ClearCompilerError();  // the signals may have changed places
    pnlStart->setVisible(signals.IsEmpty());
    if (signals.IsEmpty()) {
        while (tabSignals->count() > 0) tabSignals->removeTab(0);
        tabPage->hide();
        pnlSearch->hide();
        actSearchPan->setChecked(false);
        UpdateSearchPanHint();
        shownIndex_ = -1;
        rebuilding_ = false;
        return;
    }
    while (tabSignals->count() > 0) tabSignals->removeTab(0);
    for (int i = 0; i < signals.Count(); ++i)
        tabSignals->addTab(FromCp1251(signals.Items(i).Name()));
    tabPage->show();
    tabSignals->setCurrentIndex(index >= 0 && index < tabSignals->count() ? index : 0);
    rebuilding_ = false;
}

void TFormMain::UpdateCaption() {
    // Paths are UTF-8; lowering only A to Z never touches a multi-byte character.
    setWindowTitle(FromUtf8(DocumentCaption(ToUtf8(DocumentName))));
}

void TFormMain::tabSignalsChange(int index) {
    if (rebuilding_ || index < 0) return;
    StoreEditor();  // into the signal being left
    LoadEditor();
}

void TFormMain::edSignalChange() {
    if (!edSignal->isModified()) return;
    workbench_.Signals.Modified = true;
    if (!loading_ && shownIndex_ == errorSignal_) ClearCompilerError();
}

void TFormMain::MarkCompilerError(int index, int line, int column) {
    ClearCompilerError();
    if (index < 0 || index >= workbench_.Signals.Count()) return;
    errorSignal_ = index;
    errorLine_ = line;
    errorColumn_ = column;
    if (shownIndex_ == index) edSignal->MarkError(line, column);
}

void TFormMain::ClearCompilerError() {
    errorSignal_ = -1;
    edSignal->ClearErrorMark();
}

void TFormMain::ShowSignalAt(int index, int line, int column) {
    if (index < 0 || index >= workbench_.Signals.Count()) return;
    if (SelectedTab() != index) {
        StoreEditor();
        rebuilding_ = true;
        tabSignals->setCurrentIndex(index);
        rebuilding_ = false;
        LoadEditor();
    }
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    edSignal->SetCaret(line, column);
    edSignal->setFocus();
}

void TFormMain::ShowOscilloscope() {
    if (!formOsc_) formOsc_ = new TFormOsc(workbench_, dialogs_, this);
    formOsc_->PrepareForRun();
    hide();
    struct ShowAgain {
        TFormMain* window;
        ~ShowAgain() { window->show(); }  // also when the display ends with an error
    } showAgain{this};
    formOsc_->ShowModal();
}

void TFormMain::ToggleSearchPanel() {
    // The action has already toggled its checked state.
    const bool show = actSearchPan->isChecked();
    pnlSearch->setVisible(show);
    UpdateSearchPanHint();
    if (show) {
        // A word selected in the editor is what the user wants to find; otherwise the last
        // text is selected, so that typing replaces it.
        const QString selected = edSignal->selectedText();
        if (!selected.isEmpty() && !selected.contains('\n') && !selected.contains('\r'))
            edSearch->setText(selected);
        edSearch->selectAll();
        edSearch->setFocus();
    } else {
        edSignal->setFocus();
    }
}

void TFormMain::UpdateSearchPanHint() {
    const QString hint = actSearchPan->isChecked() ? "Скрытие панели поиска-замены"
                                                   : "Отображение панели поиска-замены";
    actSearchPan->setStatusTip(hint);
    actSearchPan->setToolTip(hint);
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
    // Enter in the search field finds the next occurrence; Shift+Enter would look backwards,
    // which the panel does not offer, so it does nothing.
    if (watched == edSearch && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (!(key->modifiers() & Qt::ShiftModifier)) {
                UpdateActions();
                if (actSearchStart->isEnabled()) actSearchStart->trigger();
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::UpdateActions() {
    const bool available = EditorAvailable();
    const TSignals& signals = workbench_.Signals;
    const bool hasText = available && edSignal->hasSelectedText();
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    const bool searchable = available && pnlSearch->isVisible() && !edSearch->text().isEmpty();

    actFileNew->setEnabled(available);
    actFileSave->setEnabled(available && (signals.Modified || workbench_.Osc.Modified));
    actFileSaveAs->setEnabled(available);
    actSignalDelete->setEnabled(available);
    actSignalSave->setEnabled(available);
    actSignalRename->setEnabled(available);
    actSignalReorder->setEnabled(available && signals.Count() > 1);
    actEditUndo->setEnabled(available && edSignal->isUndoAvailable());
    actEditCut->setEnabled(hasText);
    actEditCopy->setEnabled(hasText);
    actEditPaste->setEnabled(available && clip && clip->hasText());
    actEditSelectAll->setEnabled(available);
    actEditOp->setEnabled(available);
    actSearchPan->setEnabled(available);
    actSearchStart->setEnabled(searchable);
    actSearchReplace->setEnabled(searchable && edSearch->text() != edReplace->text());
    actSearchReplaceAll->setEnabled(actSearchReplace->isEnabled());
    actModelParam->setEnabled(available);
    actModelCompile->setEnabled(available);
    actModelRun->setEnabled(available);
}

void TFormMain::UpdateStatusBar() {
    // Only real changes: clearing a label repaints it, and a repaint ends the idle state, so
    // clearing it on every idle would keep the window busy forever.
    if (!EditorAvailable()) {
        if (!pnlCaret->text().isEmpty()) pnlCaret->clear();
        if (!pnlInsert->text().isEmpty()) pnlInsert->clear();
        return;
    }
    pnlCaret->setText(
        QString("L:%1  C:%2").arg(edSignal->CaretLine()).arg(edSignal->CaretColumn()));
    pnlInsert->setText(edSignal->overwriteMode() ? "Ovr" : "Ins");
}

void TFormMain::closeEvent(QCloseEvent* event) {
    if (Busy) {
        event->ignore();
        return;
    }
    bool allowed = false;
    Guard(this, [&] { allowed = documentCommands_->CloseQuery(); });
    if (!allowed) {
        event->ignore();
        return;
    }
    QSettings settings("Dornek", "Kvaril");
    SaveWindowPlacement(settings, "Main", this);
    event->accept();
}

}  // namespace kvaril
