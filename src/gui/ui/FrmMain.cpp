#include "ui/FrmMain.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QTabBar>

#include "document/PathRules.h"
#include "osc/FrmOsc.h"
#include "ui/Dialogs.h"
#include "ui/DocumentCommands.h"
#include "ui/EditCommands.h"
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
