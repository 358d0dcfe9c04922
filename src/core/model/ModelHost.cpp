#include "model/ModelHost.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <thread>

#include "base/Errors.h"
#include "model/LibraryStamp.h"

namespace kvaril {

namespace {

// A process ends with the thread that started it (its parent-death signal follows that thread,
// and so does the box's), while a sweep's threads end with the sweep: hosts are started on a
// thread that lasts as long as the workbench.
class TLastingThread {
  public:
    static void Run(std::function<void()> job) {
        // Never destroyed: the thread may still wait on it while the process ends.
        static TLastingThread* const instance = new TLastingThread;
        std::packaged_task<void()> task(std::move(job));
        std::future<void> done = task.get_future();
        {
            std::lock_guard<std::mutex> lock(instance->lock_);
            instance->jobs_.push_back(std::move(task));
        }
        instance->wake_.notify_one();
        done.get();  // the job's exception, if it threw
    }

  private:
    TLastingThread() {
        std::thread([this] {
            for (;;) {
                std::unique_lock<std::mutex> lock(lock_);
                wake_.wait(lock, [this] { return !jobs_.empty(); });
                std::packaged_task<void()> job = std::move(jobs_.front());
                jobs_.pop_front();
                lock.unlock();
                job();
            }
        }).detach();
    }

    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<std::packaged_task<void()>> jobs_;
};

struct THostPool {
    std::mutex Lock;
    std::vector<std::unique_ptr<TModelHost>> Idle;
};

THostPool& HostPool() {
    static THostPool pool;  // its hosts stop, and their folders go, when the workbench ends
    return pool;
}

}  // namespace

TModelHost::TModelHost(std::string program) : program_(std::move(program)) {}

TModelHost::~TModelHost() { Stop(); }

const std::string& TModelHost::Folder() {
    if (!folder_) {
        folder_.emplace();
        // Gone with the host unless a run's folder in it is kept for the user.
        folder_->Keep();
    }
    return folder_->Path();
}

void TModelHost::Launch() {
    identity_ = ProgramIdentity(program_).value_or("");
    const std::array<int, 2> pair = HostSocketPair();
    std::vector<std::string> host = {program_, std::to_string(pair[1])};
    if (AvailableBox() == TBoxKind::Landlock) host.push_back("--confine");
    TSpawnOptions spawn;
    spawn.Argv = BoxedCommand(AvailableBox(), Folder(), std::move(host));
    // Never the model folder: a model must not be able to replace the compiler there.
    spawn.WorkDir = Folder();
    spawn.InheritFds = {pair[1]};
    try {
        TLastingThread::Run([&] { process_.emplace(spawn); });
    } catch (const EKvaril&) {
        ::close(pair[0]);
        ::close(pair[1]);
        throw;
    }
    ::close(pair[1]);
    socket_ = pair[0];
}

void TModelHost::Open() {
    if (!process_) Launch();
}

bool TModelHost::Idle() {
    return process_ && !running_ && process_->Running() &&
           ProgramIdentity(program_).value_or("") == identity_;
}

void TModelHost::Start(const THostRun& run, const THostRunFds& fds) {
    Open();
    running_ = true;
    if (SendRun(socket_, run, fds)) return;
    // The host went away since its last run: a new one takes this run.
    Stop();
    Launch();
    if (!SendRun(socket_, run, fds)) {
        Stop();
        throw EKvaril("kvaril-modelhost не принимает запуск");
    }
}

TWaitResult TModelHost::Wait(std::chrono::milliseconds limit, const std::function<bool()>& tick,
                             int& status) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + limit;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd p{socket_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(std::clamp<long long>(left.count(), 0, 50))) > 0) {
            if (const std::optional<int> end = ReceiveRunEnd(socket_)) {
                status = *end;
                running_ = false;
                return TWaitResult::Exited;
            }
            // The host itself died with the run: its own end is the run's.
            if (process_->Wait(std::chrono::seconds(5)) != TWaitResult::Exited) {
                process_->Kill();
                process_->Wait(std::chrono::seconds(5));
            }
            status = process_->Status();
            Stop();
            return TWaitResult::Exited;
        }
        if (tick && tick()) {
            Stop();
            return TWaitResult::Cancelled;
        }
        if (Clock::now() >= deadline) {
            Stop();
            return TWaitResult::TimedOut;
        }
    }
}

void TModelHost::Stop() {
    if (socket_ >= 0) ::close(socket_);
    socket_ = -1;
    if (process_) process_->Kill();
    process_.reset();
    running_ = false;
}

std::unique_ptr<TModelHost> TakeModelHost(const std::string& program) {
    std::unique_ptr<TModelHost> found;
    std::vector<std::unique_ptr<TModelHost>> unfit;  // stopped outside the lock
    {
        THostPool& pool = HostPool();
        std::lock_guard<std::mutex> lock(pool.Lock);
        for (auto it = pool.Idle.begin(); it != pool.Idle.end();) {
            if ((*it)->Program() != program || (found && (*it)->Idle())) {
                ++it;
                continue;
            }
            if (!found && (*it)->Idle())
                found = std::move(*it);
            else  // it died while it waited, or its program was rebuilt since
                unfit.push_back(std::move(*it));
            it = pool.Idle.erase(it);
        }
    }
    if (found) return found;
    auto host = std::make_unique<TModelHost>(program);
    try {
        host->Open();  // its box is made while the caller prepares the run
    } catch (const EKvaril&) {
        // The first run tries again and reports why it cannot.
    }
    return host;
}

void GiveBackModelHost(std::unique_ptr<TModelHost> host) {
    if (!host || !host->Idle()) return;
    THostPool& pool = HostPool();
    std::unique_ptr<TModelHost> dropped;  // stopped outside the lock
    std::lock_guard<std::mutex> lock(pool.Lock);
    pool.Idle.push_back(std::move(host));
    if (pool.Idle.size() > std::max(1u, std::thread::hardware_concurrency())) {
        dropped = std::move(pool.Idle.front());
        pool.Idle.erase(pool.Idle.begin());
    }
}

void StopModelHosts() {
    std::vector<std::unique_ptr<TModelHost>> stopped;  // stopped outside the lock
    THostPool& pool = HostPool();
    std::lock_guard<std::mutex> lock(pool.Lock);
    stopped.swap(pool.Idle);
}

}  // namespace kvaril
