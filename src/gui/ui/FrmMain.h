#pragma once
// The main window: the signal editor with one tab per signal, the actions with their menus,
// tool bar and enabling rules, the status bar, and the transfers between editor and signals.
// The commands themselves live in TDocumentCommands, TModelCommands and TEditCommands; the
// window's controls are its own, named as its design names them (tests find them by name).

#include <QMainWindow>
#include <functional>
#include <memory>

#include "common/ProgramPaths.h"
#include "sweep/SweepShown.h"
#include "ui/MainWindowPort.h"

class QAction;
class QLabel;
class QDragEnterEvent;
class QDropEvent;
class QMenu;
class QMimeData;
class QTabBar;
class QToolBar;

namespace kvaril {

class TDialogs;
class TDocumentCommands;
class TEditCommands;
class TFormOsc;
class TModelCommands;
class TModelOutputPane;
class TRecentFiles;
class TSearchPanel;
class TSignalEditor;
class TLiveModelling;
class TMessagesPane;
class TStartPage;
class TSweepCommands;
struct TModelOutcome;
struct TWorkbench;

class TFormMain : public QMainWindow, public TMainWindowPort {
    Q_OBJECT
  public:
    TFormMain(TWorkbench& workbench, TDialogs& dialogs, const TProgramPaths& paths);
    ~TFormMain() override;

    // Operations the commands share (MainWindowPort.h).
    QWidget* Window() override { return this; }
    bool EditorAvailable() const override;
    void ShowStatus(const QString& text) override;
    void ShowError(const QString& title, const QString& text) override;
    void StoreEditor() override;
    void LoadEditor() override;
    void RebuildTabs(int index) override;
    // The title after the document's name changed.
    void UpdateCaption() override;
    int SelectedTab() const override;
    // Shows the signal at `index` and puts the caret there (a located compiler message).
    void ShowSignalAt(int index, int line, int column) override;
    // The place of the last compiler message stays marked in its signal until that signal is
    // edited, the signals change places or the next build starts.
    void MarkCompilerError(int index, int line, int column) override;
    void ClearCompilerError() override;
    // What the last run's model printed and the files it left (the pane hides when there are
    // none).
    void ShowModelOutput(const TModelOutcome& outcome) override;
    TFormOsc* Oscilloscope() { return formOsc_; }
    // FrmMainLive.cpp: beside the oscilloscope, an outcome's messages go to the "Сообщения"
    // pane (the editor goes to the place when `goThere`), and the oscilloscope says whether it
    // shows an older text.
    void ListMessages(const TModelOutcome& outcome, bool goThere) override;
    // Before the document is saved or questioned: what an oscilloscope beside the editor is
    // typing into is committed.
    void OscilloscopeInStep() override;
    // The document is about to be replaced: the oscilloscope beside the editor closes and an
    // auto-run stops.
    void DocumentGoes() override;
    // The signals or the times changed: an oscilloscope beside the editor that shows a run of
    // other ones closes, since its picture reads the document's list and times.
    void OscilloscopeFollowsDocument() override;
    TLiveModelling& Live() override { return *live_; }
    // After a successful run: the oscilloscope, shown modally while this window is hidden, or
    // beside it (FrmMainLive.cpp); with `sweep`, its runs overlaid, else the current run alone.
    void ShowOscilloscope(TSweepShownPtr sweep = nullptr) override;
    // Runs `body` as an event handler: anything it throws is reported, and the program goes on.
    void Guard(QObject* sender, const std::function<void()>& body) override;
    // While a model is built or run in the background, idle work and commands wait.
    bool Busy() const override;

    TWorkbench& Workbench() override { return workbench_; }
    TDialogs& Dialogs() override { return dialogs_; }
    const TProgramPaths& Paths() const override { return paths_; }
    QString StatusText() const override;
    // The notice of the last StoreEditor about characters it had to replace (empty if none),
    // handed over once.
    QString TakeStoreNotice() override;
    // FrmMainDesktop.cpp: after a document was opened or saved under `path`.
    void NoteRecentDocument(const QString& path) override;
    QStringList RecentDocuments() const;
    // Opens the first file of a drop when it is a document (after the unsaved-changes
    // question), politely refuses anything else; both once the drop has returned.
    void OpenDropped(const QMimeData* data);

