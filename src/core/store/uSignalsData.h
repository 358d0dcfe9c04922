#pragma once
// The result store of the last model run: one row of samples per signal, one sample per
// quantum, and each row's largest magnitude. The model library writes the rows directly, so
// their memory follows StoreLayout.h and can be shared with the model host process.

#include <cstdint>
#include <vector>

#include "store/MinMaxSummary.h"

#include "store/SharedMemory.h"
#include "store/StoreLayout.h"

namespace kvaril {

class TSignalsData {
  public:
    TSignalsData() = default;
    TSignalsData(const TSignalsData&) = delete;
    TSignalsData& operator=(const TSignalsData&) = delete;

    // Unchanged dimensions keep everything; otherwise overlapping values survive and new
    // elements are 0. Throws std::bad_alloc when the memory cannot be had.
    void SetSize(int32_t signalCount, int32_t sampleCount);
    // The size and samples of `other`, as a run had written them here (CalcMaxima still to do).
    void CopyFrom(const TSignalsData& other);
    // What the model library does; the workbench's own drawing code only reads.
    void SetData(int32_t signal, int32_t quant, double value);
    double GetData(int32_t signal, int32_t quant) const;
    // Each row's largest magnitude; for a run of kSummaryLeast quanta or more also each row's
    // min/max summary (MinMaxSummary.h), in the same pass over the samples.
    void CalcMaxima();
    static constexpr int32_t kSummaryLeast = 65536;
    // Row `signal`'s summary, or nullptr when the run is too short to have one (or the rows
    // changed since CalcMaxima).
    const TMinMaxSummary* Summary(int32_t signal) const;
    // Bytes of all summaries.
    size_t SummaryBytes() const;
    double GetMax(int32_t signal) const;
    // Row `signal` as one block of SampleCount doubles (for drawing, which reads many).
    const double* Row(int32_t signal) const;

    int32_t SignalCount() const { return image_.Object()->SignalCount; }
    int32_t SampleCount() const { return image_.Object()->SampleCount; }

    // The object handed to MainModelProc in this process.
    TSignalsDataImage* Image() { return image_.Object(); }
    // The rows, for mapping into the model host (see RowData for where each row starts).
    const SharedMemory& Rows() const { return rows_; }

  private:
    SharedMemory rows_;
    StoreImage image_;
    std::vector<TMinMaxSummary> summaries_;  // empty, or one per signal
};

}  // namespace kvaril
