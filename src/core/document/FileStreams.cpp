#include "document/FileStreams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "Errors.h"

namespace kvaril {

FileSource::FileSource(const std::string& path) : path_(path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        throw EFileError("Cannot open file " + path);
    }
}

FileSource::~FileSource() {
    if (fd_ >= 0) ::close(fd_);
}

size_t FileSource::Read(char* data, size_t size) {
    for (;;) {
        ssize_t n = ::read(fd_, data, size);
        if (n >= 0) return static_cast<size_t>(n);
        if (errno != EINTR)
            throw EFileError("Cannot read file " + path_ + ": " + std::strerror(errno));
    }
}

namespace {

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Saving through a symbolic link replaces the file it points to, not the link.
std::string ResolveTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved)) return resolved;
    }
    return path;
}

}  // namespace

AtomicFileSink::AtomicFileSink(const std::string& path, bool sayWhy)
    : path_(path), target_(ResolveTarget(path)) {
    auto fail = [&](int error) {
        throw EFileError("Cannot create file " + path +
                         (sayWhy ? std::string(": ") + std::strerror(error) : std::string()));
    };
    // A file the user may not write stays untouched, although the folder would allow a rename.
    if (::access(target_.c_str(), F_OK) == 0 && ::access(target_.c_str(), W_OK) != 0) fail(errno);
    std::string dir = DirectoryOf(target_);
    std::string name = target_.substr(target_.rfind('/') + 1);
    std::string pattern = (dir == "/" ? "" : dir) + "/." + name + ".XXXXXX";
    std::string buffer = pattern;
    fd_ = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (fd_ < 0) fail(errno);
    tempPath_ = buffer;

    // The new file gets the old one's permissions, or the usual ones for a new file.
    struct stat st {};
    mode_t mode;
    if (::stat(target_.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd_, mode);
}

AtomicFileSink::~AtomicFileSink() {
    if (fd_ >= 0) ::close(fd_);
    if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
}

void AtomicFileSink::FailWrite(int error) {
    throw EFileError("Cannot write file " + path_ + ": " + std::strerror(error));
}

void AtomicFileSink::Write(const char* data, size_t size) {
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
    if (::fsync(fd_) != 0) FailWrite(errno);
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) FailWrite(errno);
    if (::rename(tempPath_.c_str(), target_.c_str()) != 0) FailWrite(errno);
    tempPath_.clear();
}

}  // namespace kvaril
