// kvaril-modelhost SOCKET_FD [--confine]
//
// Takes runs from the workbench over SOCKET_FD (HostChannel.h) and runs each model in a process
// of its own, forked for it: the process maps the result store's rows, loads the model library,
// looks up its exports, calls MainModelProc and writes what happened into the shared report. A
// fault the library cannot turn into an exception ends only that process; the host answers with
// how it ended and waits for the next run. With --confine (a box without namespaces) each run
// must be kept to writing in its scratch folder.

#include <dlfcn.h>
#include <fcntl.h>
#include <linux/audit.h>
#include <linux/landlock.h>
#include <sched.h>
#include <seccomp.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <ucontext.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>

#include "model/HostChannel.h"
#include "model/RunReport.h"
#include "store/StoreLayout.h"

using namespace kvaril;

#ifndef LANDLOCK_ACCESS_FS_TRUNCATE  // kernel headers before 6.2
#define LANDLOCK_ACCESS_FS_TRUNCATE (1ULL << 14)
#endif

namespace {

using MainModelProc = void (*)(void* store);
using ErrorQuery = int32_t (*)();
using CallModel = int32_t (*)(MainModelProc proc, void* store, char* className, int32_t classSize,
                              char* message, int32_t messageSize);
using LastWrittenQuery = void (*)(int32_t* signal, int32_t* quant);
using SignalHandler = void (*)(int, siginfo_t*, void*);
using HandlerQuery = SignalHandler (*)();

TRunReport* g_report = nullptr;
ErrorQuery g_getErrorFactor = nullptr;
ErrorQuery g_getErrorIndex = nullptr;
LastWrittenQuery g_lastWritten = nullptr;
SignalHandler g_fpcHandler = nullptr;

constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE};
// Signals that end the process whoever sends them: abort() in the model, say.
constexpr int kFatalSignals[] = {SIGABRT, SIGTERM, SIGINT,  SIGHUP,  SIGQUIT, SIGUSR1,
                                 SIGUSR2, SIGALRM, SIGPIPE, SIGXCPU, SIGXFSZ};

void Copy(char* target, size_t size, const char* text) {
    std::strncpy(target, text ? text : "", size - 1);
    target[size - 1] = '\0';
}

// The only way this process ends: every other exit_group is refused by the filter.
[[noreturn]] void EndHost(int code) {
    ::syscall(SYS_exit_group, kHostExitTag | static_cast<long>(code & 0xFF));
    ::_exit(code);  // no filter (a kernel without seccomp): the plain way
}

bool ModelActive() {
    if (!g_report) return false;  // the host itself, between runs
    return g_report->State == TRunState::Loading || g_report->State == TRunState::Running;
}

void RecordLastWritten() {
    if (!g_lastWritten) return;
    g_lastWritten(&g_report->LastSignal, &g_report->LastQuant);
    g_report->HasLastWritten = 1;
}

void RecordPlace() {
    if (g_report->State == TRunState::Running && g_getErrorFactor && g_getErrorIndex) {
        g_report->ErrorFactor = g_getErrorFactor();
        g_report->ErrorIndex = g_getErrorIndex();
        g_report->HasErrorPlace = 1;
        RecordLastWritten();
    }
}

// The last resort: the process is going down; record where the model was.
void CrashHandler(int sig, siginfo_t*, void*) {
    if (ModelActive()) {
        RecordPlace();
        g_report->Signal = sig;
        g_report->State = TRunState::Crashed;
    }
    EndHost(3);
}

