#pragma once
// The run's confinement, installed in the run's own process before the model is loaded.

#include <signal.h>

namespace kvaril {

using SignalHandler = void (*)(int, siginfo_t*, void*);

// The filter of system calls: what a model computes with is allowed, every other call traps
// into `onRefusedCall` (SIGSYS) so that the report can name it and its place. False when the
// kernel refused the filter.
bool InstallFilter(SignalHandler onRefusedCall);

// Landlock: the run reads the system and its library and writes only in `folder`; it reaches
// no other process's sockets or signals where the kernel can scope them. False when the kernel
// has no Landlock or refused the rules.
bool ConfineRun(const char* folder, const char* library);

}  // namespace kvaril
