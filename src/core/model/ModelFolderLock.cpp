#include "model/ModelFolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "base/Errors.h"

namespace kvaril {

TModelFolderLock& TModelFolderLock::operator=(TModelFolderLock&& other) noexcept {
    if (this != &other) {
        Release();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

void TModelFolderLock::Acquire(const std::string& binDir, const TModelHooks& hooks) {
    Release();
    const std::string path = binDir + ".kvaril.lock";
    // Each acquisition opens the file anew: flock belongs to the open file, so two runs in one
    // process (two threads) exclude each other as two processes do.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0)
        throw EFileError("Не могу открыть " + path + ": " + std::strerror(errno) +
                         (errno == ELOOP ? " (символическая ссылка)" : ""));
    bool told = false;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            fd_ = fd;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            const int error = errno;
            ::close(fd);
            throw EFileError("Не могу занять папку модели " + binDir + ": " + std::strerror(error));
        }
        if (!told && hooks.ShowStatus) hooks.ShowStatus(kWaitingForModelFolder);
        told = true;
        if (hooks.Cancelled && hooks.Cancelled()) {
            ::close(fd);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void TModelFolderLock::Release() {
    if (fd_ < 0) return;
    ::close(fd_);  // closing the only descriptor of the open file drops the flock
    fd_ = -1;
}

}  // namespace kvaril
