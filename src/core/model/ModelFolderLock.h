#pragma once
// One build or run at a time per model folder. Two workbenches, two batch runs, or a window and a
// batch run share kvm.pas, kvml.err and kvml.dll there; without the lock one of them would
// compile, load or report the other's document. The lock is an flock on a file in the folder:
// the kernel drops it when its holder dies, so a killed run never blocks anyone.

#include <string>

#include "model/CompilerDriver.h"

namespace kvaril {

inline constexpr const char* kWaitingForModelFolder =
    "Ожидание: папку модели занимает другой запуск...";

class TModelFolderLock {
  public:
    TModelFolderLock() = default;
    ~TModelFolderLock() { Release(); }
    TModelFolderLock(TModelFolderLock&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    TModelFolderLock& operator=(TModelFolderLock&& other) noexcept;
    TModelFolderLock(const TModelFolderLock&) = delete;
    TModelFolderLock& operator=(const TModelFolderLock&) = delete;

    // Waits for the folder `binDir` (ends with "/"). While another run holds it, the status says
    // so and `hooks.Cancelled` is polled; a cancelled wait leaves the lock not held. Throws
    // EFileError when the lock file cannot be opened.
    void Acquire(const std::string& binDir, const TModelHooks& hooks);
    void Release();
    bool Held() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

}  // namespace kvaril
