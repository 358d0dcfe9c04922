#include "store/SharedMemory.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <new>
#include <utility>

namespace kvaril {

SharedMemory::SharedMemory(size_t size) {
    if (size == 0) return;
    fd_ = ::memfd_create("kvaril-store", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd_ < 0) throw std::bad_alloc();
    // Reserve the pages now: a sparse file would fail later, inside the model, on a full disk.
    // Then the size is sealed: the other process may write the bytes but never shrink the block
    // under this one's mapping (which would kill this process with SIGBUS) nor grow it.
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0 ||
        ::posix_fallocate(fd_, 0, static_cast<off_t>(size)) != 0 ||
        ::fcntl(fd_, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL) != 0) {
        Release();
        throw std::bad_alloc();
    }
    void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
    if (p == MAP_FAILED) {
        Release();
        throw std::bad_alloc();
    }
    data_ = static_cast<char*>(p);
    size_ = size;
}

SharedMemory::~SharedMemory() { Release(); }

SharedMemory::SharedMemory(SharedMemory&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      fd_(std::exchange(other.fd_, -1)) {}

SharedMemory& SharedMemory::operator=(SharedMemory&& other) noexcept {
    if (this != &other) {
        Release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

void SharedMemory::Release() {
    if (data_) ::munmap(data_, size_);
    if (fd_ >= 0) ::close(fd_);
    data_ = nullptr;
    size_ = 0;
    fd_ = -1;
}

}  // namespace kvaril
