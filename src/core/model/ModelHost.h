#pragma once
// A model host in its box that runs one model library after another, each in a fresh process
// of its own that the host forks: the box is made once for all of them. F9 starts one for its
// run; sweeps take theirs from a pool that keeps them between sweeps, so that a repeated sweep
// costs little more than its models' own work.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "model/ChildProcess.h"
#include "model/HostChannel.h"
#include "model/ModelBox.h"

namespace kvaril {

class TModelHost {
  public:
    // `program` is the host's path (kvaril-modelhost in a model folder); nothing starts yet.
    explicit TModelHost(std::string program);
    ~TModelHost();
    TModelHost(const TModelHost&) = delete;
    TModelHost& operator=(const TModelHost&) = delete;

    // The box's own folder, where each run gets its scratch folder; made with the box.
    const std::string& Folder();

    // Starts a run in the host, starting the host (again) when it is not up. Throws EKvaril
    // when the host cannot be started or does not take the run.
    void Start(const THostRun& run, const THostRunFds& fds);
    // Waits for the run started last to end; `tick` (polled about every 50 ms) returns true to
    // stop waiting. Exited leaves the run's wait status in `status`; otherwise the host is
    // stopped with the run and the next Start starts a new one.
    TWaitResult Wait(std::chrono::milliseconds limit, const std::function<bool()>& tick,
                     int& status);
    // Stops the host and the run in it.
    void Stop();
    // Starts the host now rather than with the first run.
    void Open();
    // Up, with no run, and started from the program as it is now.
    bool Idle();
    const std::string& Program() const { return program_; }

  private:
    void Launch();

    std::string program_;
    std::string identity_;  // the program's file when the host started
    std::optional<TScratchFolder> folder_;
    std::optional<ChildProcess> process_;
    int socket_ = -1;
    bool running_ = false;
};

// A host for `program`: an idle one from the pool, or a new one that starts now.
std::unique_ptr<TModelHost> TakeModelHost(const std::string& program);
// Back into the pool when it is idle; the pool keeps at most one per core.
void GiveBackModelHost(std::unique_ptr<TModelHost> host);
// Stops every idle host of the pool, and their boxes' folders go: the workbench ends.
void StopModelHosts();

}  // namespace kvaril
