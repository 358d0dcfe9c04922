#include "model/HostChannel.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/Errors.h"

namespace kvaril {

namespace {

constexpr int kMaxFds = 3;

ssize_t Retrying(const auto& call) {
    ssize_t n;
    do {
        n = call();
    } while (n < 0 && errno == EINTR);
    return n;
}

}  // namespace

std::array<int, 2> HostSocketPair() {
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0)
        throw EKvaril(std::string("socketpair: ") + std::strerror(errno));
    return {pair[0], pair[1]};
}

bool SendRun(int socket, const THostRun& run, const THostRunFds& fds) {
    int passed[kMaxFds] = {fds.ReportFd, fds.OutputFd, fds.RowsFd};
    const size_t count = fds.RowsFd >= 0 ? 3 : 2;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof passed)] = {};
    iovec data{const_cast<THostRun*>(&run), sizeof run};
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = CMSG_SPACE(count * sizeof(int));
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = SOL_SOCKET;
    header->cmsg_type = SCM_RIGHTS;
    header->cmsg_len = CMSG_LEN(count * sizeof(int));
    std::memcpy(CMSG_DATA(header), passed, count * sizeof(int));
    return Retrying([&] { return ::sendmsg(socket, &message, MSG_NOSIGNAL); }) ==
           static_cast<ssize_t>(sizeof run);
}

std::optional<THostRun> ReceiveRun(int socket, THostRunFds& fds) {
    THostRun run;
    alignas(cmsghdr) char control[CMSG_SPACE(kMaxFds * sizeof(int))] = {};
    iovec data{&run, sizeof run};
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t n =
        Retrying([&] { return ::recvmsg(socket, &message, MSG_CMSG_CLOEXEC | MSG_WAITALL); });
    int received[kMaxFds] = {-1, -1, -1};
    size_t count = 0;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header))
        if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_RIGHTS) {
            count = std::min<size_t>((header->cmsg_len - CMSG_LEN(0)) / sizeof(int), kMaxFds);
            std::memcpy(received, CMSG_DATA(header), count * sizeof(int));
        }
    if (n != static_cast<ssize_t>(sizeof run) || count < 2 ||
        (message.msg_flags & (MSG_TRUNC | MSG_CTRUNC))) {
        for (size_t i = 0; i < count; ++i) ::close(received[i]);
        return std::nullopt;
    }
    // The host reads the paths as C strings.
    const auto ends = [](const std::array<char, 4096>& path) {
        return std::memchr(path.data(), '\0', path.size()) != nullptr;
    };
    if (!ends(run.Library) || !ends(run.Folder)) {
        for (size_t i = 0; i < count; ++i) ::close(received[i]);
        return std::nullopt;
    }
    fds = {received[0], received[1], received[2]};
    return run;
}

bool SendRunEnd(int socket, int waitStatus) {
    const int32_t status = waitStatus;
    return Retrying([&] { return ::send(socket, &status, sizeof status, MSG_NOSIGNAL); }) ==
           static_cast<ssize_t>(sizeof status);
}

std::optional<int> ReceiveRunEnd(int socket) {
    int32_t status = 0;
    if (Retrying([&] { return ::recv(socket, &status, sizeof status, 0); }) !=
        static_cast<ssize_t>(sizeof status))
        return std::nullopt;
    return status;
}

bool SetPath(std::array<char, 4096>& field, const std::string& text) {
    if (text.size() >= field.size() || text.find('\0') != std::string::npos) return false;
    field.fill('\0');
    std::memcpy(field.data(), text.data(), text.size());
    return true;
}

}  // namespace kvaril