// A system call the filter refused: starting a process, a network socket, ptrace, or ending
// the process from inside the model (Halt, RunError, libc exit). The model is stopped and the
// report names the signal and phase it was in.
void RefusedCallHandler(int, siginfo_t* info, void* context) {
    const auto* uc = static_cast<const ucontext_t*>(context);
    const bool exitGroup = info->si_arch == AUDIT_ARCH_X86_64 && info->si_syscall == SYS_exit_group;
    if (ModelActive()) {
        RecordPlace();
        if (exitGroup) {
            g_report->ExitCode = static_cast<int32_t>(uc->uc_mcontext.gregs[REG_RDI]);
            g_report->State = TRunState::ModelExited;
        } else {
            // The workbench names the call: a name table has no place in a signal handler.
            g_report->RefusedNumber = info->si_syscall;
            g_report->RefusedArch = info->si_arch;
            g_report->State = TRunState::Refused;
        }
    }
    EndHost(exitGroup ? static_cast<int>(uc->uc_mcontext.gregs[REG_RDI]) : 3);
}

// The C library's ways of running a program block every signal while they start the child,
// so the filter's trap would kill the host before it could say where the model was. The host
// exports these names (see CMakeLists.txt), so the model library's calls come here first.
int RefuseFromModel(const char* call) {
    if (ModelActive()) {
        RecordPlace();
        Copy(g_report->RefusedCall, sizeof g_report->RefusedCall, call);
        g_report->State = TRunState::Refused;
        EndHost(3);
    }
    errno = EPERM;
    return -1;
}

}  // namespace

// libc's exit would run the process's exit handlers first, and a sanitizer's handler may
// itself make calls the filter refuses with every signal blocked; the model's exit is caught
// here instead, before any of them.
extern "C" [[noreturn]] void exit(int code) {
    if (ModelActive()) {
        RecordPlace();
        g_report->ExitCode = code;
        g_report->State = TRunState::ModelExited;
    }
    EndHost(code);
}

extern "C" int system(const char*) { return RefuseFromModel("system"); }
extern "C" FILE* popen(const char*, const char*) {
    RefuseFromModel("popen");
    return nullptr;
}
extern "C" int posix_spawn(pid_t*, const char*, const void*, const void*, char* const*,
                           char* const*) {
    return RefuseFromModel("posix_spawn") < 0 ? EPERM : 0;
}
extern "C" int posix_spawnp(pid_t*, const char*, const void*, const void*, char* const*,
                            char* const*) {
    return RefuseFromModel("posix_spawnp") < 0 ? EPERM : 0;
}

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

bool InstallFilter() {
    // On the model's own stack: the library's routines that tell the place check the stack
    // pointer against the model's stack and would raise on the alternate one.
    struct sigaction action {};
    action.sa_sigaction = RefusedCallHandler;
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

// Neither box: nothing keeps the model from the user's files. The run is refused, the report
// says why (the workbench says what to enable).
[[noreturn]] void RefuseUnconfined() {
    g_report->State = TRunState::Unconfined;
    EndHost(0);
}

bool IsStackOverflow(const siginfo_t* info, const void* context) {
    const auto* uc = static_cast<const ucontext_t*>(context);
    const auto sp = static_cast<uintptr_t>(uc->uc_mcontext.gregs[REG_RSP]);
    const auto addr = reinterpret_cast<uintptr_t>(info->si_addr);
    return addr + 65536 > sp && addr < sp + 65536;
}

// Runs on the alternate stack during the model call. A stack overflow cannot be turned into an
// exception (there is no stack left to raise it on); every other fault goes to Free Pascal's
// handler, which makes the faulting code raise the matching exception.
void ModelFaultHandler(int sig, siginfo_t* info, void* context) {
    if ((sig == SIGSEGV || sig == SIGBUS) && IsStackOverflow(info, context))
        CrashHandler(sig, info, context);
    if (sig == SIGFPE) {
        // An SSE fault while the x87 unit holds stale masked flags (from an earlier Sin, say)
        // would be reported as the x87 flags' kind. Without a pending x87 exception (summary
        // bit 7 clear) the flags are stale: clear them so the SSE status decides.
        auto* uc = static_cast<ucontext_t*>(context);
        if (uc->uc_mcontext.fpregs && (uc->uc_mcontext.fpregs->swd & 0x80) == 0)
            uc->uc_mcontext.fpregs->swd &= static_cast<uint16_t>(~0x3F);
    }
    g_fpcHandler(sig, info, context);
}

void Install(SignalHandler handler, struct sigaction* old = nullptr) {
    struct sigaction action {};
    action.sa_sigaction = handler;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < std::size(kFaultSignals); ++i)
        ::sigaction(kFaultSignals[i], &action, old ? &old[i] : nullptr);
}

