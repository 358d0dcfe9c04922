#pragma once
// A command-line run interrupted from outside: SIGINT (Ctrl+C), SIGTERM, SIGHUP (the terminal
// went away) or SIGPIPE (the reader of standard output went away). The handlers only note the
// signal; the run notices it where it waits or writes, stops its model host, and everything it
// made goes as after any failure: the temporaries beside the targets, the scratch folder. The
// caller then exits with 128 + the signal, as the shell expects.

#include <string>

namespace kvaril {

// Installs the handlers; a second signal of the same kind ends the process at once, so a run
// that does not stop is never kept alive against the user's will.
void CatchInterruptions();
// The signal that interrupted the run, 0 while none came.
int InterruptingSignal();
// "прервано сигналом SIGINT"
std::string InterruptionText(int signal);

// Thrown by a writer that finds the run interrupted.
class EInterrupted : public std::exception {
  public:
    const char* what() const noexcept override { return "прервано"; }
};

// Throws EInterrupted when the run was interrupted.
void ThrowIfInterrupted();

}  // namespace kvaril
