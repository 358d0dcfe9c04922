#include "ui/FrmMain.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QLabel>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QTabBar>

#include "base/PathRules.h"
#include "common/Dialogs.h"
#include "common/Icons.h"
#include "common/LongWork.h"
#include "common/QtText.h"
#include "common/Settings.h"
#include "common/WindowPlacement.h"
#include "common/Workbench.h"
#include "model/ModelOutcome.h"
#include "scope/FrmOsc.h"
#include "ui/DocumentCommands.h"
#include "ui/EditCommands.h"
#include "ui/LiveModelling.h"
#include "ui/ModelCommands.h"
#include "ui/ModelOutputPane.h"
#include "ui/SearchPanel.h"
#include "ui/SignalEditor.h"
#include "ui/StartPage.h"
#include "ui/SweepCommands.h"

namespace kvaril {

TFormMain::TFormMain(TWorkbench& workbench, TDialogs& dialogs, const TProgramPaths& paths)
    : workbench_(workbench), dialogs_(dialogs), paths_(paths) {
    setObjectName("FormMain");
    setWindowTitle("Kvaril");
    setWindowIcon(ApplicationIcon());
    CreateActions();
    CreateMenus();
    CreateSpeedBar();
    CreateCentralArea();
    CreateStatusBar();
    // The commands work on the controls they are given.
    documentCommands_ = std::make_unique<TDocumentCommands>(*this, *edSignal_);
    modelCommands_ = std::make_unique<TModelCommands>(*this);
    sweepCommands_ = std::make_unique<TSweepCommands>(*this);
    live_ = std::make_unique<TLiveModelling>(*this);
    editCommands_ = std::make_unique<TEditCommands>(*this, *edSignal_, *pnlSearch_);
    ConnectActions();
    CreateDesktopSupport(mnuRecentFiles_);

    resize(640, 420);
    setMinimumSize(520, 300);
    if (QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    QSettings settings = OpenSettings();
    RestoreWindowPlacement(settings, settings::kMainWindow, this);
    editCommands_->RestoreEditorFont(settings);

    UpdateCaption();
    RebuildTabs(0);
    connect(modelCommands_.get(), &TModelCommands::RunSucceeded, this,
            [this] { ShowOscilloscope(); });
    const auto followClipboard = [this] {
        const QMimeData* clip = QApplication::clipboard()->mimeData();
        clipboardHasText_ = clip && clip->hasText();
    };
    followClipboard();
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, followClipboard);
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            [this] {
                if (Busy()) return;
                UpdateActions();
                UpdateStatusBar();
            });
}

TFormMain::~TFormMain() {
    // The auto-run's job reports to this window: it ends first.
    live_.reset();
}

void TFormMain::Guard(QObject* sender, const std::function<void()>& body) {
    try {
        body();
    } catch (const std::exception& e) {
        dialogs_.Debug(this,
                       UnexpectedErrorText(sender ? sender->metaObject()->className() : "", e));
    }
}

bool TFormMain::Busy() const { return modelCommands_->Busy() || LongWorkRunning(); }

bool TFormMain::EditorAvailable() const {
    return workbench_.Signals.HasSignals() && tabSignals_->isVisible() &&
           tabSignals_->currentIndex() >= 0;
}

int TFormMain::SelectedTab() const {
    return tabSignals_->count() > 0 ? tabSignals_->currentIndex() : -1;
}

void TFormMain::ShowStatus(const QString& text) { pnlMessage_->setText(text); }

QString TFormMain::StatusText() const { return pnlMessage_->text(); }

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
        edSignal_->LoadFrom(signals.Items(index));
        loading_ = false;
        shownIndex_ = index;
        if (index == errorSignal_) edSignal_->MarkError(errorLine_, errorColumn_);
        edSignal_->setFocus();
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
        if (edSignal_->IsTextModified()) {
            bool lossless = true;
            signal.SetText(edSignal_->TextCp1251(&lossless));
            edSignal_->SetTextModified(false);
            modified = true;
            if (!lossless) {
                storeNotice_ = ReplacedNotice("Символы текста", edSignal_->text());
                ShowStatus(storeNotice_);
            }
        }
        edSignal_->StorePlaceInto(signal);
    }
    signals.Modified = modified;
}

void TFormMain::RebuildTabs(int index) {
    TSignals& signals = workbench_.Signals;
    if (live_) {
        // Opening a document is no edit: the auto-run waits for the user's first change.
        if (signals.Modified) live_->DocumentEdited();
        OscilloscopeFollowsDocument();
    }
    rebuilding_ = true;
    ClearCompilerError();  // the signals may have changed places
    pnlStart_->setVisible(signals.IsEmpty());
    if (signals.IsEmpty()) {
        while (tabSignals_->count() > 0) tabSignals_->removeTab(0);
        tabPage_->hide();
        pnlSearch_->hide();
        actSearchPan_->setChecked(false);
        UpdateSearchPanHint();
        shownIndex_ = -1;
        rebuilding_ = false;
        return;
    }
    while (tabSignals_->count() > 0) tabSignals_->removeTab(0);
    for (int i = 0; i < signals.Count(); ++i)
        tabSignals_->addTab(FromCp1251(signals.Items(i).Name()));
    tabPage_->show();
    tabSignals_->setCurrentIndex(index >= 0 && index < tabSignals_->count() ? index : 0);
    rebuilding_ = false;
}

