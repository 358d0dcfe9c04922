#include "export/OutputPlan.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ostream>

#include "base/Interruption.h"

namespace kvaril {

namespace {

bool IsStandardOutputName(const std::string& path) { return path == "-" || path == "/dev/stdout"; }

std::string Named(const std::string& role, const std::string& path) {
    return role.empty() ? path : role + " " + path;
}

// What a file that is not a regular one is, in the user's words.
std::string KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "папка";
    if (S_ISFIFO(mode)) return "именованный канал";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "устройство";
    if (S_ISSOCK(mode)) return "сокет";
    return "особый файл";
}

// The file layer's words for a file it cannot create, with the system's reason, as every
// export says it.
EFileError CreateFailed(const std::string& path, int error) {
    return ExportFileError(TFileOp::Create, path, error);
}

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

void SplitPath(const std::string& path, std::string& folder, std::string& name) {
    const size_t slash = path.rfind('/');
    folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    name = slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Join(const std::string& folder, const std::string& name) {
    return (folder == "/" ? "" : folder) + "/" + name;
}

class TDescriptorSink : public ByteSink {
  public:
    TDescriptorSink(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    void Write(const char* data, size_t size) override {
        // An interrupted command stops writing at once: its temporaries are removed anyway.
        ThrowIfInterrupted();
        while (size > 0) {
            const ssize_t n = ::write(fd_, data, size);
            if (n < 0 && errno == EINTR) {
                ThrowIfInterrupted();
                continue;
            }
            if (n <= 0) throw ExportFileError(TFileOp::Write, path_, n < 0 ? errno : EIO);
            data += n;
            size -= static_cast<size_t>(n);
        }
    }

  private:
    int fd_;
    std::string path_;
};

class TStreamSink : public ByteSink {
  public:
    explicit TStreamSink(std::ostream& out) : out_(out) {}
    void Write(const char* data, size_t size) override {
        ThrowIfInterrupted();
        out_.write(data, static_cast<std::streamsize>(size));
        ThrowIfInterrupted();  // the reader went away (SIGPIPE)
        if (!out_) throw EFileError("Не удается записать в стандартный вывод");
    }

  private:
    std::ostream& out_;
};

}  // namespace

struct TOutputPlan::TOutput {
    std::string Role, Path;
    TOutputKind Kind = TOutputKind::Text;
    TFileIdentity Identity;
    std::string Temporary;
    int Fd = -1;
    std::unique_ptr<ByteSink> Sink;
};

bool TFileIdentity::SameFile(const TFileIdentity& other) const {
    if (StandardOutput || other.StandardOutput) return StandardOutput && other.StandardOutput;
    if (Exists && other.Exists && Device == other.Device && Inode == other.Inode) return true;
    return !Canonical.empty() && Canonical == other.Canonical;
}

TFileIdentity IdentityOf(const std::string& path) {
    TFileIdentity id;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        id.Exists = true;
        id.Device = st.st_dev;
        id.Inode = st.st_ino;
        id.Mode = st.st_mode;
        id.Canonical = RealPath(path);
        return id;
    }
    std::string folder, name;
    SplitPath(path, folder, name);
    const std::string real = RealPath(folder);
    id.Canonical = real.empty() ? path : Join(real, name);
    return id;
}

TOutputPlan::TOutputPlan(std::ostream* standardOutput) : standardOutput_(standardOutput) {}

TOutputPlan::~TOutputPlan() {
    for (const auto& output : outputs_) {
        if (output->Fd >= 0) ::close(output->Fd);
        if (!output->Temporary.empty()) ::unlink(output->Temporary.c_str());
    }
}

void TOutputPlan::Protect(const std::string& role, const std::string& path) {
    if (!path.empty()) protected_.push_back({role, path, {}});
}

int TOutputPlan::Add(const std::string& role, const std::string& path, TOutputKind kind) {
    auto output = std::make_unique<TOutput>();
    output->Role = role;
    output->Path = path;
    output->Kind = kind;
    outputs_.push_back(std::move(output));
    return Count() - 1;
}

void TOutputPlan::Resolve(TOutput& output) const {
    const std::string& path = output.Path;
    const std::string named = Named(output.Role, path);
    TFileIdentity& id = output.Identity;
    if (standardOutput_ && IsStandardOutputName(path)) {
        if (output.Kind == TOutputKind::Binary)
            throw EOutputRefused(named +
                                 ": в стандартный вывод пишутся только CSV, статистика и спектр");
        id.StandardOutput = true;
        id.Canonical = "-";
        return;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        const int error = errno;
        struct stat link {};
        if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
            throw EOutputRefused(named + ": символическая ссылка ведет к несуществующему файлу");
        if (error != ENOENT) throw CreateFailed(path, error);
        std::string folder, name;
        SplitPath(path, folder, name);
        const std::string real = RealPath(folder);
        if (real.empty()) throw CreateFailed(path, errno);
        if (name.empty()) throw CreateFailed(path, EISDIR);
        id.Canonical = Join(real, name);
        return;
    }
    // Renaming over anything but a regular file would put a file where a pipe, a device or
    // a folder was (and writing into one is no file export).
    if (!S_ISREG(st.st_mode))
        throw EOutputRefused(named + ": это " + KindOf(st.st_mode) + ", а не обычный файл");
    id = IdentityOf(path);
    // A file the user may not write stays untouched, although the folder would allow a rename.
    if (::access(id.Canonical.c_str(), W_OK) != 0) throw CreateFailed(path, errno);
}

void TOutputPlan::CheckAgainstOthers(size_t index) const {
    const TOutput& output = *outputs_[index];
    const std::string named = Named(output.Role, output.Path);
    for (const TProtected& file : protected_)
        if (output.Identity.SameFile(file.Identity))
            throw EOutputRefused(named + ": это " + Named(file.Role, file.Path) +
                                 ", вывод не может его заменить");
    for (size_t i = 0; i < index; ++i)
        if (output.Identity.SameFile(outputs_[i]->Identity))
            throw EOutputRefused(named + ": в этот же файл уже пишет " +
                                 Named(outputs_[i]->Role, outputs_[i]->Path));
}

void TOutputPlan::OpenTemporary(TOutput& output) {
    if (output.Identity.StandardOutput) {
        output.Sink = std::make_unique<TStreamSink>(*standardOutput_);
        return;
    }
    std::string folder, name;
    SplitPath(output.Identity.Canonical, folder, name);
    std::string pattern = Join(folder, "." + name + ".XXXXXX");
    output.Fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (output.Fd < 0) throw CreateFailed(output.Path, errno);
    output.Temporary = pattern;
    if (output.Identity.Exists) {
        // The new version keeps the old one's permissions, and its owner where that is allowed.
        struct stat old {};
        if (::stat(output.Identity.Canonical.c_str(), &old) == 0) {
            if (::fchown(output.Fd, old.st_uid, old.st_gid) != 0) {
                // Not allowed: the output becomes the writer's own file.
            }
            ::fchmod(output.Fd, old.st_mode & 07777);
        }
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(output.Fd, 0666 & ~mask);
    }
    output.Sink = std::make_unique<TDescriptorSink>(output.Fd, output.Path);
}

void TOutputPlan::Prepare() {
    for (TProtected& file : protected_) file.Identity = IdentityOf(file.Path);
    for (size_t i = 0; i < outputs_.size(); ++i) {
        Resolve(*outputs_[i]);
        CheckAgainstOthers(i);
    }
    for (const auto& output : outputs_) OpenTemporary(*output);
    prepared_ = true;
}

const std::string& TOutputPlan::PathOf(int output) const { return outputs_.at(output)->Path; }

bool TOutputPlan::IsStandardOutput(int output) const {
    return outputs_.at(output)->Identity.StandardOutput;
}

bool TOutputPlan::AnyStandardOutput() const {
    for (const auto& output : outputs_)
        if (output->Identity.StandardOutput) return true;
    return false;
}

const std::string& TOutputPlan::TemporaryPath(int output) const {
    KV_ASSERT(prepared_ && !IsStandardOutput(output), "OutputPlan");
    return outputs_.at(output)->Temporary;
}

ByteSink& TOutputPlan::Sink(int output) {
    KV_ASSERT(prepared_, "OutputPlan");
    return *outputs_.at(output)->Sink;
}

std::vector<int> TOutputPlan::WriteOrder() const {
    std::vector<int> order;
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < Count(); ++i)
            if (IsStandardOutput(i) == (pass == 1)) order.push_back(i);
    return order;
}

