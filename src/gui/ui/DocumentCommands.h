#pragma once
// The document, signal and library commands of the main window.

#include <QString>

namespace kvaril {

class TFormMain;

class TDocumentCommands {
  public:
    explicit TDocumentCommands(TFormMain& window) : w_(window) {}

    // New document; also the first step of Open and of closing the window. Sets CloseAllowed.
    void New();
    void Open();
    // Whether something was written.
    bool Save();
    void SaveAs();
    bool AskSaveAsName();
    // The window may close when this is true.
    bool CloseQuery();

    void SignalAdd();
    void SignalDelete();
    void SignalRename();
    void SignalReorder();
    void LibraryLoad();
    void LibrarySave();

    // Opens `path` as the document (the start-up argument), after the new-document step.
    void OpenPath(const QString& path);

    // Where Save As starts: the folder of the document (the last document folder for a new
    // one), or the user's documents folder when that folder cannot be written.
    QString SaveFolder(const QString& preferred) const;
    QString DocumentFolder() const;

  private:
    void ReadInto(const QString& path);
    // The caret into the skeleton's "Value := ;" of signal `index`, shown in the editor.
    void PlaceCaretForValue(int index);
    // Whether `written` may be written when the user chose `chosen` in a save dialog.
    bool MayReplace(const QString& title, const QString& chosen, const QString& written);

    TFormMain& w_;
};

}  // namespace kvaril
