#pragma once
// What the model host tells the workbench about one run, through a small block of shared memory
// that survives the host's death.

#include <cstdint>

namespace kvaril {

enum class TRunState : int32_t {
    NotStarted = 0,
    Loading = 1,        // the host is loading the library
    LoadFailed = 2,     // Detail holds the system's message
    ExportMissing = 3,  // Detail holds the export's name
    Running = 4,        // MainModelProc was called
    Succeeded = 5,
    ModelError = 6,   // an exception ended MainModelProc: ClassName, Detail (its message)
    Crashed = 7,      // a fault the library could not turn into an exception: Signal
    Refused = 8,      // the model made a call it may not make: RefusedCall
    ModelExited = 9,  // the model ended the process itself (Halt, RunError, exit): ExitCode
    Unconfined = 10,  // no box could be made (neither namespaces nor Landlock): not run
};

// The host ends itself with exit_group(kHostExitTag | code); the filter refuses every other
// exit_group, so a model that ends the process is caught and reported with its place.
inline constexpr long kHostExitTag = 0x4B560000;

struct TRunReport {
    TRunState State;
    int32_t Signal;
    int32_t HasErrorPlace;  // ErrorFactor and ErrorIndex were read from the library
    int32_t ErrorFactor;
    int32_t ErrorIndex;
    int32_t ExitCode;          // ModelExited: the code the model gave
    int64_t ModelNanoseconds;  // how long MainModelProc itself ran (for the benchmarks)
    int32_t HasLastWritten;    // LastSignal and LastQuant were read from the library
    int32_t LastSignal;        // the last sample the model wrote (−1 before the first)
    int32_t LastQuant;
    char RefusedCall[32];   // Refused: the C routine's name; empty for a system call
    int32_t RefusedNumber;  // Refused by the filter: the system call's number
    uint32_t RefusedArch;   // and its architecture (AUDIT_ARCH_*): 32-bit calls are refused too
    char ClassName[128];
    char Detail[4096];  // bytes as the library gave them (Windows-1251 for the user's texts)
    // While the model runs: the quantum it is writing (−1 before the first), kept by the
    // library's SetData for the workbench's progress display; read without a lock.
    int32_t CurrentQuant;
    // Landlock kept the run to its own folder and the system's libraries (1), or the kernel has
    // none and only the namespaces did (0).
    int32_t Confined;
};

}  // namespace kvaril
