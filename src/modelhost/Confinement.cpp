// What a run may do: the system calls it may make (seccomp) and the files it may reach
// (Landlock).

#include <fcntl.h>
#include <linux/audit.h>
#include <linux/landlock.h>
#include <seccomp.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "Confinement.h"
#include "model/RunReport.h"

#ifndef LANDLOCK_ACCESS_FS_TRUNCATE  // kernel headers before 6.2
#define LANDLOCK_ACCESS_FS_TRUNCATE (1ULL << 14)
#endif

namespace kvaril {

namespace {

// Models compute: they get memory, time, threads of their own, the files their box shows them
// and the descriptors they were given. Everything else is refused and reported with its place:
// other processes (starting, signalling, tracing or reading them), sockets of every family,
// io_uring (which would reach all of these without a system call of its own), the kernel's
// keyrings, BPF and the like, and every 32-bit or x32 entry point.
bool AllowModelCalls(scmp_filter_ctx filter) {
    int failed = 0;
    for (int call :
         {// files and descriptors; the box decides which files there are
          SCMP_SYS(read), SCMP_SYS(write), SCMP_SYS(readv), SCMP_SYS(writev), SCMP_SYS(pread64),
          SCMP_SYS(pwrite64), SCMP_SYS(preadv), SCMP_SYS(pwritev), SCMP_SYS(lseek), SCMP_SYS(close),
          SCMP_SYS(fstat), SCMP_SYS(newfstatat), SCMP_SYS(stat), SCMP_SYS(lstat), SCMP_SYS(statx),
          SCMP_SYS(statfs), SCMP_SYS(fstatfs), SCMP_SYS(open), SCMP_SYS(openat), SCMP_SYS(access),
          SCMP_SYS(faccessat), SCMP_SYS(faccessat2), SCMP_SYS(readlink), SCMP_SYS(readlinkat),
          SCMP_SYS(getcwd), SCMP_SYS(getdents64), SCMP_SYS(dup), SCMP_SYS(dup2), SCMP_SYS(dup3),
          SCMP_SYS(mkdir), SCMP_SYS(mkdirat), SCMP_SYS(unlink), SCMP_SYS(unlinkat),
          SCMP_SYS(rename), SCMP_SYS(renameat), SCMP_SYS(renameat2), SCMP_SYS(ftruncate),
          SCMP_SYS(truncate), SCMP_SYS(fsync), SCMP_SYS(fdatasync), SCMP_SYS(poll), SCMP_SYS(ppoll),
          SCMP_SYS(select), SCMP_SYS(pselect6),
          // memory
          SCMP_SYS(mmap), SCMP_SYS(munmap), SCMP_SYS(mprotect), SCMP_SYS(mremap), SCMP_SYS(brk),
          SCMP_SYS(madvise), SCMP_SYS(msync), SCMP_SYS(mincore),
          // threads and time
          SCMP_SYS(futex), SCMP_SYS(set_robust_list), SCMP_SYS(get_robust_list), SCMP_SYS(rseq),
          SCMP_SYS(set_tid_address), SCMP_SYS(arch_prctl), SCMP_SYS(sched_yield),
          SCMP_SYS(sched_getaffinity), SCMP_SYS(clock_gettime), SCMP_SYS(clock_getres),
          SCMP_SYS(clock_nanosleep), SCMP_SYS(nanosleep), SCMP_SYS(gettimeofday), SCMP_SYS(time),
          SCMP_SYS(times), SCMP_SYS(getrusage),
          // about itself
          SCMP_SYS(getpid), SCMP_SYS(gettid), SCMP_SYS(getppid), SCMP_SYS(getuid),
          SCMP_SYS(geteuid), SCMP_SYS(getgid), SCMP_SYS(getegid), SCMP_SYS(getrandom),
          SCMP_SYS(uname), SCMP_SYS(sysinfo), SCMP_SYS(getrlimit),
          // its own signals
          SCMP_SYS(rt_sigaction), SCMP_SYS(rt_sigprocmask), SCMP_SYS(rt_sigreturn),
          SCMP_SYS(sigaltstack)})
        failed |= ::seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0);
    // A terminal's questions (isatty), nothing else of ioctl.
    failed |= ::seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(ioctl), 1,
                                 SCMP_A1(SCMP_CMP_EQ, TCGETS));
    failed |= ::seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(ioctl), 1,
                                 SCMP_A1(SCMP_CMP_EQ, TIOCGWINSZ));
    // Signals to itself only (abort, raise); never to another process.
    const auto self = static_cast<scmp_datum_t>(::getpid());
    failed |=
        ::seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(kill), 1, SCMP_A0(SCMP_CMP_EQ, self));
    failed |=
        ::seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(tgkill), 1, SCMP_A0(SCMP_CMP_EQ, self));
    failed |= ::seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(tkill), 1,
                                 SCMP_A0(SCMP_CMP_EQ, static_cast<scmp_datum_t>(::gettid())));
    // The descriptor's own flags and copies; no leases, locks or owners: a lease's break
    // signal (F_SETSIG, F_SETOWN) reaches any process of the user without a kill call.
    for (int command : {F_GETFL, F_SETFL, F_GETFD, F_SETFD, F_DUPFD, F_DUPFD_CLOEXEC})
        failed |= ::seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(fcntl), 1,
                                     SCMP_A1(SCMP_CMP_EQ, static_cast<scmp_datum_t>(command)));
    // Its own limits, read only: a run that lowered a kept host's limits would fail the next
    // runs of any document, and one that set the workbench's would take it down.
    for (scmp_datum_t pid : {scmp_datum_t{0}, self})
        failed |= ::seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(prlimit64), 2,
                                     SCMP_A0(SCMP_CMP_EQ, pid), SCMP_A2(SCMP_CMP_EQ, 0));
    // No clone and no clone3 at all: models have no threads (the run-time says so in its own
    // words), and raw threads without a limit would take every process number of the user.
    // Only the host's own tagged exit ends the process; a model's exit_group is caught.
    failed |= ::seccomp_rule_add(
        filter, SCMP_ACT_ALLOW, SCMP_SYS(exit_group), 1,
        SCMP_A0(SCMP_CMP_MASKED_EQ, 0xFFFFFF00u, static_cast<scmp_datum_t>(kHostExitTag)));
    return failed == 0;
}

}  // namespace