void Restore(const struct sigaction* old) {
    for (size_t i = 0; i < std::size(kFaultSignals); ++i)
        ::sigaction(kFaultSignals[i], &old[i], nullptr);
}

void* MapShared(int fd, size_t size) {
    if (size == 0) return nullptr;
    void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    return p == MAP_FAILED ? nullptr : p;
}

// Faults and fatal signals outside the model call end the host in CrashHandler, on a stack of
// its own so that a stack overflow is still reported.
void InstallCrashHandlers() {
    static char altStack[1 << 16];
    stack_t st{};
    st.ss_sp = altStack;
    st.ss_size = sizeof altStack;
    ::sigaltstack(&st, nullptr);
    Install(CrashHandler);
    for (int sig : kFatalSignals) {
        struct sigaction action {};
        action.sa_sigaction = CrashHandler;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        ::sigaction(sig, &action, nullptr);
    }
}

struct TModelExports {
    MainModelProc Main = nullptr;
    // Only in libraries built from our model project: the call that turns faults into Pascal
    // exceptions, and Free Pascal's own fault handler.
    CallModel Call = nullptr;
    HandlerQuery FpcHandler = nullptr;
};

// Loads the library and looks up its exports; the error queries and the last written sample go
// where the handlers find them. A library that cannot be loaded or lacks an export every model
// has ends the host, the report saying why.
TModelExports LoadModel(const char* library) {
    g_report->State = TRunState::Loading;
    void* handle = ::dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        Copy(g_report->Detail, sizeof g_report->Detail, ::dlerror());
        g_report->State = TRunState::LoadFailed;
        EndHost(0);
    }
    TModelExports model;
    model.Main = reinterpret_cast<MainModelProc>(::dlsym(handle, "MainModelProc"));
    g_getErrorFactor = reinterpret_cast<ErrorQuery>(::dlsym(handle, "GetErrorFactor"));
    g_getErrorIndex = reinterpret_cast<ErrorQuery>(::dlsym(handle, "GetErrorIndex"));
    const char* missing = !model.Main         ? "MainModelProc"
                          : !g_getErrorFactor ? "GetErrorFactor"
                          : !g_getErrorIndex  ? "GetErrorIndex"
                                              : nullptr;
    if (missing) {
        Copy(g_report->Detail, sizeof g_report->Detail, missing);
        g_report->State = TRunState::ExportMissing;
        EndHost(0);
    }
    model.Call = reinterpret_cast<CallModel>(::dlsym(handle, "KvarilCallModel"));
    model.FpcHandler = reinterpret_cast<HandlerQuery>(::dlsym(handle, "KvarilSignalHandler"));
    g_lastWritten = reinterpret_cast<LastWrittenQuery>(::dlsym(handle, "KvarilLastWritten"));
    // The workbench reads the quantum being written from the report while the model runs.
    using ProgressSetter = void (*)(int32_t * counter);
    if (auto setProgress = reinterpret_cast<ProgressSetter>(::dlsym(handle, "KvarilSetProgress")))
        setProgress(&g_report->CurrentQuant);
    return model;
}

