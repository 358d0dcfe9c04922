// kvaril-modelhost SOCKET_FD [--confine]
//
// Takes runs from the workbench over SOCKET_FD (HostChannel.h) and runs each model in a process
// of its own, forked for it: the process maps the result store's rows, loads the model library,
// looks up its exports, calls MainModelProc and writes what happened into the shared report. A
// fault the library cannot turn into an exception ends only that process; the host answers with
// how it ended and waits for the next run. With --confine (a box without namespaces) each run
// must be kept to writing in its scratch folder.

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "RunChild.h"
#include "model/HostChannel.h"

using namespace kvaril;

namespace {

void CloseAll(const THostRunFds& fds) {
    for (int fd : {fds.ReportFd, fds.OutputFd, fds.RowsFd})
        if (fd >= 0) ::close(fd);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) return 2;
    const int socket = std::atoi(argv[1]);
    const bool confine = argc == 3 && std::strcmp(argv[2], "--confine") == 0;
    const pid_t host = ::getpid();
    // A host stays up for the next runs of any document: no run may read or write its memory
    // (/proc/<host>/mem, process_vm_*), in a box with or without Landlock. Its runs inherit it.
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    for (;;) {
        THostRunFds fds;
        const std::optional<THostRun> run = ReceiveRun(socket, fds);
        if (!run) return 0;  // the workbench is done with this host
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(socket);
            RunForked(*run, fds, host, confine);
        }
        CloseAll(fds);
        int status = W_EXITCODE(2, 0);
        if (child > 0)
            while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
        if (!SendRunEnd(socket, status)) return 0;
    }
}
