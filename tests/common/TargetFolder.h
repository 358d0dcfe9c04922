#pragma once
// A folder of the test's own holding every kind of target a user can name for an output: the
// document, links to it, a golden file, a pipe, a device node, a folder, a read-only folder.
// Each case is made on request, with the reason when this machine cannot make it.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace kvaril::testing {

enum class TTarget {
    Document,
    LinkToDocument,
    HardLinkToDocument,
    Golden,
    OtherOutput,
    Fifo,
    DeviceNode,
    StandardOutput,
    Folder,
    InReadOnlyFolder,
    DanglingLink,
    NewFile,
    ExistingFile,
    ReadOnlyFile,  // an existing file its owner may not write (immutable for root)
};

class TTargetFolder {
  public:
    explicit TTargetFolder(const std::string& name) {
        dir_ = std::filesystem::temp_directory_path() /
               ("kvaril-targets-" + std::to_string(::getpid()) + "-" + name);
        Remove();
        std::filesystem::create_directories(dir_);
        Write(Document(), "document\n");
        Write(Golden(), "t,A\n0,1\n");
        Write(Other(), "other\n");
    }
    ~TTargetFolder() { Remove(); }
    TTargetFolder(const TTargetFolder&) = delete;
    TTargetFolder& operator=(const TTargetFolder&) = delete;

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    std::string Document() const { return Path("doc.sig"); }
    std::string Golden() const { return Path("golden.csv"); }
    std::string Other() const { return Path("other.csv"); }
    const std::filesystem::path& Dir() const { return dir_; }

    // The path to name for `target`, its name ending in `.ext` where it has a name of its own;
    // `skip` set when it cannot be made here.
    std::string Make(TTarget target, std::string& skip, const std::string& ext = "csv") {
        const auto named = [&](const char* name) { return Path(std::string(name) + "." + ext); };
        switch (target) {
            case TTarget::Document:
                return Document();
            case TTarget::LinkToDocument:
                std::filesystem::create_symlink("doc.sig", named("link"));
                return named("link");
            case TTarget::HardLinkToDocument:
                std::filesystem::create_hard_link(Document(), named("hard"));
                return named("hard");
            case TTarget::Golden:
                return Golden();
            case TTarget::OtherOutput:
                return Path("./other.csv");
            case TTarget::Fifo:
                if (::mkfifo(named("fifo").c_str(), 0644) != 0) skip = "mkfifo failed";
                return named("fifo");
            case TTarget::DeviceNode:
                // A copy of /dev/null: replacing it would be replacing the system's.
                if (::mknod(named("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
                    skip = "mknod failed (not root?)";
                return named("null");
            case TTarget::StandardOutput:
                return "-";
            case TTarget::Folder:
                std::filesystem::create_directory(named("folder"));
                return named("folder");
            case TTarget::InReadOnlyFolder:
                return MakeReadOnlyFolder(skip) + "/out." + ext;
            case TTarget::DanglingLink:
                std::filesystem::create_symlink("missing." + ext, named("dangling"));
                return named("dangling");
            case TTarget::NewFile:
                return named("new");
            case TTarget::ExistingFile:
                Write(named("old"), "old\n");
                return named("old");
            case TTarget::ReadOnlyFile:
                return MakeReadOnlyFile(named("locked"), skip);
        }
        return {};
    }

    // What a file holds now, with its kind: a refused target must read the same afterwards.
    static std::string State(const std::string& path) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) return "missing";
        std::ostringstream state;
        state << "mode " << std::oct << st.st_mode << std::dec << " inode " << st.st_ino;
        if (S_ISREG(st.st_mode)) state << ": " << Read(path);
        return state.str();
    }

    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static void Write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }

    // Hidden files left beside the targets: the temporaries of a plan that did not commit.
    int Temporaries() const {
        int count = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_))
            if (entry.path().filename().string().rfind(".", 0) == 0) ++count;
        return count;
    }

  private:
    // chmod alone does not stop root, so root also marks the folder immutable.
    std::string MakeReadOnlyFolder(std::string& skip) {
        readOnly_ = Path("readonly");
        std::filesystem::create_directory(readOnly_);
        ::chmod(readOnly_.c_str(), 0555);
        if (::geteuid() == 0) SetImmutable(true);
        const std::string probe = readOnly_ + "/probe";
        const int fd = ::open(probe.c_str(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0) {
            ::close(fd);
            ::unlink(probe.c_str());
            skip = "the folder cannot be made read-only here";
        }
        return readOnly_;
    }

    std::string MakeReadOnlyFile(const std::string& path, std::string& skip) {
        Write(path, "old\n");
        ::chmod(path.c_str(), 0444);
        lockedFile_ = path;
        if (::geteuid() == 0) SetImmutable(lockedFile_, true);
        if (::access(path.c_str(), W_OK) == 0) skip = "the file cannot be made read-only here";
        return path;
    }

    void SetImmutable(bool on) { SetImmutable(readOnly_, on); }
    static void SetImmutable(const std::string& path, bool on) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        if (fd < 0) return;
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        ::close(fd);
    }

    void Remove() {
        if (!lockedFile_.empty()) SetImmutable(lockedFile_, false);
        if (!readOnly_.empty()) {
            SetImmutable(false);
            ::chmod(readOnly_.c_str(), 0755);
        }
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    std::filesystem::path dir_;
    std::string readOnly_;
    std::string lockedFile_;
};

}  // namespace kvaril::testing