// The model's own run, timed, with Free Pascal's handler taking the faults so that they become
// exceptions the library catches and reports with their class and message.
void CallModelCatching(const TModelExports& model, void* store) {
    g_fpcHandler = model.FpcHandler();
    struct sigaction old[std::size(kFaultSignals)];
    Install(ModelFaultHandler, old);
    timespec started{}, ended{};
    ::clock_gettime(CLOCK_MONOTONIC, &started);
    const int32_t result =
        model.Call(model.Main, store, g_report->ClassName, sizeof g_report->ClassName,
                   g_report->Detail, sizeof g_report->Detail);
    ::clock_gettime(CLOCK_MONOTONIC, &ended);
    g_report->ModelNanoseconds =
        (ended.tv_sec - started.tv_sec) * 1000000000LL + (ended.tv_nsec - started.tv_nsec);
    Restore(old);
    if (result != 0) {
        g_report->ErrorFactor = g_getErrorFactor();
        g_report->ErrorIndex = g_getErrorIndex();
        g_report->HasErrorPlace = 1;
        RecordLastWritten();
        g_report->State = TRunState::ModelError;
    } else {
        g_report->State = TRunState::Succeeded;
    }
}

void Limit(int resource, uint64_t soft, uint64_t hard) {
    if (soft == 0) return;
    rlimit limit{soft, hard};
    ::setrlimit(resource, &limit);
}

// One run, in the process forked for it; never returns.
[[noreturn]] void RunForked(const THostRun& run, const THostRunFds& fds, pid_t host, bool confine) {
    // A run whose host was stopped (the workbench cancelled it) must not go on.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != host) ::_exit(2);
    if (::dup2(fds.OutputFd, 1) < 0 || ::dup2(fds.OutputFd, 2) < 0) ::_exit(2);
    ::close(fds.OutputFd);
    if (::chdir(run.Folder.data()) != 0) ::_exit(2);
    Limit(RLIMIT_AS, run.MemoryLimitBytes, run.MemoryLimitBytes);
    Limit(RLIMIT_CPU, run.CpuLimitSeconds, run.CpuLimitSeconds + 5);
    // Files written beyond this end the run (SIGXFSZ): a scratch folder often lies on a small
    // tmpfs shared with the whole session.
    Limit(RLIMIT_FSIZE, run.FileLimitBytes, run.FileLimitBytes);
    // Nothing of the workbench's environment reaches the model (the run-time needs none).
    const bool landlock = std::getenv("KVARIL_MODEL_LANDLOCK") == nullptr ||
                          std::strcmp(std::getenv("KVARIL_MODEL_LANDLOCK"), "off") != 0;
    ::clearenv();

    g_report = static_cast<TRunReport*>(MapShared(fds.ReportFd, sizeof(TRunReport)));
    if (!g_report) ::_exit(2);
    g_report->CurrentQuant = -1;
    const size_t rowsSize = RowsSize(run.SignalCount, run.SampleCount);
    char* rows = fds.RowsFd >= 0 ? static_cast<char*>(MapShared(fds.RowsFd, rowsSize)) : nullptr;
    if (!rows && rowsSize > 0) ::_exit(2);
    static StoreImage store;
    store.Link(rows, run.SignalCount, run.SampleCount);

    InstallCrashHandlers();
    // In a box with namespaces Landlock also keeps the runs of one host out of each other's
    // folders; where it is missing there, the namespaces alone keep the rest safe, and the
    // report says the box is weaker. Without namespaces it is all there is.
    g_report->Confined = landlock && ConfineRun(run.Folder.data(), run.Library.data()) ? 1 : 0;
    if (!g_report->Confined && confine) RefuseUnconfined();
    InstallFilter();
    const TModelExports model = LoadModel(run.Library.data());
    g_report->State = TRunState::Running;
    if (model.Call && model.FpcHandler) {
        CallModelCatching(model, store.Object());
    } else {
        // A library not built from our project: run it bare; a fault ends in CrashHandler.
        model.Main(store.Object());
        g_report->State = TRunState::Succeeded;
    }
    // The library's finalisation has nothing to give back; the process simply ends.
    EndHost(0);
}

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
