// What a model that prints in every quantum costs the workbench: 256 MB of Writeln through the
// output collector (its first and last megabyte kept), in the 64 KB reads the collector gets
// from the pipe, against copying the same bytes once (memcpy into a 1 MB buffer) in the same
// run. The ring used to be filled a byte at a time: 46 s per gigabyte.
//   build/bench/output_bench

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "model/ModelOutput.h"

using Clock = std::chrono::steady_clock;

int main() {
    constexpr size_t kRead = 64 << 10, kTotal = size_t{256} << 20;
    std::string line;
    while (line.size() < kRead) line += "t = 0.000123, y = -0.456789\n";
    line.resize(kRead);

    std::vector<char> copy(size_t{1} << 20);
    auto start = Clock::now();
    for (size_t done = 0, at = 0; done < kTotal; done += kRead) {
        std::memcpy(copy.data() + at, line.data(), kRead);
        at = (at + kRead) % copy.size();
    }
    const double baseline = std::chrono::duration<double>(Clock::now() - start).count();

    kvaril::TOutputCollector collector;
    start = Clock::now();
    for (size_t done = 0; done < kTotal; done += kRead) collector.Add(line.data(), kRead);
    const double collected = std::chrono::duration<double>(Clock::now() - start).count();
    const std::string text = collector.Text();

    std::printf("256 MB of model output in 64 KB reads\n");
    std::printf("  copied once (baseline): %8.3f s\n", baseline + copy[7] * 0.0);
    std::printf(
        "  collected:              %8.3f s  (%.1f x the baseline, %.0f MB/s; %zu bytes kept)\n",
        collected, collected / baseline, kTotal / collected / 1e6, text.size());
    return 0;
}
