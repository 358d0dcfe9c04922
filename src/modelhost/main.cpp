// kvaril-modelhost LIBRARY ROWS_FD SIGNALS SAMPLES REPORT_FD
//
// Runs one model in a process of its own: maps the result store's rows, loads the model
// library, looks up its exports, calls MainModelProc and writes what happened into the shared
// report. A fault the library cannot turn into an exception ends only this process.

#include <dlfcn.h>
#include <signal.h>
#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "model/RunReport.h"
#include "model/StoreLayout.h"

using namespace kvaril;

namespace {

using MainModelProc = void (*)(void* store);
using ErrorQuery = int32_t (*)();
using CallModel = int32_t (*)(MainModelProc proc, void* store, char* className, int32_t classSize,
                              char* message, int32_t messageSize);
using SignalHandler = void (*)(int, siginfo_t*, void*);
using HandlerQuery = SignalHandler (*)();

TRunReport* g_report = nullptr;
ErrorQuery g_getErrorFactor = nullptr;
ErrorQuery g_getErrorIndex = nullptr;
SignalHandler g_fpcHandler = nullptr;

constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE};

void Copy(char* target, size_t size, const char* text) {
    std::strncpy(target, text ? text : "", size - 1);
    target[size - 1] = '\0';
}

// The last resort: the process is going down; record where the model was.
void CrashHandler(int sig, siginfo_t*, void*) {
    if (g_report->State == TRunState::Running && g_getErrorFactor && g_getErrorIndex) {
        g_report->ErrorFactor = g_getErrorFactor();
        g_report->ErrorIndex = g_getErrorIndex();
        g_report->HasErrorPlace = 1;
    }
    g_report->Signal = sig;
    g_report->State = TRunState::Crashed;
    ::_exit(3);
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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) return 2;
    const char* library = argv[1];
    const int rowsFd = std::atoi(argv[2]);
    const int32_t signalCount = std::atoi(argv[3]);
    const int32_t sampleCount = std::atoi(argv[4]);
    const int reportFd = std::atoi(argv[5]);

    g_report = static_cast<TRunReport*>(MapShared(reportFd, sizeof(TRunReport)));
    if (!g_report) return 2;
    char* rows = static_cast<char*>(MapShared(rowsFd, RowsSize(signalCount, sampleCount)));
    if (!rows && RowsSize(signalCount, sampleCount) > 0) return 2;
    static StoreImage store;
    store.Link(rows, signalCount, sampleCount);

    static char altStack[1 << 16];
    stack_t st{};
    st.ss_sp = altStack;
    st.ss_size = sizeof altStack;
    ::sigaltstack(&st, nullptr);
    Install(CrashHandler);

    g_report->State = TRunState::Loading;
    void* handle = ::dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        Copy(g_report->Detail, sizeof g_report->Detail, ::dlerror());
        g_report->State = TRunState::LoadFailed;
        ::_exit(0);
    }
    auto* mainModelProc = reinterpret_cast<MainModelProc>(::dlsym(handle, "MainModelProc"));
    g_getErrorFactor = reinterpret_cast<ErrorQuery>(::dlsym(handle, "GetErrorFactor"));
    g_getErrorIndex = reinterpret_cast<ErrorQuery>(::dlsym(handle, "GetErrorIndex"));
    const char* missing = !mainModelProc      ? "MainModelProc"
                          : !g_getErrorFactor ? "GetErrorFactor"
                          : !g_getErrorIndex  ? "GetErrorIndex"
                                              : nullptr;
    if (missing) {
        Copy(g_report->Detail, sizeof g_report->Detail, missing);
        g_report->State = TRunState::ExportMissing;
        ::_exit(0);
    }
    auto* callModel = reinterpret_cast<CallModel>(::dlsym(handle, "KvarilCallModel"));
    auto* handlerQuery = reinterpret_cast<HandlerQuery>(::dlsym(handle, "KvarilSignalHandler"));

    g_report->State = TRunState::Running;
    if (!callModel || !handlerQuery) {
        // A library not built from our project: run it bare; a fault ends in CrashHandler.
        mainModelProc(store.Object());
        g_report->State = TRunState::Succeeded;
        ::_exit(0);
    }

    g_fpcHandler = handlerQuery();
    struct sigaction old[std::size(kFaultSignals)];
    Install(ModelFaultHandler, old);
    const int32_t result =
        callModel(mainModelProc, store.Object(), g_report->ClassName, sizeof g_report->ClassName,
                  g_report->Detail, sizeof g_report->Detail);
    Restore(old);
    if (result != 0) {
        g_report->ErrorFactor = g_getErrorFactor();
        g_report->ErrorIndex = g_getErrorIndex();
        g_report->HasErrorPlace = 1;
        g_report->State = TRunState::ModelError;
    } else {
        g_report->State = TRunState::Succeeded;
    }
    // The library's finalisation has nothing to give back; the process simply ends.
    ::_exit(0);
}
