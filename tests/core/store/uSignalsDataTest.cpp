#include "store/uSignalsData.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cmath>
#include <cstring>

#include "base/Errors.h"

namespace kvaril {
namespace {

TEST(TSignalsData, StartsEmpty) {
    TSignalsData data;
    EXPECT_EQ(data.SignalCount(), 0);
    EXPECT_EQ(data.SampleCount(), 0);
    EXPECT_EQ(data.Image()->Samples, nullptr);
    EXPECT_EQ(data.Image()->Maxima, nullptr);
}

TEST(TSignalsData, SetSizeWithTheSameDimensionsKeepsEverything) {
    TSignalsData data;
    data.SetSize(2, 3);
    data.SetData(1, 2, 7.5);
    data.CalcMaxima();
    const char* rows = data.Rows().Data();
    data.SetSize(2, 3);
    EXPECT_EQ(data.GetData(1, 2), 7.5);
    EXPECT_EQ(data.GetMax(1), 7.5);
    EXPECT_EQ(data.Rows().Data(), rows) << "unchanged dimensions must not reallocate";
}

TEST(TSignalsData, ResizingKeepsTheOverlapAndZeroesTheRest) {
    TSignalsData data;
    data.SetSize(2, 3);
    for (int s = 0; s < 2; ++s)
        for (int q = 0; q < 3; ++q) data.SetData(s, q, 10 * s + q + 1);
    data.CalcMaxima();

    data.SetSize(3, 2);
    EXPECT_EQ(data.GetData(0, 0), 1);
    EXPECT_EQ(data.GetData(1, 1), 12);
    EXPECT_EQ(data.GetData(2, 0), 0.0);
    EXPECT_EQ(data.GetMax(1), 13) << "maxima survive until the next CalcMaxima";
    EXPECT_EQ(data.GetMax(2), 0.0);

    data.SetSize(3, 5);
    EXPECT_EQ(data.GetData(1, 1), 12);
    EXPECT_EQ(data.GetData(1, 4), 0.0);
}

TEST(TSignalsData, NoSignalsLeaveBothArraysEmpty) {
    TSignalsData data;
    data.SetSize(2, 4);
    data.SetSize(0, 4);
    EXPECT_EQ(data.SignalCount(), 0);
    EXPECT_EQ(data.Image()->Samples, nullptr);
    EXPECT_EQ(data.Image()->Maxima, nullptr);
}

TEST(TSignalsData, CalcMaximaTakesMagnitudesAndIgnoresNaN) {
    TSignalsData data;
    data.SetSize(3, 3);
    data.SetData(0, 0, -1);
    data.SetData(0, 1, -4);
    data.SetData(0, 2, -2);
    data.SetData(1, 1, NAN);
    data.SetData(2, 0, NAN);
    data.SetData(2, 1, 3);
    data.CalcMaxima();
    EXPECT_EQ(data.GetMax(0), 4);
    EXPECT_EQ(data.GetMax(1), 0.0);
    EXPECT_EQ(data.GetMax(2), 3);
}

TEST(TSignalsData, OutOfRangeIndicesAreAssertions) {
    TSignalsData data;
    data.SetSize(2, 3);
    EXPECT_THROW(data.GetData(-1, 0), EAssertionFailed);
    EXPECT_THROW(data.GetData(2, 0), EAssertionFailed);
    EXPECT_THROW(data.GetData(0, -1), EAssertionFailed);
    EXPECT_THROW(data.GetData(0, 3), EAssertionFailed);
    EXPECT_THROW(data.GetMax(2), EAssertionFailed);
    EXPECT_THROW(data.SetSize(-1, 3), EAssertionFailed);
}

// The model library sees the object through FPC's eyes: arrays are references to element 0
// with the reference count and high index in the 16 bytes before it.
TEST(TSignalsData, ObjectHasTheLayoutOfTheModelSideClass) {
    TSignalsData data;
    data.SetSize(3, 5);
    const auto* bytes = reinterpret_cast<const char*>(data.Image());
    int32_t signalCount, sampleCount;
    std::memcpy(&signalCount, bytes + 24, 4);
    std::memcpy(&sampleCount, bytes + 28, 4);
    EXPECT_EQ(signalCount, 3);
    EXPECT_EQ(sampleCount, 5);

    auto header = [](const void* element0) {
        FpcArrayHeader h;
        std::memcpy(&h, static_cast<const char*>(element0) - 16, 16);
        return h;
    };
    double** samples;
    std::memcpy(&samples, bytes + 8, 8);
    EXPECT_EQ(header(samples).RefCount, -1);
    EXPECT_EQ(header(samples).High, 2);
    double* maxima;
    std::memcpy(&maxima, bytes + 16, 8);
    EXPECT_EQ(header(maxima).High, 2);
    for (int s = 0; s < 3; ++s) {
        EXPECT_EQ(header(samples[s]).RefCount, -1);
        EXPECT_EQ(header(samples[s]).High, 4);
    }
    samples[2][4] = 42;  // as the library's SetData does
    EXPECT_EQ(data.GetData(2, 4), 42);
}

// The model host maps the rows from the descriptor and builds its own object over them; what
// it writes must land in the workbench's store.
TEST(TSignalsData, AnotherMappingOfTheRowsWritesIntoTheStore) {
    TSignalsData data;
    data.SetSize(4, 100);
    const size_t size = data.Rows().Size();
    ASSERT_EQ(size, RowsSize(4, 100));
    void* mapped = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, data.Rows().Fd(), 0);
    ASSERT_NE(mapped, MAP_FAILED);
    ASSERT_NE(mapped, static_cast<void*>(data.Rows().Data()));

    StoreImage host;
    host.Link(static_cast<char*>(mapped), 4, 100);
    for (int s = 0; s < 4; ++s)
        for (int q = 0; q < 100; ++q) host.Object()->Samples[s][q] = s * 1000 + q;
    munmap(mapped, size);

    EXPECT_EQ(data.GetData(0, 0), 0);
    EXPECT_EQ(data.GetData(3, 99), 3099);
    EXPECT_EQ(data.GetData(2, 50), 2050);
}

TEST(TSignalsData, ImpossibleSizesFailCleanly) {
    TSignalsData data;
    data.SetSize(1, 1);
    EXPECT_THROW(RowsSize(INT32_MAX, INT32_MAX), std::bad_alloc);
    EXPECT_EQ(data.SignalCount(), 1);
}

}  // namespace
}  // namespace kvaril
