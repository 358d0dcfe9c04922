#include "store/uSignalsData.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/Errors.h"

namespace kvaril {

void TSignalsData::SetSize(int32_t signalCount, int32_t sampleCount) {
    KV_ASSERT(signalCount >= 0 && sampleCount >= 0, "uSignalsData");
    if (signalCount == SignalCount() && sampleCount == SampleCount()) return;
    summaries_.clear();

    SharedMemory rows(RowsSize(signalCount, sampleCount));
    InitRowHeaders(rows.Data(), signalCount, sampleCount);
    const int32_t keepSignals = std::min(signalCount, SignalCount());
    const int32_t keepSamples = std::min(sampleCount, SampleCount());
    for (int32_t s = 0; s < keepSignals && keepSamples > 0; ++s) {
        std::memcpy(RowData(rows.Data(), sampleCount, s), image_.Object()->Samples[s],
                    sizeof(double) * static_cast<size_t>(keepSamples));
    }
    rows_ = std::move(rows);
    image_.Link(rows_.Data(), signalCount, sampleCount);
}

void TSignalsData::CopyFrom(const TSignalsData& other) {
    if (&other == this) return;
    SetSize(other.SignalCount(), other.SampleCount());
    summaries_.clear();
    for (int32_t s = 0; s < SignalCount() && SampleCount() > 0; ++s)
        std::memcpy(image_.Object()->Samples[s], other.Row(s),
                    sizeof(double) * static_cast<size_t>(SampleCount()));
}

void TSignalsData::SetData(int32_t signal, int32_t quant, double value) {
    KV_ASSERT(signal >= 0 && signal < SignalCount(), "uSignalsData");
    KV_ASSERT(quant >= 0 && quant < SampleCount(), "uSignalsData");
    image_.Object()->Samples[signal][quant] = value;
    if (!summaries_.empty()) summaries_.clear();  // no longer what the rows hold
}

double TSignalsData::GetData(int32_t signal, int32_t quant) const {
    KV_ASSERT(signal >= 0, "uSignalsData");
    KV_ASSERT(signal < SignalCount(), "uSignalsData");
    KV_ASSERT(quant >= 0, "uSignalsData");
    KV_ASSERT(quant < SampleCount(), "uSignalsData");
    return image_.Object()->Samples[signal][quant];
}

void TSignalsData::CalcMaxima() {
    const TSignalsDataImage* object = image_.Object();
    summaries_.clear();
    if (object->SampleCount >= kSummaryLeast) {
        // One pass builds the summaries; the largest magnitude of a row is the larger of its
        // smallest and largest sample's (NaN is in neither, as it never wins below).
        summaries_.resize(static_cast<size_t>(object->SignalCount));
        for (int32_t s = 0; s < object->SignalCount; ++s) {
            const double* row = object->Samples[s];
            TMinMaxSummary& summary = summaries_[static_cast<size_t>(s)];
            summary.Build(row, object->SampleCount);
            const TMinMax all = summary.Range(row, 0, object->SampleCount - 1);
            double m = 0.0;
            if (all.Any()) m = std::max({m, std::fabs(all.Lo), std::fabs(all.Hi)});
            object->Maxima[s] = m;
        }
        return;
    }
    for (int32_t s = 0; s < object->SignalCount; ++s) {
        const double* row = object->Samples[s];
        double m = 0.0;
        for (int32_t q = 0; q < object->SampleCount; ++q) {
            // A NaN never wins: the comparison is false for it.
            if (std::fabs(row[q]) > m) m = std::fabs(row[q]);
        }
        object->Maxima[s] = m;
    }
}

const double* TSignalsData::Row(int32_t signal) const {
    KV_ASSERT(signal >= 0 && signal < SignalCount(), "uSignalsData");
    return image_.Object()->Samples[signal];
}

const TMinMaxSummary* TSignalsData::Summary(int32_t signal) const {
    if (signal < 0 || static_cast<size_t>(signal) >= summaries_.size()) return nullptr;
    const TMinMaxSummary& summary = summaries_[static_cast<size_t>(signal)];
    return summary.Built() && summary.Count() == SampleCount() ? &summary : nullptr;
}

size_t TSignalsData::SummaryBytes() const {
    size_t bytes = 0;
    for (const TMinMaxSummary& summary : summaries_) bytes += summary.Bytes();
    return bytes;
}

double TSignalsData::GetMax(int32_t signal) const {
    KV_ASSERT(signal >= 0 && signal < SignalCount(), "uSignalsData");
    return image_.Object()->Maxima[signal];
}

}  // namespace kvaril
