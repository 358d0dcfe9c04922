#pragma once
// The memory a model library writes into. The library is built by Free Pascal for x86_64, so
// the store object and its arrays must look exactly as FPC lays them out:
//   object:  VMT pointer (0), Samples (8), Maxima (16), SignalCount (24), SampleCount (28)
//   dynamic array: reference count (at -16), high index = length - 1 (at -8), then the
//   elements; a reference points at element 0 and an empty array is nil.
// A reference count of -1 marks an array as constant: the FPC runtime never counts or frees it,
// so the library can never release memory that belongs to the workbench.
//
// The rows live in one block that can be shared with the model host: row s starts at
// s × RowStride with its own array header. The pointer tables (the object, Samples, Maxima)
// are private to each process and built over wherever that process mapped the rows.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kvaril {

struct FpcArrayHeader {
    intptr_t RefCount;
    intptr_t High;
};

struct TSignalsDataImage {
    const void* Vmt;
    double** Samples;
    double* Maxima;
    int32_t SignalCount;
    int32_t SampleCount;
};

static_assert(sizeof(FpcArrayHeader) == 16);
static_assert(offsetof(TSignalsDataImage, Samples) == 8);
static_assert(offsetof(TSignalsDataImage, Maxima) == 16);
static_assert(offsetof(TSignalsDataImage, SignalCount) == 24);
static_assert(offsetof(TSignalsDataImage, SampleCount) == 28);
static_assert(sizeof(TSignalsDataImage) == 32);

inline constexpr intptr_t kFpcConstantRefCount = -1;

// Bytes of one row (header and samples); 0 for rows without samples, which FPC keeps as nil.
size_t RowStride(int32_t sampleCount);
// Bytes of all rows; throws std::bad_alloc when that does not fit in memory's address range.
size_t RowsSize(int32_t signalCount, int32_t sampleCount);
// Writes every row's array header into a zero-filled rows block.
void InitRowHeaders(char* rows, int32_t signalCount, int32_t sampleCount);
// Element 0 of row s, or nullptr for rows without samples.
double* RowData(char* rows, int32_t sampleCount, int32_t s);

// The object and pointer arrays of one process, over a rows block mapped in that process.
class StoreImage {
  public:
    StoreImage() = default;
    StoreImage(const StoreImage&) = delete;
    StoreImage& operator=(const StoreImage&) = delete;

    // Points the object at `rows`; Maxima keeps the overlapping values and zeroes the rest.
    void Link(char* rows, int32_t signalCount, int32_t sampleCount);
    TSignalsDataImage* Object() { return &object_; }
    const TSignalsDataImage* Object() const { return &object_; }

  private:
    TSignalsDataImage object_{nullptr, nullptr, nullptr, 0, 0};
    std::vector<uint64_t> samplesArray_;  // header words, then the row references
    std::vector<uint64_t> maximaArray_;   // header words, then the doubles
};

}  // namespace kvaril
