#include "base/FileStreams.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "base/Errors.h"

namespace kvaril {

FileSource::FileSource(const std::string& path) : path_(path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        throw EFileError(TFileOp::Open, path, errno);
    }
}

FileSource::~FileSource() {
    if (fd_ >= 0) ::close(fd_);
}

size_t FileSource::Read(char* data, size_t size) {
    for (;;) {
        ssize_t n = ::read(fd_, data, size);
        if (n >= 0) return static_cast<size_t>(n);
        if (errno != EINTR) throw EFileError(TFileOp::Read, path_, errno);
    }
}

namespace {

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Documents keep the classic texts ("Cannot create file %s"); exports (`sayWhy`) say it in
// the user's words with the system's reason.
EFileError Failure(TFileOp op, const std::string& path, int error, bool sayWhy,
                   TFileNote note = TFileNote::None) {
    return sayWhy ? ExportFileError(op, path, error, note) : EFileError(op, path, error, note);
}

// Saving through a symbolic link replaces the file it points to, not the link. A link that
// points nowhere is refused: replacing it by a plain file would lose the link silently.
std::string ResolveTarget(const std::string& path, bool sayWhy) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (!::realpath(path.c_str(), resolved))
            throw Failure(TFileOp::Create, path, errno, sayWhy, TFileNote::DanglingLink);
        return resolved;
    }
    return path;
}

bool WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::pwrite(fd, data.data() + done, data.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool ReadAll(int fd, std::string& data) {
    data.clear();
    char buffer[65536];
    for (off_t offset = 0;;) {
        ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        data.append(buffer, static_cast<size_t>(n));
        offset += n;
    }
}

// The whole of `data` as the file's content, on the disk.
bool Replace(int fd, const std::string& data) {
    return WriteAll(fd, data) && ::ftruncate(fd, static_cast<off_t>(data.size())) == 0 &&
           ::fsync(fd) == 0;
}

bool IsAlnum(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool EndsWithNoCase(const std::string& text, const char* suffix) {
    const size_t n = std::strlen(suffix);
    if (text.size() < n) return false;
    for (size_t i = 0; i < n; ++i) {
        char c = text[text.size() - n + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i]) return false;
    }
    return true;
}

// ".name.sig.XXXXXX": what mkostemp makes of our pattern for a document or library file.
bool IsOurTempName(const std::string& name) {
    constexpr size_t kSuffix = 7;  // ".XXXXXX"
    if (name.size() < 1 + 1 + kSuffix || name[0] != '.') return false;
    const size_t dot = name.size() - kSuffix;
    if (name[dot] != '.') return false;
    for (size_t i = dot + 1; i < name.size(); ++i)
        if (!IsAlnum(name[i])) return false;
    const std::string inner = name.substr(1, dot - 1);
    return EndsWithNoCase(inner, ".sig") || EndsWithNoCase(inner, ".txt");
}

}  // namespace

AtomicFileSink::AtomicFileSink(const std::string& path, bool sayWhy)
    : path_(path), target_(ResolveTarget(path, sayWhy)), sayWhy_(sayWhy) {
    struct stat old {};
    const bool exists = ::stat(target_.c_str(), &old) == 0;
    // An output never takes the place of a folder, a device or a pipe, and says which it was.
    if (sayWhy && exists && !S_ISREG(old.st_mode))
        throw Failure(TFileOp::Create, path, S_ISDIR(old.st_mode) ? EISDIR : 0, sayWhy,
                      S_ISDIR(old.st_mode) ? TFileNote::None : TFileNote::NotRegularFile);
    // A file the user may not write stays untouched, although the folder would allow a rename.
    if (exists && ::access(target_.c_str(), W_OK) != 0)
        throw Failure(TFileOp::Create, path, EACCES, sayWhy);
    RemoveStaleTempFiles(DirectoryOf(target_));
    if (OpenTemporary(exists ? &old : nullptr)) return;
    const int error = errno;
    if (!exists || !S_ISREG(old.st_mode)) throw Failure(TFileOp::Create, path, error, sayWhy);
    inPlace_ = true;
}

bool AtomicFileSink::OpenTemporary(const struct ::stat* old) {
    std::string dir = DirectoryOf(target_);
    std::string name = target_.substr(target_.rfind('/') + 1);
    std::string buffer = (dir == "/" ? "" : dir) + "/." + name + ".XXXXXX";
    fd_ = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (fd_ < 0) return false;
    tempPath_ = buffer;
    if (!old) {
        mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd_, 0666 & ~mask);
        return true;
    }
    // The new version must belong to whoever owned the old one; where that is not allowed,
    // the file is written in place instead, which keeps owner and group by itself.
    struct stat mine {};
    if (::fstat(fd_, &mine) != 0 || ((mine.st_uid != old->st_uid || mine.st_gid != old->st_gid) &&
                                     ::fchown(fd_, old->st_uid, old->st_gid) != 0)) {
        const int error = errno;
        ::close(fd_);
        fd_ = -1;
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
        errno = error;
        return false;
    }
    ::fchmod(fd_, old->st_mode & 07777);
    return true;
}

AtomicFileSink::~AtomicFileSink() {
    if (fd_ >= 0) ::close(fd_);
    if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
}

void AtomicFileSink::FailWrite(int error) { throw Failure(TFileOp::Write, path_, error, sayWhy_); }

void AtomicFileSink::Write(const char* data, size_t size) {
    if (inPlace_) {
        content_.append(data, size);
        return;
    }
    while (size > 0) {
        ssize_t n = ::write(fd_, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            FailWrite(errno);
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
}

void AtomicFileSink::Commit() {
    if (inPlace_) {
        CommitInPlace();
        return;
    }
    if (::fsync(fd_) != 0) FailWrite(errno);
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) FailWrite(errno);
    if (::rename(tempPath_.c_str(), target_.c_str()) != 0) FailWrite(errno);
    tempPath_.clear();
}

void AtomicFileSink::CommitInPlace() {
    // The content is complete before the file is touched; the old bytes are kept until the
    // new ones have been read back.
    const int fd = ::open(target_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) throw Failure(TFileOp::Create, path_, errno, sayWhy_);
    std::string old, check;
    if (!ReadAll(fd, old)) {
        const int error = errno;
        ::close(fd);
        throw Failure(TFileOp::Read, path_, error, sayWhy_);
    }
    errno = 0;
    if (Replace(fd, content_) && ReadAll(fd, check) && check == content_) {
        if (::close(fd) != 0) FailWrite(errno);
        return;
    }
    const int error = errno != 0 ? errno : EIO;
    const bool restored = Replace(fd, old) && ReadAll(fd, check) && check == old;
    ::close(fd);
    throw Failure(TFileOp::Write, path_, error, sayWhy_,
                  restored ? TFileNote::Restored : TFileNote::NotRestored);
}

int RemoveStaleTempFiles(const std::string& dir, long long now) {
    constexpr long long kDay = 24 * 60 * 60;
    if (now == 0) now = static_cast<long long>(::time(nullptr));
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return 0;
    int removed = 0;
    const uid_t me = ::geteuid();
    while (dirent* entry = ::readdir(d)) {
        const std::string name = entry->d_name;
        if (!IsOurTempName(name)) continue;
        struct stat st {};
        if (::fstatat(::dirfd(d), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISREG(st.st_mode) || st.st_uid != me) continue;
        if (now - static_cast<long long>(st.st_mtime) < kDay) continue;
        if (::unlinkat(::dirfd(d), name.c_str(), 0) == 0) ++removed;
    }
    ::closedir(d);
    return removed;
}

}  // namespace kvaril
