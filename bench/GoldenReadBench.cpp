// The memory a golden file takes while `--against` reads it: a file of about 43 MB (120000
// rows of 18 signals, numbers as `--csv` writes them) read by ReadSamplesCsv, with the peak of
// the heap (every operator new of this program counted) and of the resident set, each as a ratio
// to the file's size. The table itself needs 8 bytes a sample; the text about 20.
//   build/bench/golden_read_bench [rows]

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "base/uCommon.h"
#include "batch/SampleCsv.h"

namespace {

std::atomic<size_t> heapNow{0}, heapPeak{0};

void* Take(size_t size) {
    // The size sits before the block, so that delete knows how much is given back.
    void* block = std::malloc(size + 16);
    if (!block) throw std::bad_alloc();
    *static_cast<size_t*>(block) = size;
    const size_t now = heapNow += size;
    for (size_t peak = heapPeak; now > peak && !heapPeak.compare_exchange_weak(peak, now);) {
    }
    return static_cast<char*>(block) + 16;
}

void Give(void* p) {
    if (!p) return;
    void* block = static_cast<char*>(p) - 16;
    heapNow -= *static_cast<size_t*>(block);
    std::free(block);
}

long PeakResidentKb() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long ResidentKb() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// Written a row at a time, so that making the file costs no memory of its own.
size_t WriteGolden(const std::string& path, int rows, int signals) {
    FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return 0;
    std::string line = "t";
    for (int s = 0; s < signals; ++s) line += ",S" + std::to_string(s);
    std::fprintf(f, "%s\n", line.c_str());
    for (int q = 0; q < rows; ++q) {
        line = kvaril::FormatShortest(q * 0.0001);
        for (int s = 0; s < signals; ++s)
            line += "," + kvaril::FormatShortest(std::sin(q * 0.001 * (s + 1)) * (s + 0.5));
        std::fprintf(f, "%s\n", line.c_str());
    }
    const long size = std::ftell(f);
    std::fclose(f);
    return static_cast<size_t>(size);
}

}  // namespace

void* operator new(size_t size) { return Take(size); }
void* operator new[](size_t size) { return Take(size); }
void operator delete(void* p) noexcept { Give(p); }
void operator delete[](void* p) noexcept { Give(p); }
void operator delete(void* p, size_t) noexcept { Give(p); }
void operator delete[](void* p, size_t) noexcept { Give(p); }

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 120000;
    constexpr int kSignals = 18;
    const std::string path = "/tmp/kvaril-golden-bench-" + std::to_string(::getpid()) + ".csv";
    const size_t size = WriteGolden(path, rows, kSignals);
    if (size == 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    const double mb = size / 1e6;
    const long residentBefore = ResidentKb();
    const size_t heapBefore = heapNow;
    heapPeak = heapNow.load();
    const auto start = std::chrono::steady_clock::now();
    const kvaril::TSampleTable table = kvaril::ReadSamplesCsv(path);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double heapPeakMb = (heapPeak - heapBefore) / 1e6;
    const double heapKeptMb = (heapNow - heapBefore) / 1e6;
    const double residentPeakMb = (PeakResidentKb() - residentBefore) * 1024 / 1e6;
    std::remove(path.c_str());

    const double samples = static_cast<double>(table.Times.size()) * (table.Columns.size() + 1);
    std::printf("Golden file: %d rows x %d signals, %.1f MB, read in %.0f ms\n",
                static_cast<int>(table.Times.size()), static_cast<int>(table.Columns.size()), mb,
                seconds * 1e3);
    std::printf("  samples as doubles:  %7.1f MB (x%.2f of the file)\n", samples * 8 / 1e6,
                samples * 8 / 1e6 / mb);
    std::printf("  heap at its peak:    %7.1f MB (x%.2f of the file)\n", heapPeakMb,
                heapPeakMb / mb);
    std::printf("  heap kept (table):   %7.1f MB (x%.2f of the file)\n", heapKeptMb,
                heapKeptMb / mb);
    std::printf("  resident set growth: %7.1f MB (x%.2f of the file)\n", residentPeakMb,
                residentPeakMb / mb);
    return heapPeakMb <= mb ? 0 : 2;
}
