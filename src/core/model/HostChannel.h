#pragma once
// The conversation between the workbench and a model host, which may stay up for several runs
// (a sweep's): one message asks for a run and hands over the run's descriptors, one answers with
// how the run's process ended. A socket pair of packets keeps every message whole.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace kvaril {

struct THostRun {
    int32_t SignalCount = 0;
    int32_t SampleCount = 0;
    // Limits of the run's process, 0 for none; the host's own process has none.
    uint64_t MemoryLimitBytes = 0;
    uint64_t CpuLimitSeconds = 0;
    uint64_t FileLimitBytes = 0;       // the largest file the run may write
    std::array<char, 4096> Library{};  // the model library's path
    std::array<char, 4096> Folder{};   // the run's scratch folder: its working folder
};

// The descriptors that go with a run, in this order; RowsFd is -1 for a store without rows.
struct THostRunFds {
    int ReportFd = -1;
    int OutputFd = -1;  // the model's standard output and error
    int RowsFd = -1;
};

// A connected pair of packet sockets (close-on-exec); throws EKvaril.
std::array<int, 2> HostSocketPair();

// False when the host is gone. The descriptors stay the caller's.
bool SendRun(int socket, const THostRun& run, const THostRunFds& fds);
// The next run, with descriptors the receiver owns; nothing at the end of the conversation.
std::optional<THostRun> ReceiveRun(int socket, THostRunFds& fds);

// How the run's process ended (a wait status).
bool SendRunEnd(int socket, int waitStatus);
// Nothing when the host is gone.
std::optional<int> ReceiveRunEnd(int socket);

// `text` as a path field; false when it does not fit.
bool SetPath(std::array<char, 4096>& field, const std::string& text);

}  // namespace kvaril
