#pragma once
// What the main window's command objects (documents, editing, models, sweeps, live modelling)
// may ask of the window: its document, dialogs and paths, the editor's tabs, the status, the
// panes beside the editor, and one another. They take this, not the window itself, so that
// none of them reaches the window's widgets or Qt's window API.

#include <QString>
#include <functional>

#include "common/ProgramPaths.h"
#include "sweep/SweepShown.h"

class QObject;
class QWidget;

namespace kvaril {

class TDialogs;
class TDocumentCommands;
class TEditCommands;
class TLiveModelling;
class TModelCommands;
struct TModelOutcome;
struct TWorkbench;

class TMainWindowPort {
  public:
    // The parent of the boxes and dialogs the commands show.
    virtual QWidget* Window() = 0;

    virtual TWorkbench& Workbench() = 0;
    virtual TDialogs& Dialogs() = 0;
    virtual const TProgramPaths& Paths() const = 0;

    // ---- the editor and its tabs
    virtual bool EditorAvailable() const = 0;
    virtual void StoreEditor() = 0;
    virtual void LoadEditor() = 0;
    virtual void RebuildTabs(int index) = 0;
    virtual int SelectedTab() const = 0;
    // Shows the signal at `index` and puts the caret there (a located compiler message).
    virtual void ShowSignalAt(int index, int line, int column) = 0;
    // The place of the last compiler message stays marked until its signal is edited.
    virtual void MarkCompilerError(int index, int line, int column) = 0;
    virtual void ClearCompilerError() = 0;
    // The notice of the last StoreEditor about characters it had to replace, handed over once.
    virtual QString TakeStoreNotice() = 0;

    // ---- the title, the status and the panes
    virtual void UpdateCaption() = 0;
    virtual void ShowStatus(const QString& text) = 0;
    virtual QString StatusText() const = 0;
    virtual void ShowError(const QString& title, const QString& text) = 0;
    virtual void ShowModelOutput(const TModelOutcome& outcome) = 0;
    virtual void ListMessages(const TModelOutcome& outcome, bool goThere) = 0;
    virtual void NoteRecentDocument(const QString& path) = 0;

    // ---- the oscilloscope
    virtual void ShowOscilloscope(TSweepShownPtr sweep = nullptr) = 0;
    virtual void OscilloscopeInStep() = 0;
    virtual void DocumentGoes() = 0;
    virtual void OscilloscopeFollowsDocument() = 0;

    // ---- the other command objects, and running handlers safely
    virtual TDocumentCommands& DocumentCommands() = 0;
    virtual TModelCommands& ModelCommands() = 0;
    virtual TEditCommands& EditCommands() = 0;
    virtual TLiveModelling& Live() = 0;
    virtual void Guard(QObject* sender, const std::function<void()>& body) = 0;
    virtual bool Busy() const = 0;

  protected:
    ~TMainWindowPort() = default;
};

}  // namespace kvaril
