#include "model/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <thread>

#include "base/Errors.h"

namespace kvaril {

namespace {

[[noreturn]] void ChildFail(int pipeFd) {
    int error = errno;
    ssize_t ignored = ::write(pipeFd, &error, sizeof error);
    (void)ignored;
    ::_exit(127);
}

void LimitResources(const TSpawnOptions& options) {
    if (options.MemoryLimitBytes) {
        rlimit limit{options.MemoryLimitBytes, options.MemoryLimitBytes};
        ::setrlimit(RLIMIT_AS, &limit);
    }
    if (options.CpuLimitSeconds) {
        rlimit limit{options.CpuLimitSeconds, options.CpuLimitSeconds + 5};
        ::setrlimit(RLIMIT_CPU, &limit);
    }
    rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
}

// The child's side of the fork, so system calls only. Whatever fails before the program runs
// goes back through `errorFd` as its errno.
[[noreturn]] void StartChild(const TSpawnOptions& options, char* const* argv, pid_t parent,
                             int devNull, int errorFd) {
    if (options.NewProcessGroup) ::setpgid(0, 0);
    // A compiler or model whose caller was killed must not go on writing into the model
    // folder that the next run uses.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
    // The parent may block signals (a GUI thread); the child starts clean.
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (!options.WorkDir.empty() && ::chdir(options.WorkDir.c_str()) != 0) ChildFail(errorFd);
    const int out = options.StdoutFd >= 0 ? options.StdoutFd : devNull;
    const int err = options.StderrFd >= 0 ? options.StderrFd : devNull;
    if (::dup2(devNull, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ChildFail(errorFd);
    for (int fd : options.InheritFds) {
        int flags = ::fcntl(fd, F_GETFD);
        if (flags >= 0) ::fcntl(fd, F_SETFD, flags & ~FD_CLOEXEC);
    }
    LimitResources(options);
    ::execv(argv[0], argv);
    ChildFail(errorFd);
}

// The errno the child sent before its program ran; nothing when the exec closed the pipe.
std::optional<int> ReadChildError(int fd) {
    int childError = 0;
    ssize_t n;
    do {
        n = ::read(fd, &childError, sizeof childError);
    } while (n < 0 && errno == EINTR);
    if (n == sizeof childError) return childError;
    return std::nullopt;
}

}  // namespace

ChildProcess::ChildProcess(const TSpawnOptions& options) : newGroup_(options.NewProcessGroup) {
    KV_ASSERT(!options.Argv.empty(), "ChildProcess");
    // Everything the child needs is prepared before fork: after it, only system calls.
    std::vector<char*> argv;
    for (const std::string& arg : options.Argv) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    int errorPipe[2];
    if (::pipe2(errorPipe, O_CLOEXEC) != 0) throw EKvaril(std::strerror(errno));
    const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);

    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ < 0) {
        int error = errno;
        ::close(errorPipe[0]);
        ::close(errorPipe[1]);
        if (devNull >= 0) ::close(devNull);
        throw EKvaril(std::strerror(error));
    }
    if (pid_ == 0) StartChild(options, argv.data(), parent, devNull, errorPipe[1]);

    ::close(errorPipe[1]);
    if (devNull >= 0) ::close(devNull);
    const std::optional<int> childError = ReadChildError(errorPipe[0]);
    ::close(errorPipe[0]);
    if (childError) {
        Reap(true);
        throw EKvaril(std::strerror(*childError));
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !reaped_) {
        Kill();
        Reap(true);
    }
}

bool ChildProcess::Reap(bool block) {
    if (reaped_) return true;
    for (;;) {
        pid_t r = ::waitpid(pid_, &status_, block ? 0 : WNOHANG);
        if (r == pid_) {
            reaped_ = true;
            return true;
        }
        if (r == 0) return false;
        if (errno != EINTR) {
            reaped_ = true;  // nothing left to wait for
            return true;
        }
    }
}

TWaitResult ChildProcess::Wait(std::chrono::milliseconds limit,
                               const std::function<bool()>& cancelled) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + limit;
    // A process descriptor wakes the wait the moment the child ends; without one (an old
    // kernel) short sleeps stand in.
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
    for (;;) {
        if (Reap(false)) break;
        if (cancelled && cancelled()) {
            if (pidfd >= 0) ::close(pidfd);
            return TWaitResult::Cancelled;
        }
        const auto now = Clock::now();
        if (now >= deadline) {
            if (pidfd >= 0) ::close(pidfd);
            return TWaitResult::TimedOut;
        }
        // Cancellation is looked at every 50 ms.
        const auto slice = std::min<Clock::duration>(deadline - now, std::chrono::milliseconds(50));
        const int ms =
            static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(slice).count());
        if (pidfd >= 0) {
            pollfd p{pidfd, POLLIN, 0};
            ::poll(&p, 1, ms);
        } else {
            std::this_thread::sleep_for(
                std::min<Clock::duration>(slice, std::chrono::milliseconds(2)));
        }
    }
    if (pidfd >= 0) ::close(pidfd);
    return TWaitResult::Exited;
}

void ChildProcess::Kill() {
    if (pid_ <= 0) return;
    // The group outlives its leader while anything in it still runs; its id is not reused
    // before then, so it is stopped even when the leader has already been reaped.
    if (newGroup_)
        ::kill(-pid_, SIGKILL);
    else if (!reaped_)
        ::kill(pid_, SIGKILL);
}

std::string DescribeWaitStatus(int status) {
    if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return "signal " + std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) +
               ")";
    return "status " + std::to_string(status);
}

}  // namespace kvaril
