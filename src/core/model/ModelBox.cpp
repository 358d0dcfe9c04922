#include "model/ModelBox.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>

#include "base/Errors.h"
#include "model/ChildProcess.h"

namespace kvaril {

namespace {

const char* const kBubblewrap = "/usr/bin/bwrap";

// The file system a host sees: the system's programs and libraries read-only, the folder of
// its own program and the model libraries (`tools`) read-only, its scratch folder; not the root,
// not the home folder, not /tmp nor other runs' folders.
std::vector<std::string> BubblewrapArgs(const std::string& scratch, const std::string& tools) {
    std::vector<std::string> args = {kBubblewrap,
                                     "--unshare-user",
                                     "--unshare-pid",
                                     "--unshare-net",
                                     "--unshare-ipc",
                                     "--unshare-uts",
                                     "--die-with-parent",
                                     "--new-session",
                                     "--cap-drop",
                                     "ALL",
                                     "--ro-bind",
                                     "/usr",
                                     "/usr"};
    // Merged systems link these into /usr; older ones keep them as folders of their own.
    for (const char* top : {"/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32"}) {
        std::error_code ec;
        const auto status = std::filesystem::symlink_status(top, ec);
        if (ec) continue;
        if (std::filesystem::is_symlink(status)) {
            const std::filesystem::path target = std::filesystem::read_symlink(top, ec);
            if (!ec) args.insert(args.end(), {"--symlink", target.string(), top});
        } else if (std::filesystem::is_directory(status)) {
            args.insert(args.end(), {"--ro-bind", top, top});
        }
    }
    args.insert(args.end(), {"--ro-bind-try", "/etc/ld.so.cache", "/etc/ld.so.cache", "--dev",
                             "/dev", "--proc", "/proc"});
    if (!tools.empty()) args.insert(args.end(), {"--ro-bind", tools, tools});
    args.insert(args.end(), {"--bind", scratch, scratch, "--chdir", scratch, "--"});
    return args;
}

// Whether bubblewrap can make its namespaces here: it is installed and a box of /bin/true ends
// well. Some containers refuse user namespaces.
bool NamespacesWork() {
    if (::access(kBubblewrap, X_OK) != 0) return false;
    try {
        TSpawnOptions spawn;
        spawn.Argv = BubblewrapArgs("/", "");
        spawn.Argv.push_back("/usr/bin/true");
        ChildProcess probe(spawn);
        return probe.Wait(std::chrono::seconds(10)) == TWaitResult::Exited &&
               WIFEXITED(probe.Status()) && WEXITSTATUS(probe.Status()) == 0;
    } catch (const EKvaril&) {
        return false;
    }
}

}  // namespace

TBoxKind AvailableBox() {
    static const TBoxKind kind = [] {
        const char* asked = std::getenv("KVARIL_MODEL_BOX");
        if (asked && std::strcmp(asked, "landlock") == 0) return TBoxKind::Landlock;
        return NamespacesWork() ? TBoxKind::Namespaces : TBoxKind::Landlock;
    }();
    return kind;
}

std::string BoxNotice(TBoxKind kind, bool confined) {
    if (kind == TBoxKind::Namespaces)
        return confined ? std::string()
                        : "Внимание: Landlock недоступен, модель ограничена слабее (пространства "
                          "имен и фильтр вызовов): запуски одного процесса модели видят папки "
                          "друг друга";
    return "Внимание: пространства имен недоступны, модель ограничена слабее (Landlock и фильтр "
           "вызовов): она видит другие процессы и сеть, но не может к ним обратиться";
}

std::vector<std::string> BoxedCommand(TBoxKind kind, const std::string& scratch,
                                      std::vector<std::string> host) {
    if (kind == TBoxKind::Landlock) return host;
    std::vector<std::string> command =
        BubblewrapArgs(scratch, std::filesystem::path(host.front()).parent_path().string());
    command.insert(command.end(), host.begin(), host.end());
    return command;
}

namespace {

constexpr const char* kScratchPrefix = "kvaril-scratch-";

// What this process made in the runtime folder and may still need. Never destroyed: a folder
// kept at the end stays locked until the process is gone.
struct TScratchRegistry {
    std::mutex Lock;
    std::map<std::string, int> Locks;  // a box's folder and the descriptor holding its lock
    std::set<std::string> Live;        // boxes' folders whose TScratchFolder still exists
    std::vector<std::string> Kept;     // run folders kept for the user
};

TScratchRegistry& Registry() {
    static auto* const registry = new TScratchRegistry;
    return *registry;
}

void RemoveBox(TScratchRegistry& r, const std::string& folder) {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    const auto lock = r.Locks.find(folder);
    if (lock == r.Locks.end()) return;
    ::unlink((folder + ".lock").c_str());
    ::close(lock->second);
    r.Locks.erase(lock);
}

// Boxes' folders in `base` whose lock nobody holds: their process was killed.
void RemoveDeadBoxes(const std::string& base) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(base, ec)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(kScratchPrefix) || !name.ends_with(".lock")) continue;
        const int fd = ::open(entry.path().c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            const std::string folder =
                entry.path().string().substr(0, entry.path().string().size() - 5);
            std::filesystem::remove_all(folder, ec);
            ::unlink(entry.path().c_str());
        }
        ::close(fd);
    }
}

}  // namespace