bool InstallFilter(SignalHandler onRefusedCall) {
    // On the model's own stack: the library's routines that tell the place check the stack
    // pointer against the model's stack and would raise on the alternate one.
    struct sigaction action {};
    action.sa_sigaction = onRefusedCall;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGSYS, &action, nullptr);

    // Refused by default; a call of another architecture (int 0x80, x32) is refused the same way.
    scmp_filter_ctx filter = ::seccomp_init(SCMP_ACT_TRAP);
    if (!filter) return false;
    const bool ok = ::seccomp_attr_set(filter, SCMP_FLTATR_ACT_BADARCH, SCMP_ACT_TRAP) == 0 &&
                    AllowModelCalls(filter) && ::seccomp_load(filter) == 0;
    ::seccomp_release(filter);
    return ok;
}

namespace {

// Landlock's ruleset as the kernel's newest form has it; an older kernel takes the first fields
// (the size says which), and older headers lack the last one.
struct TLandlockRuleset {
    uint64_t HandledFs = 0;
    uint64_t HandledNet = 0;
    uint64_t Scoped = 0;
};
constexpr uint64_t kScopeAbstractUnixSocket = 1ULL << 0;
constexpr uint64_t kScopeSignal = 1ULL << 1;

// The file system as a run may use it, whatever box it is in: the system's libraries and the
// model library to read and map, a few devices, and its own folder for everything. Nothing of
// the user's (the home folder, other documents, other runs' folders) can be opened, and where
// the kernel has the scope, no signal reaches a process outside the run. False when the kernel
// has no Landlock.
}  // namespace

bool ConfineRun(const char* folder, const char* library) {
    const int abi = static_cast<int>(
        ::syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION));
    if (abi < 1) return false;
    constexpr uint64_t kRead = LANDLOCK_ACCESS_FS_READ_FILE | LANDLOCK_ACCESS_FS_READ_DIR;
    constexpr uint64_t kMap = kRead | LANDLOCK_ACCESS_FS_EXECUTE;
    constexpr uint64_t kWriteFile = LANDLOCK_ACCESS_FS_WRITE_FILE;
    TLandlockRuleset ruleset;
    ruleset.HandledFs = kMap | kWriteFile | LANDLOCK_ACCESS_FS_REMOVE_DIR |
                        LANDLOCK_ACCESS_FS_REMOVE_FILE | LANDLOCK_ACCESS_FS_MAKE_CHAR |
                        LANDLOCK_ACCESS_FS_MAKE_DIR | LANDLOCK_ACCESS_FS_MAKE_REG |
                        LANDLOCK_ACCESS_FS_MAKE_SOCK | LANDLOCK_ACCESS_FS_MAKE_FIFO |
                        LANDLOCK_ACCESS_FS_MAKE_BLOCK | LANDLOCK_ACCESS_FS_MAKE_SYM;
    if (abi >= 2) ruleset.HandledFs |= LANDLOCK_ACCESS_FS_REFER;
    if (abi >= 3) ruleset.HandledFs |= LANDLOCK_ACCESS_FS_TRUNCATE;
    size_t size = 2 * sizeof(uint64_t);
    if (abi < 4) size = sizeof(uint64_t);
    if (abi >= 6) {
        ruleset.Scoped = kScopeSignal | kScopeAbstractUnixSocket;
        size = sizeof ruleset;
    }
    const int fd = static_cast<int>(::syscall(SYS_landlock_create_ruleset, &ruleset, size, 0));
    if (fd < 0) return false;
    bool ok = true;
    const auto allow = [&](const char* path, uint64_t access, bool required) {
        const int parent = ::open(path, O_PATH | O_CLOEXEC);
        if (parent < 0) {
            ok &= !required;
            return;
        }
        struct stat st {};
        ::fstat(parent, &st);
        // Rules on a file take only the accesses a file has.
        if (!S_ISDIR(st.st_mode))
            access &= LANDLOCK_ACCESS_FS_READ_FILE | LANDLOCK_ACCESS_FS_EXECUTE | kWriteFile |
                      (abi >= 3 ? LANDLOCK_ACCESS_FS_TRUNCATE : 0);
        landlock_path_beneath_attr beneath{};
        beneath.allowed_access = access & ruleset.HandledFs;
        beneath.parent_fd = parent;
        ok &= ::syscall(SYS_landlock_add_rule, fd, LANDLOCK_RULE_PATH_BENEATH, &beneath, 0) == 0;
        ::close(parent);
    };
    allow(folder, ruleset.HandledFs, true);
    allow(library, kMap, true);
    // The system's libraries wherever the system keeps them (links lead into /usr on most).
    for (const char* system : {"/usr", "/lib", "/lib64", "/etc/ld.so.cache"})
        allow(system, kMap, false);
    for (const char* device : {"/dev/null", "/dev/zero", "/dev/urandom"})
        allow(device, kRead | kWriteFile, false);
    // Its own process's files (its memory map, which run-times and sanitizers read), not
    // another's: the link resolves to this process now.
    allow("/proc/self", kRead, false);
    ok = ok && ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
         ::syscall(SYS_landlock_restrict_self, fd, 0) == 0;
    ::close(fd);
    return ok;
}

}  // namespace kvaril
