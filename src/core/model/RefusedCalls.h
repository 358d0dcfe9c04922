#pragma once
// The message for a call the model's box refused: what kind of thing the model tried (a process,
// a connection, another process's memory...) and the call's own name.

#include <cstdint>
#include <string>

namespace kvaril {

struct TRunReport;

// A call by its name: a system call or a C routine the host stands in for ("system").
std::string RefusedCallText(const std::string& call);

// The refused call of a report: the C routine it names, else the system call by its number and
// architecture; a call of another architecture (int 0x80, x32) says so.
std::string RefusedCallText(const TRunReport& report);

// The system call's name on its architecture (AUDIT_ARCH_*), or "№N" when it has none.
std::string SyscallName(int32_t number, uint32_t arch);

}  // namespace kvaril