TScratchFolder::TScratchFolder(const std::string& parent) : topLevel_(parent.empty()) {
    std::string base = parent;
    if (base.empty()) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        base = runtime && *runtime ? runtime : "/tmp";
        if (::access(base.c_str(), W_OK) != 0) base = "/tmp";
        RemoveDeadBoxes(base);
    }
    std::string pattern =
        base + (topLevel_ ? "/" + std::string(kScratchPrefix) + "XXXXXX" : "/run-XXXXXX");
    if (!::mkdtemp(pattern.data()))
        throw EFileError("Не удается создать папку для модели в " + base + ": " +
                         std::strerror(errno));
    path_ = pattern;
    if (!topLevel_) return;
    // Locked under another name and only then given the name other workbenches look for: none
    // of them can take it for a dead one's in between.
    const std::string lockPath = path_ + ".lock";
    const std::string fresh = lockPath + "-new";
    int fd = ::open(fresh.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0 && (::flock(fd, LOCK_EX) != 0 || ::rename(fresh.c_str(), lockPath.c_str()) != 0)) {
        ::unlink(fresh.c_str());
        ::close(fd);
        fd = -1;
    }
    TScratchRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.Lock);
    if (fd >= 0) r.Locks[path_] = fd;
    r.Live.insert(path_);
}

TScratchFolder::~TScratchFolder() {
    std::error_code ec;
    const bool remove = !keep_ || std::filesystem::is_empty(path_, ec);
    TScratchRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.Lock);
    if (topLevel_) {
        r.Live.erase(path_);
        if (remove) RemoveBox(r, path_);
        return;
    }
    if (remove)
        std::filesystem::remove_all(path_, ec);
    else
        r.Kept.push_back(path_);
}

void RemoveKeptScratchFolders() {
    TScratchRegistry& r = Registry();
    std::lock_guard<std::mutex> lock(r.Lock);
    std::error_code ec;
    for (const std::string& folder : r.Kept) std::filesystem::remove_all(folder, ec);
    r.Kept.clear();
    // Boxes that are gone, kept only for those run folders.
    std::vector<std::string> gone;
    for (const auto& [folder, fd] : r.Locks)
        if (!r.Live.contains(folder)) gone.push_back(folder);
    for (const std::string& folder : gone) RemoveBox(r, folder);
}

std::vector<std::string> TScratchFolder::Files() const {
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ec))
        if (entry.is_regular_file(ec))
            files.push_back(std::filesystem::relative(entry.path(), path_, ec).string());
    std::sort(files.begin(), files.end());
    return files;
}

void ProtectWorkbench() { ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0); }

}  // namespace kvaril
