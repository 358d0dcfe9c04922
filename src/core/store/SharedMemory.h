#pragma once
// A zero-filled block of memory that another process can map through its file descriptor
// (a memfd whose size is sealed). The model host maps the result store's rows this way.

#include <cstddef>

namespace kvaril {

class SharedMemory {
  public:
    SharedMemory() = default;
    explicit SharedMemory(size_t size);  // throws std::bad_alloc when it cannot be had
    ~SharedMemory();
    SharedMemory(SharedMemory&& other) noexcept;
    SharedMemory& operator=(SharedMemory&& other) noexcept;
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    char* Data() const { return data_; }
    size_t Size() const { return size_; }
    int Fd() const { return fd_; }  // -1 for an empty block; closed on exec

  private:
    void Release();

    char* data_ = nullptr;
    size_t size_ = 0;
    int fd_ = -1;
};

}  // namespace kvaril