void TFormMain::UpdateCaption() {
    // Paths are UTF-8; lowering only A to Z never touches a multi-byte character. "[*]" is
    // where the window shows that the document has unsaved changes.
    setWindowTitle(FromUtf8(DocumentCaption(ToUtf8(documentCommands_->DocumentName()))) + "[*]");
}

void TFormMain::tabSignalsChange(int index) {
    if (rebuilding_ || index < 0) return;
    StoreEditor();  // into the signal being left
    LoadEditor();
}

void TFormMain::edSignalChange() {
    if (!edSignal_->isModified()) return;
    workbench_.Signals.Modified = true;
    if (!loading_ && shownIndex_ == errorSignal_) ClearCompilerError();
    if (!loading_) live_->DocumentEdited();
}

void TFormMain::MarkCompilerError(int index, int line, int column) {
    ClearCompilerError();
    if (index < 0 || index >= workbench_.Signals.Count()) return;
    errorSignal_ = index;
    errorLine_ = line;
    errorColumn_ = column;
    if (shownIndex_ == index) edSignal_->MarkError(line, column);
}

void TFormMain::ShowModelOutput(const TModelOutcome& outcome) {
    pnlModelOutput_->Show(outcome.ModelOutput, outcome.ModelFiles, outcome.ModelFolder);
}

void TFormMain::ClearCompilerError() {
    errorSignal_ = -1;
    edSignal_->ClearErrorMark();
}

void TFormMain::ShowSignalAt(int index, int line, int column) {
    if (index < 0 || index >= workbench_.Signals.Count()) return;
    if (SelectedTab() != index) {
        StoreEditor();
        rebuilding_ = true;
        tabSignals_->setCurrentIndex(index);
        rebuilding_ = false;
        LoadEditor();  // fills the editor at once: the caret can go there now
    }
    edSignal_->SetCaret(line, column);
    edSignal_->setFocus();
}

void TFormMain::ToggleSearchPanel() {
    // The action has already toggled its checked state.
    const bool show = actSearchPan_->isChecked();
    pnlSearch_->setVisible(show);
    UpdateSearchPanHint();
    if (show)
        pnlSearch_->StartSearch(edSignal_->selectedText());
    else
        edSignal_->setFocus();
}

void TFormMain::UpdateSearchPanHint() {
    const QString hint = actSearchPan_->isChecked() ? "Скрытие панели поиска-замены"
                                                    : "Отображение панели поиска-замены";
    actSearchPan_->setStatusTip(hint);
    actSearchPan_->setToolTip(hint);
}

void TFormMain::FindNext() {
    UpdateActions();
    if (actSearchStart_->isEnabled()) actSearchStart_->trigger();
}

void TFormMain::UpdateActions() {
    const bool available = EditorAvailable();
    const TSignals& signals = workbench_.Signals;
    const bool hasText = available && edSignal_->hasSelectedText();
    const bool searchable =
        available && pnlSearch_->isVisible() && !pnlSearch_->SearchText().isEmpty();

    // Only a real change: setting the flag rewrites the title, which on X11 is a property
    // write that wakes the event loop, which would come straight back here.
    const bool modified = signals.Modified || workbench_.Osc.Modified;
    if (modified != isWindowModified()) setWindowModified(modified);
    actFileNew_->setEnabled(available);
    actFileSave_->setEnabled(available && (signals.Modified || workbench_.Osc.Modified));
    actFileSaveAs_->setEnabled(available);
    actSignalDelete_->setEnabled(available);
    actSignalSave_->setEnabled(available);
    actSignalRename_->setEnabled(available);
    actSignalReorder_->setEnabled(available && signals.Count() > 1);
    actEditUndo_->setEnabled(available && edSignal_->isUndoAvailable());
    actEditCut_->setEnabled(hasText);
    actEditCopy_->setEnabled(hasText);
    actEditPaste_->setEnabled(available && clipboardHasText_);
    actEditSelectAll_->setEnabled(available);
    actEditOp_->setEnabled(available);
    actSearchPan_->setEnabled(available);
    actSearchStart_->setEnabled(searchable);
    actSearchReplace_->setEnabled(searchable &&
                                  pnlSearch_->SearchText() != pnlSearch_->ReplaceText());
    actSearchReplaceAll_->setEnabled(actSearchReplace_->isEnabled());
    actModelParam_->setEnabled(available);
    actModelCompile_->setEnabled(available);
    actModelRun_->setEnabled(available);
    actModelSweep_->setEnabled(available);
}

void TFormMain::UpdateStatusBar() {
    // Only real changes: clearing a label repaints it, and a repaint ends the idle state, so
    // clearing it on every idle would keep the window busy forever.
    if (!EditorAvailable()) {
        if (!pnlCaret_->text().isEmpty()) pnlCaret_->clear();
        if (!pnlInsert_->text().isEmpty()) pnlInsert_->clear();
        return;
    }
    pnlCaret_->setText(
        QString("L:%1  C:%2").arg(edSignal_->CaretLine()).arg(edSignal_->CaretColumn()));
    pnlInsert_->setText(edSignal_->overwriteMode() ? "Ovr" : "Ins");
}

void TFormMain::closeEvent(QCloseEvent* event) {
    if (Busy()) {
        event->ignore();
        return;
    }
    bool allowed = false;
    Guard(this, [&] { allowed = documentCommands_->CloseQuery(); });
    if (!allowed) {
        event->ignore();
        return;
    }
    QSettings settings = OpenSettings();
    SaveWindowPlacement(settings, settings::kMainWindow, this);
    event->accept();
}

}  // namespace kvaril
