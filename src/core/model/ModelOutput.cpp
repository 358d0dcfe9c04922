#include "model/ModelOutput.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <thread>

namespace kvaril {

void TOutputCollector::Add(const char* data, size_t size) {
    total_ += size;
    const size_t toHead = std::min(size, headLimit_ - head_.size());
    head_.append(data, toHead);
    data += toHead;
    size -= toHead;
    if (size == 0 || tailLimit_ == 0) return;
    if (size >= tailLimit_) {
        tail_.assign(data + size - tailLimit_, tailLimit_);
        tailStart_ = 0;
        return;
    }
    if (tail_.size() < tailLimit_) {
        const size_t fill = std::min(size, tailLimit_ - tail_.size());
        tail_.append(data, fill);
        data += fill;
        size -= fill;
    }
    for (size_t i = 0; i < size; ++i) {
        tail_[tailStart_] = data[i];
        tailStart_ = (tailStart_ + 1) % tailLimit_;
    }
}

std::string TOutputCollector::Text() const {
    std::string text = head_;
    const std::string tail = tail_.substr(tailStart_) + tail_.substr(0, tailStart_);
    const size_t left = total_ - head_.size() - tail.size();
    if (left > 0) text += "\n[... пропущено байт: " + std::to_string(left) + " ...]\n";
    return text + tail;
}

struct TOutputReader::TState {
    int Fd;
    TOutputCollector Collector;
    std::thread Thread;
    std::atomic<bool> Stop{false};
};

TOutputReader::TOutputReader(int fd) : state_(new TState{fd, TOutputCollector(), {}}) {
    state_->Thread = std::thread([s = state_] {
        char buffer[65536];
        for (;;) {
            // Once the host has ended, what is still in the pipe is taken and no more awaited:
            // nothing the model started may keep the workbench waiting.
            pollfd p{s->Fd, POLLIN, 0};
            const int ready = ::poll(&p, 1, s->Stop ? 0 : 100);
            if (ready == 0) {
                if (s->Stop) break;
                continue;
            }
            if (ready < 0 && errno == EINTR) continue;
            const ssize_t n = ready > 0 ? ::read(s->Fd, buffer, sizeof buffer) : -1;
            if (n > 0) {
                s->Collector.Add(buffer, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                break;
            }
        }
    });
}

TOutputReader::~TOutputReader() {
    Finish();
    delete state_;
}

std::string TOutputReader::Finish() {
    state_->Stop = true;
    if (state_->Thread.joinable()) state_->Thread.join();
    if (state_->Fd >= 0) {
        ::close(state_->Fd);
        state_->Fd = -1;
    }
    return state_->Collector.Text();
}

}  // namespace kvaril
