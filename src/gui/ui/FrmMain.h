#pragma once
// The main window: the signal editor with one tab per signal, the actions with their menus,
// tool bar and enabling rules, the status bar, and the transfers between editor and signals.
// The commands themselves live in TDocumentCommands and TModelCommands.

#include <QMainWindow>
#include <functional>
#include <memory>

#include "model/ModelOutcome.h"

class QAction;
class QLabel;
class QDragEnterEvent;
class QDropEvent;
class QLineEdit;
class QMenu;
class QMimeData;
class QTabBar;
class QToolBar;
class QToolButton;

namespace kvaril {

class TDialogs;
class TDocumentCommands;
class TEditCommands;
class TFormOsc;
class TModelCommands;
class TRecentFiles;
class TSignal;
class TSignalEditor;
class TStartPage;
struct TWorkbench;

struct TProgramPaths {
    QString ProgramDir;   // ends with "/"
    QString ProjectsDir;  // ends with "/"
    QString BinDir;       // ends with "/"
};

class TFormMain : public QMainWindow {
    Q_OBJECT
  public:
    TFormMain(TWorkbench& workbench, TDialogs& dialogs, const TProgramPaths& paths);
    ~TFormMain() override;

    // Operations the commands share.
    bool EditorAvailable() const;
    void ShowStatus(const QString& text);
    void ShowError(const QString& title, const QString& text);
    void StoreEditor();
    void LoadEditor();
    void RebuildTabs(int index);
    void UpdateCaption();
    int SelectedTab() const;
    // Shows the signal at `index` and puts the caret there (a located compiler message).
    void ShowSignalAt(int index, int line, int column);
    // The place of the last compiler message stays marked in its signal until that signal is
    // edited, the signals change places or the next build starts.
    void MarkCompilerError(int index, int line, int column);
    void ClearCompilerError();
    // After a successful run: the oscilloscope, shown modally while this window is hidden.
    void ShowOscilloscope();
    TFormOsc* Oscilloscope() { return formOsc_; }
    // Runs `body` as an event handler: anything it throws is reported, and the program goes on.
    void Guard(QObject* sender, const std::function<void()>& body);
    // Idle work: the enabling rules and the status bar.
    void UpdateActions();
    void UpdateStatusBar();

    TWorkbench& Workbench() { return workbench_; }
    TDialogs& Dialogs() { return dialogs_; }
    TSignalEditor* Editor() { return edSignal; }
    const TProgramPaths& Paths() const { return paths_; }
    QString StatusText() const;
    // The notice of the last StoreEditor about characters it had to replace (empty if none),
    // handed over once.
    QString TakeStoreNotice();
    // FrmMainDesktop.cpp: after a document was opened or saved under `path`.
    void NoteRecentDocument(const QString& path);
    QStringList RecentDocuments() const;
    // Opens the first file of a drop when it is a document (after the unsaved-changes
    // question), politely refuses anything else; both once the drop has returned.
    void OpenDropped(const QMimeData* data);

    QString DocumentName = "noname";
    QString LastDocumentDir;
    QString LastLibraryDir;
    bool CloseAllowed = true;

    // Controls and actions, named as the window's design names them.
    QToolBar* SpeedBar;
    QWidget* pnlSearch;
    QLineEdit* edSearch;
    QLineEdit* edReplace;
    QTabBar* tabSignals;
    QWidget* tabPage;
    TStartPage* pnlStart;  // in place of the editor while there are no signals
    TSignalEditor* edSignal;
    QLabel* pnlCaret;
    QLabel* pnlInsert;
    QLabel* pnlMessage;
    QMenu* pmnuEdit;
    QToolButton* btnSearchPan = nullptr;

    QAction *actFileNew, *actFileLoad, *actFileSave, *actFileSaveAs, *actFileExit;
    QAction *actSignalAdd, *actSignalDelete, *actSignalLoad, *actSignalSave, *actSignalRename,
        *actSignalReorder;
    QAction *actEditUndo, *actEditCut, *actEditCopy, *actEditPaste, *actEditSelectAll, *actEditOp;
    QAction *actSearchPan, *actSearchStart, *actSearchReplace, *actSearchReplaceAll;
    QAction *actModelParam, *actModelCompile, *actModelRun;
    QAction *actViewFont, *actHelpContents, *actHelpAbout;

    TDocumentCommands& DocumentCommands() { return *documentCommands_; }
    TModelCommands& ModelCommands() { return *modelCommands_; }
    TEditCommands& EditCommands() { return *editCommands_; }

    QFont EditorFont;
    int EditorCharset = 204;  // stored with the font; Russian

    // While a model is built or run in the background, idle work and commands wait.
    bool Busy = false;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QAction* MakeAction(const QString& caption, const QString& hint, int icon = -1,
                        const QKeySequence& shortcut = {});
    void CreateActions();
    void CreateMenus();
    void CreateDesktopSupport(QMenu* recentMenu);
    void CreateSpeedBar();
    void CreateSearchPanel();
    void CreateCentralArea();
    void CreateStatusBar();
    void ConnectActions();
    void tabSignalsChange(int index);
    void ToggleSearchPanel();
    void UpdateSearchPanHint();
    void edSignalChange();

    TWorkbench& workbench_;
    TDialogs& dialogs_;
    TProgramPaths paths_;
    std::unique_ptr<TDocumentCommands> documentCommands_;
    std::unique_ptr<TModelCommands> modelCommands_;
    std::unique_ptr<TEditCommands> editCommands_;
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
};

}  // namespace kvaril
