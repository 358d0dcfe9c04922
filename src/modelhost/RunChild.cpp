// The process forked for one run: it maps the store and the report, confines itself, loads the
// model library and calls it, turning the model's faults, exits and refused calls into the
// report's words.

#include <dlfcn.h>
#include <fcntl.h>
#include <linux/audit.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
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

#include "Confinement.h"
#include "RunChild.h"
#include "model/HostChannel.h"
#include "model/RunReport.h"
#include "store/StoreLayout.h"

namespace kvaril {

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

}  // namespace kvaril

using namespace kvaril;

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

namespace kvaril {

namespace {

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

}  // namespace

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
    InstallFilter(RefusedCallHandler);
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

}  // namespace kvaril
