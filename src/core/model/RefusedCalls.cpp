#include "model/RefusedCalls.h"

#include <linux/audit.h>
#include <seccomp.h>

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "model/RunReport.h"

namespace kvaril {

namespace {

// x32 calls come on the 64-bit architecture with this bit in their number.
constexpr int32_t kX32Bit = 0x40000000;

bool OneOf(std::string_view call, std::initializer_list<std::string_view> names) {
    for (std::string_view n : names)
        if (call == n) return true;
    return false;
}

const char* KindOf(const std::string& call) {
    if (OneOf(call, {"socket", "socketpair", "connect", "bind", "listen", "accept", "accept4",
                     "sendto", "sendmsg", "recvfrom", "recvmsg"}))
        return "Модели запрещено открывать сетевые соединения";
    if (OneOf(call, {"ptrace", "kill", "tgkill", "tkill", "process_vm_readv", "process_vm_writev",
                     "pidfd_open", "pidfd_send_signal", "pidfd_getfd", "rt_sigqueueinfo",
                     "rt_tgsigqueueinfo", "setpriority", "sched_setaffinity"}))
        return "Модели запрещено управлять другими процессами";
    if (OneOf(call, {"fork", "vfork", "clone", "execve", "execveat", "system", "popen",
                     "posix_spawn", "posix_spawnp"}))
        return "Модели запрещено запускать процессы и программы";
    if (call == "exit") return "Модель завершила свой поток сама";
    return "Модели запрещено такое обращение к системе";
}

}  // namespace

std::string RefusedCallText(const std::string& call) {
    return std::string(KindOf(call)) + " (вызов " + call + ")";
}

std::string SyscallName(int32_t number, uint32_t arch) {
    const uint32_t scmpArch =
        arch == AUDIT_ARCH_X86_64 && (number & kX32Bit) ? SCMP_ARCH_X32 : arch;
    std::string name;
    if (char* resolved = ::seccomp_syscall_resolve_num_arch(scmpArch, number)) {
        name = resolved;
        std::free(resolved);
    }
    return name.empty() ? "№" + std::to_string(number) : name;
}

std::string RefusedCallText(const TRunReport& report) {
    const std::string routine(report.RefusedCall,
                              ::strnlen(report.RefusedCall, sizeof report.RefusedCall));
    if (!routine.empty()) return RefusedCallText(routine);
    const std::string name = SyscallName(report.RefusedNumber, report.RefusedArch);
    if (report.RefusedArch != AUDIT_ARCH_X86_64 || (report.RefusedNumber & kX32Bit) != 0)
        return "Модели запрещены системные вызовы других архитектур (int 0x80, x32; вызов " + name +
               ")";
    return RefusedCallText(name);
}

}  // namespace kvaril