void TOutputPlan::CheckUnchanged(const TOutput& output) const {
    const TFileIdentity& was = output.Identity;
    struct stat now {};
    const bool exists = ::lstat(was.Canonical.c_str(), &now) == 0;
    const bool same = was.Exists ? exists && S_ISREG(now.st_mode) && now.st_dev == was.Device &&
                                       now.st_ino == was.Inode
                                 : !exists && errno == ENOENT;
    if (!same)
        throw EOutputRefused(Named(output.Role, output.Path) +
                             ": файл заменен или создан другой программой за время работы "
                             "команды; ни один вывод не записан");
}

void TOutputPlan::Commit() {
    KV_ASSERT(prepared_, "OutputPlan");
    for (const auto& output : outputs_) {
        if (output->Fd < 0) continue;
        const int fd = output->Fd;
        output->Fd = -1;
        const bool synced = ::fsync(fd) == 0;
        const int error = errno;
        if (::close(fd) != 0 || !synced)
            throw ExportFileError(TFileOp::Write, output->Path, synced ? errno : error);
    }
    for (const auto& output : outputs_)
        if (!output->Identity.StandardOutput) CheckUnchanged(*output);
    // One rename after another: each is atomic, and after the checks above only a failing
    // disk can stop one midway.
    for (const auto& output : outputs_) {
        if (output->Identity.StandardOutput) continue;
        if (::rename(output->Temporary.c_str(), output->Identity.Canonical.c_str()) != 0)
            throw ExportFileError(TFileOp::Write, output->Path, errno);
        output->Temporary.clear();
    }
    if (standardOutput_ && AnyStandardOutput()) {
        standardOutput_->flush();
        if (!*standardOutput_) throw EFileError("Не удается записать в стандартный вывод");
    }
}

void WriteOutputFile(const std::string& path, TOutputKind kind,
                     const std::function<void(ByteSink&)>& write) {
    TOutputPlan plan;
    const int output = plan.Add("", path, kind);
    plan.Prepare();
    write(plan.Sink(output));
    plan.Commit();
}

}  // namespace kvaril
