// Times reading documents whose size grows tenfold: per time label at 10k, 100k and 1M labels,
// and per beam with many screens, with the heap each beam costs. Loading is linear when the
// time per item stays flat from one size to the next.
//   build/bench/document_load_bench

#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <memory>

#include "base/ValueStream.h"
#include "document/DocumentFile.h"
#include "document/uBeam.h"
#include "document/uSignal.h"

using namespace kvaril;
using Clock = std::chrono::steady_clock;

namespace {

// A document of `signals` signals, `screens` screens, and `labels` labels on the first screen.
std::string MakeFile(int signalCount, int screens, int labels) {
    TSignals signals;
    for (int i = 0; i < signalCount; ++i) {
        auto s = std::make_unique<TSignal>(signals);
        s->SetName("S" + std::to_string(i));
        signals.Insert(std::move(s), -1);
    }
    TOsc osc;
    osc.SyncWithSignals(signals);
    for (int v = 1; v < screens; ++v) osc.AddView("V");
    for (int i = 0; i < labels; ++i) {
        auto label = std::make_unique<TTimeLabel>(osc);
        label->SetTime(i * 1e-6);
        osc.View(0).AddTimeLabel(std::move(label));  // in order: each goes to the end
    }
    MemorySink sink;
    WriteDocumentTo(sink, signals, osc);
    return sink.bytes;
}

struct TLoad {
    double Seconds;
    double HeapBytes;
};

TLoad Load(const std::string& bytes) {
    TLoad best{1e300, 0};
    for (int repeat = 0; repeat < 3; ++repeat) {
        MemorySource source(bytes);  // the file's bytes are not the document's cost
        const size_t before = mallinfo2().uordblks;
        auto signals = std::make_unique<TSignals>();
        auto osc = std::make_unique<TOsc>();
        const auto start = Clock::now();
        ReadDocumentFrom(source, *signals, *osc);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const double heap = static_cast<double>(mallinfo2().uordblks - before);
        if (seconds < best.Seconds) best = {seconds, heap};
    }
    return best;
}

}  // namespace

int main() {
    std::printf("Time labels on one screen (2 signals):\n");
    double first = 0;
    for (int labels : {10000, 100000, 1000000}) {
        const TLoad load = Load(MakeFile(2, 1, labels));
        const double perLabel = load.Seconds / labels * 1e9;
        if (first == 0) first = perLabel;
        std::printf("  %8d labels: %8.1f ms, %6.1f ns per label (x%.2f of 10k)\n", labels,
                    load.Seconds * 1e3, perLabel, perLabel / first);
    }
    std::printf("Beams (2048 signals on each screen):\n");
    first = 0;
    for (int screens : {16, 160, 1600}) {
        const int beams = 2048 * screens;
        const TLoad load = Load(MakeFile(2048, screens, 0));
        const double perBeam = load.Seconds / beams * 1e9;
        if (first == 0) first = perBeam;
        std::printf(
            "  %8d beams: %8.1f ms, %6.1f ns per beam (x%.2f of the first), %5.1f heap "
            "bytes per beam\n",
            beams, load.Seconds * 1e3, perBeam, perBeam / first, load.HeapBytes / beams);
    }
    return 0;
}
