#pragma once
// The box the model host runs in. A document is code: opening a colleague's file and pressing F9
// runs whatever its signals do. The host therefore starts in new user, PID, network, IPC and
// mount namespaces (bubblewrap), sees the file system read-only except a scratch folder of its
// own, which is its working folder, and dies with the workbench; inside, its system-call filter
// refuses everything a model does not need. Where namespaces cannot be made (some containers),
// the host confines its writes to the scratch folder with Landlock instead, and the workbench
// says so.

#include <string>
#include <vector>

namespace kvaril {

enum class TBoxKind {
    Namespaces,  // bubblewrap: no other process, no network, a read-only file system
    Landlock,    // writes only in the scratch folder; the filter as always
};

// The strongest box this machine can make, found out once per process. KVARIL_MODEL_BOX=landlock
// asks for the fallback (to test it).
TBoxKind AvailableBox();

// What the workbench says once when it has to run models in a weaker box (empty otherwise):
// without namespaces, or with them but without Landlock (`confined` false).
std::string BoxNotice(TBoxKind kind, bool confined = true);

// `host` (the host's command line) as it is started in the box with `scratch` as its working
// folder, the one folder it may write in; besides the system's libraries it sees only the folder
// of its own program (the model directory, which holds the libraries it runs). In the Landlock
// box the host confines each run itself.
std::vector<std::string> BoxedCommand(TBoxKind kind, const std::string& scratch,
                                      std::vector<std::string> host);

// The folder a run's model may write in: made fresh for each run, removed with its content when
// it stays empty, or when the next command runs a model or the workbench ends. A host's box
// holds the folders of its runs. A box's folder in the runtime folder has a lock beside it
// ("kvaril-scratch-XXXXXX.lock") held while this process may still use it: a folder whose lock
// nobody holds was left by a process that was killed, and goes when the next box is made.
class TScratchFolder {
  public:
    // In the user's runtime folder (a box's), or in `parent` (a run's); throws EFileError when
    // none can be made.
    explicit TScratchFolder(const std::string& parent = {});
    ~TScratchFolder();
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    // The files the model left there, as paths within the folder, in order.
    std::vector<std::string> Files() const;
    // The folder outlives this object when it holds files (the user may look at what the model
    // wrote), until RemoveKeptScratchFolders.
    void Keep() { keep_ = true; }

  private:
    std::string path_;
    bool topLevel_ = false;
    bool keep_ = false;
};

// Removes the run folders kept for the user so far, and the folders of boxes that are gone:
// a new command's run starts, or the workbench ends.
void RemoveKeptScratchFolders();

// The workbench's own protection: no other process of the user may read or write its memory
// (through /proc or process_vm_*), and it leaves no core file with the user's documents.
void ProtectWorkbench();

}  // namespace kvaril