    TDocumentCommands& DocumentCommands() override { return *documentCommands_; }
    TModelCommands& ModelCommands() override { return *modelCommands_; }
    TEditCommands& EditCommands() override { return *editCommands_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    QAction* MakeAction(const char* name, const QString& caption, const QString& hint,
                        int icon = -1, const QKeySequence& shortcut = {});
    void CreateActions();
    void CreateMenus();
    void CreateDesktopSupport(QMenu* recentMenu);
    void CreateSpeedBar();
    void CreateCentralArea();
    void CreateStatusBar();
    void CreateLiveModelling(QMenu* model, QMenu* view);
    void ConnectActions();
    void tabSignalsChange(int index);
    void ToggleSearchPanel();
    void UpdateSearchPanHint();
    void FindNext();
    void edSignalChange();
    // Idle work: the enabling rules and the status bar.
    void UpdateActions();
    void UpdateStatusBar();

    TWorkbench& workbench_;
    TDialogs& dialogs_;
    TProgramPaths paths_;

    // Controls and actions, named as the window's design names them.
    QToolBar* SpeedBar_;
    TSearchPanel* pnlSearch_;
    QTabBar* tabSignals_;
    QWidget* tabPage_;
    TStartPage* pnlStart_;  // in place of the editor while there are no signals
    TModelOutputPane* pnlModelOutput_ = nullptr;
    TMessagesPane* pnlMessages_ = nullptr;
    TSignalEditor* edSignal_;
    QLabel* pnlCaret_;
    QLabel* pnlInsert_;
    QLabel* pnlMessage_;
    QMenu* pmnuEdit_;

    QAction *actFileNew_, *actFileLoad_, *actFileSave_, *actFileSaveAs_, *actFileExit_;
    QAction *actSignalAdd_, *actSignalDelete_, *actSignalLoad_, *actSignalSave_, *actSignalRename_,
        *actSignalReorder_;
    QAction *actEditUndo_, *actEditCut_, *actEditCopy_, *actEditPaste_, *actEditSelectAll_,
        *actEditOp_;
    QAction *actSearchPan_, *actSearchStart_, *actSearchReplace_, *actSearchReplaceAll_;
    QAction *actModelParam_, *actModelCompile_, *actModelRun_;
    QAction* actModelSweep_;
    QAction* actModelLong_;  // "Длинные прогоны", checkable, kept in the settings
    QAction *actViewFont_, *actHelpContents_, *actHelpAbout_;
    QAction *actOscBeside_ = nullptr, *actAutoRun_ = nullptr;

    std::unique_ptr<TDocumentCommands> documentCommands_;
    std::unique_ptr<TModelCommands> modelCommands_;
    std::unique_ptr<TSweepCommands> sweepCommands_;
    std::unique_ptr<TEditCommands> editCommands_;
    std::unique_ptr<TLiveModelling> live_;
    TFormOsc* formOsc_ = nullptr;  // created by the first successful run, owned by this window
    int shownIndex_ = -1;          // the signal whose text the editor holds
    bool rebuilding_ = false;
    QString storeNotice_;
    TRecentFiles* recentFiles_ = nullptr;  // owned by its menu
    QMenu* mnuRecentFiles_ = nullptr;
    bool loading_ = false;  // the editor is being filled, not edited
    int errorSignal_ = -1;  // the signal with a marked compiler message, −1 when none
    int errorLine_ = 0;
    int errorColumn_ = 0;
    // Whether the clipboard holds text, followed through its change signal: asking the system's
    // clipboard on every idle is a round trip to the display server each time.
    bool clipboardHasText_ = false;
};

}  // namespace kvaril
