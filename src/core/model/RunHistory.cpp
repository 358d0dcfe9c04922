#include "model/RunHistory.h"

#include <algorithm>
#include <map>

#include "document/uSignal.h"
#include "store/uSignalsData.h"

namespace kvaril {

int TStoredRun::FindRow(const std::string& name, int occurrence) const {
    for (int i = 0; i < SignalCount(); ++i)
        if (Names[static_cast<size_t>(i)] == name && occurrence-- == 0) return i;
    return -1;
}

size_t TStoredRun::ByteSize() const {
    size_t size = sizeof(*this) + Label.capacity() + Values.capacity() * sizeof(double);
    for (const std::string& name : Names) size += sizeof(name) + name.capacity();
    return size;
}

TStoredRun CaptureRun(const TSignals& signals, std::time_t when) {
    const TSignalsData& data = signals.Data();
    TStoredRun run;
    char text[16] = "";
    std::tm local{};
    if (localtime_r(&when, &local)) std::strftime(text, sizeof text, "%H:%M:%S", &local);
    run.Label = text;
    run.QuantTime = signals.QuantTime();
    run.SampleCount = data.SampleCount();
    const int count = std::min(signals.Count(), static_cast<int>(data.SignalCount()));
    run.Names.reserve(static_cast<size_t>(count));
    run.Values.reserve(static_cast<size_t>(count) * static_cast<size_t>(run.SampleCount));
    for (int s = 0; s < count; ++s) {
        run.Names.push_back(signals.Items(s).Name());
        if (run.SampleCount > 0)
            run.Values.insert(run.Values.end(), data.Row(s), data.Row(s) + run.SampleCount);
    }
    return run;
}

std::vector<int> MatchRows(const TSignals& signals, const TStoredRun& run) {
    std::vector<int> rows;
    std::map<std::string, int> seen;
    for (int s = 0; s < signals.Count(); ++s) {
        const std::string& name = signals.Items(s).Name();
        rows.push_back(run.FindRow(name, seen[name]++));
    }
    return rows;
}

std::vector<const double*> ReferenceRows(const TSignals& signals, const TStoredRun& run) {
    std::vector<const double*> rows(static_cast<size_t>(signals.Count()), nullptr);
    if (run.SampleCount != signals.Data().SampleCount() || run.QuantTime != signals.QuantTime() ||
        run.SampleCount <= 0)
        return rows;
    const std::vector<int> match = MatchRows(signals, run);
    for (size_t s = 0; s < rows.size(); ++s)
        if (match[s] >= 0) rows[s] = run.Row(match[s]);
    return rows;
}

const TStoredRun& TRunHistory::Add(TStoredRun run) {
    run.Id = ++lastId_;
    ring_.insert(ring_.begin(), std::make_shared<const TStoredRun>(std::move(run)));
    if (ring_.size() > static_cast<size_t>(kKept)) ring_.pop_back();
    dropped_ = 0;
    while (ByteSize() > budget_) {
        // The oldest that is neither the new run nor the pinned one; the pinned one last.
        auto oldest = ring_.end();
        for (auto it = ring_.begin() + 1; it != ring_.end(); ++it)
            if (*it != pinned_) oldest = it;
        if (oldest != ring_.end()) {
            ring_.erase(oldest);
        } else if (pinned_ && pinned_ != ring_.front()) {
            std::erase(ring_, pinned_);
            pinned_.reset();
        } else {
            break;
        }
        ++dropped_;
    }
    return *ring_.front();
}

void TRunHistory::Clear() {
    ring_.clear();
    pinned_.reset();
}

std::vector<const TStoredRun*> TRunHistory::Runs() const {
    std::vector<const TStoredRun*> runs;
    for (const auto& run : ring_) runs.push_back(run.get());
    if (pinned_ && std::find(ring_.begin(), ring_.end(), pinned_) == ring_.end())
        runs.push_back(pinned_.get());
    return runs;
}

const TStoredRun* TRunHistory::Find(int id) const {
    for (const TStoredRun* run : Runs())
        if (run->Id == id) return run;
    return nullptr;
}

void TRunHistory::Pin(int id) {
    for (const auto& run : ring_)
        if (run->Id == id) pinned_ = run;
}

size_t TRunHistory::ByteSize() const {
    size_t size = 0;
    for (const TStoredRun* run : Runs()) size += run->ByteSize();
    return size;
}

std::string RunChoiceText(const TStoredRun& run, bool pinned) {
    std::string text = run.Label + ", сигналов: " + std::to_string(run.SignalCount());
    if (pinned) text += " (опорный)";
    return text;
}

}  // namespace kvaril
