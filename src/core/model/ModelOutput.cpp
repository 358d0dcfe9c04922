#include "model/ModelOutput.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <thread>

#include "base/Cp1251.h"

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
    // Into the ring in at most two blocks: up to its end, then from its start (a byte at a
    // time took 46 s for a gigabyte).
    while (size > 0) {
        const size_t block = std::min(size, tailLimit_ - tailStart_);
        tail_.replace(tailStart_, block, data, block);
        tailStart_ = (tailStart_ + block) % tailLimit_;
        data += block;
        size -= block;
    }
}

std::string ModelOutputText(std::string_view printed) {
    std::string visible;
    visible.reserve(printed.size());
    for (const char c : printed) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\n' || byte == '\t' || (byte >= 0x20 && byte != 0x7F)) {
            visible += c;
        } else {
            // ^[ for ESC, ^M for CR, ^? for DEL: seen, never obeyed.
            visible += '^';
            visible += byte == 0x7F ? '?' : static_cast<char>(byte + 0x40);
        }
    }
    return Cp1251ToUtf8(visible);
}

std::string TOutputCollector::Text() const {
    const std::string tail = tail_.substr(tailStart_) + tail_.substr(0, tailStart_);
    std::string text = ModelOutputText(head_);
    const size_t left = total_ - head_.size() - tail.size();
    if (left > 0) text += "\n[... пропущено байт: " + std::to_string(left) + " ...]\n";
    return text + ModelOutputText(tail);
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
