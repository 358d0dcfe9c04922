#pragma once
// Starting a program as a child process and waiting for it with a time limit, a way to cancel,
// and the whole process group stopped on request (a compiler that started a linker, say).

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace kvaril {

struct TSpawnOptions {
    std::vector<std::string> Argv;  // Argv[0] is the program's path
    std::string WorkDir;            // empty: the current one
    int StdoutFd = -1;              // -1: /dev/null
    int StderrFd = -1;              // -1: /dev/null
    std::vector<int> InheritFds;    // kept open (at the same numbers) in the child
    bool NewProcessGroup = true;
    // Limits of the child, 0 for none.
    unsigned long long MemoryLimitBytes = 0;
    unsigned long long CpuLimitSeconds = 0;
};

enum class TWaitResult { Exited, TimedOut, Cancelled };

class ChildProcess {
  public:
    // Throws EKvaril with the system's message when the program cannot be started.
    explicit ChildProcess(const TSpawnOptions& options);
    ~ChildProcess();  // stops the process group if it still runs and reaps the child
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Waits until the child ends, `limit` passes, or `cancelled` (polled) says so.
    TWaitResult Wait(std::chrono::milliseconds limit,
                     const std::function<bool()>& cancelled = nullptr);
    // Ends the child and everything it started in its group.
    void Kill();
    // Whether the child has not ended yet (it is reaped when it has).
    bool Running() { return !Reap(false); }

    bool Exited() const { return reaped_; }
    int Status() const { return status_; }  // as from waitpid, once Exited

  private:
    bool Reap(bool block);

    pid_t pid_ = -1;
    bool newGroup_ = true;
    bool reaped_ = false;
    int status_ = 0;
};

// Text of a wait status for messages: "exit status 3", "signal 11 (Segmentation fault)".
std::string DescribeWaitStatus(int status);

}  // namespace kvaril
