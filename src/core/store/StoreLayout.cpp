#include "store/StoreLayout.h"

#include <cstring>
#include <new>

namespace kvaril {

size_t RowStride(int32_t sampleCount) {
    if (sampleCount <= 0) return 0;
    return sizeof(FpcArrayHeader) + sizeof(double) * static_cast<size_t>(sampleCount);
}

size_t RowsSize(int32_t signalCount, int32_t sampleCount) {
    size_t total;
    if (signalCount < 0 ||
        __builtin_mul_overflow(static_cast<size_t>(signalCount), RowStride(sampleCount), &total))
        throw std::bad_alloc();
    return total;
}

void InitRowHeaders(char* rows, int32_t signalCount, int32_t sampleCount) {
    const size_t stride = RowStride(sampleCount);
    if (stride == 0) return;
    for (int32_t s = 0; s < signalCount; ++s) {
        FpcArrayHeader header{kFpcConstantRefCount, sampleCount - 1};
        std::memcpy(rows + static_cast<size_t>(s) * stride, &header, sizeof header);
    }
}

double* RowData(char* rows, int32_t sampleCount, int32_t s) {
    const size_t stride = RowStride(sampleCount);
    if (stride == 0) return nullptr;
    return reinterpret_cast<double*>(rows + static_cast<size_t>(s) * stride +
                                     sizeof(FpcArrayHeader));
}

namespace {

// A constant FPC array of `count` 8-byte elements in `storage`; returns element 0 or nil.
uint64_t* MakeArray(std::vector<uint64_t>& storage, int32_t count) {
    if (count <= 0) {
        storage.clear();
        return nullptr;
    }
    storage.resize(2 + static_cast<size_t>(count));
    FpcArrayHeader header{kFpcConstantRefCount, count - 1};
    std::memcpy(storage.data(), &header, sizeof header);
    return storage.data() + 2;
}

}  // namespace

void StoreImage::Link(char* rows, int32_t signalCount, int32_t sampleCount) {
    std::vector<double> oldMaxima;
    if (object_.Maxima) oldMaxima.assign(object_.Maxima, object_.Maxima + object_.SignalCount);

    object_.SignalCount = signalCount;
    object_.SampleCount = sampleCount;
    object_.Samples = reinterpret_cast<double**>(MakeArray(samplesArray_, signalCount));
    object_.Maxima = reinterpret_cast<double*>(MakeArray(maximaArray_, signalCount));
    for (int32_t s = 0; s < signalCount; ++s) {
        object_.Samples[s] = RowData(rows, sampleCount, s);
        object_.Maxima[s] = static_cast<size_t>(s) < oldMaxima.size() ? oldMaxima[s] : 0.0;
    }
}

}  // namespace kvaril
