#pragma once
// The document, signal and library commands of the main window, with what they remember:
// the document's name and the folders the file dialogs start in.

#include <QString>

#include "editing/Excitations.h"
#include "ui/MainWindowPort.h"

namespace kvaril {

class TSignalEditor;

class TDocumentCommands {
  public:
    // `editor` is the window's signal editor, which the library and signal commands use.
    TDocumentCommands(TMainWindowPort& window, TSignalEditor& editor);

    // The document's file, "noname" for a new one.
    const QString& DocumentName() const { return documentName_; }
    const QString& LastLibraryDir() const { return lastLibraryDir_; }
    // Whether the last New went through (nothing left unsaved that the user wanted kept).
    bool CloseAllowed() const { return closeAllowed_; }

    // New document; also the first step of Open and of closing the window.
    void New();
    void Open();
    // Whether something was written.
    bool Save();
    void SaveAs();
    bool AskSaveAsName();
    // The window may close when this is true.
    bool CloseQuery();

    void SignalAdd();
    // A new signal after the selected one with the text of an excitation ("Сигнал → Шаблоны"),
    // named after it.
    void SignalFromExcitation(TExcitation kind);
    void SignalDelete();
    void SignalRename();
    void SignalReorder();
    // Signal `from` to place `to`, as the reorder dialog moves it.
    void MoveSignal(int from, int to);
    void LibraryLoad();
    void LibrarySave();

    // Opens `path` as the document (the start-up argument), after the new-document step.
    void OpenPath(const QString& path);

    // Where Save As starts: the folder of the document (the last document folder for a new
    // one), or the user's documents folder when that folder cannot be written.
    QString SaveFolder(const QString& preferred) const;
    QString DocumentFolder() const;

  private:
    // The name, kept in the workbench too for the exports that must not replace the document.
    void SetDocumentName(const QString& name);
    void ReadInto(const QString& path);
    // The caret into the skeleton's "Value := ;" of signal `index`, shown in the editor.
    void PlaceCaretForValue(int index);
    // Whether `written` may be written when the user chose `chosen` in a save dialog.
    bool MayReplace(const QString& title, const QString& chosen, const QString& written);

    TMainWindowPort& w_;
    TSignalEditor& editor_;
    QString documentName_ = "noname";
    QString lastDocumentDir_;
    QString lastLibraryDir_;
    bool closeAllowed_ = true;
};

}  // namespace kvaril
