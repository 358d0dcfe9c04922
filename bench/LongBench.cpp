// Long runs ("Моделирование → Длинные прогоны"), printed as ratios in one run:
//  - the oscilloscope window at 1920 × 1080 with 16 beams × 10 000 000 quanta: a whole-window
//    zoom and a pan repaint against the same with 16 beams × 10000 quanta (goal: at most 1.5,
//    and under 16 ms);
//  - a run of 16 filter signals × 10 000 000 quanta: the model's compute, the runner's overhead
//    (goal: at most 0.2 of compute) and the min/max summary's cost (goal: at most 0.3);
//  - CSV writing of 1 000 000 rows × 8 signals in MB/s (goal: at least 100).
//   build/bench/long_bench [REPEATS] [--no-run]

#include <chrono>
#include <cmath>
#include <cstring>

#include "OscWindowRig.h"
#include "base/ValueStream.h"
#include "document/uSignal.h"
#include "export/DataExport.h"
#include "export/DataRange.h"
#include "model/ModelGenerator.h"
#include "model/ModelRunner.h"
#include "store/uSignalsData.h"

using namespace kvaril;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kBeams = 16;

void AddSignals(TSignals& signals, int count, double quantTime, double totalTime) {
    for (int i = 0; i < count; ++i) {
        auto s = std::make_unique<TSignal>(signals);
        s->InitTemplate("S" + std::to_string(i), false);
        // A first-order low-pass filter of a tone, as in the examples.
        s->Lines()[20] =
            "  Value := Value + 0.01 * (Sin(2 * Pi * " + std::to_string(50 + i) + " * t) - Value);";
        signals.Insert(std::move(s), -1);
    }
    signals.SetQuantTime(quantTime);
    signals.SetTotalTime(totalTime);
}

// Beam i holds i + 1 periods of a tone over the run, whatever its length, and a ripple of a few
// quanta: the long and the short run show the same picture, so the two repaints differ only in
// what it takes to find each column's rows. (Ten thousand periods would fill every column from
// the band's top to its bottom, and painting those strokes would cost more than finding them.)
void Fill(TSignalsData& d, int quanta) {
    d.SetSize(kBeams, quanta);
    for (int i = 0; i < kBeams; ++i) {
        double* row = const_cast<double*>(d.Row(i));
        const double step = 6.283 / quanta * (i + 1);
        for (int q = 0; q < quanta; ++q) row[q] = std::sin(q * step) + 0.1 * std::sin(q * 1.7);
    }
    d.CalcMaxima();
}

// Median milliseconds of a repaint and of the same view's picture alone.
struct TRepaint {
    double Window = 0, Picture = 0;
};

struct TRepaints {
    TRepaint Zoom, Pan;
};

// Zoom repaints from the whole run (in and out by turns), then pans in 0.8^3 of it.
TRepaints MeasureWindow(int quanta, int repeats) {
    TWorkbench wb;
    for (int i = 0; i < kBeams; ++i) {
        auto s = std::make_unique<TSignal>(wb.Signals);
        s->SetName("S" + std::to_string(i));
        wb.Signals.Insert(std::move(s), -1);
    }
    wb.Signals.SetQuantTime(1e-6);
    wb.Signals.SetTotalTime(quanta * 1e-6);
    wb.Osc.SyncWithSignals(wb.Signals);
    Fill(wb.Signals.Data(), quanta);
    TOscWindowRig rig(wb);
    auto measure = [&](Qt::KeyboardModifiers modifiers) {
        std::vector<double> window, picture;
        for (int r = 0; r < repeats; ++r) {
            window.push_back(rig.Wheel(r % 2 ? -120 : 120, modifiers));
            picture.push_back(rig.PictureAlone());
        }
        return TRepaint{Median(window), Median(picture)};
    };
    TRepaints result;
    result.Zoom = measure(Qt::NoModifier);
    for (int r = 0; r < 3; ++r) rig.Wheel(120, Qt::NoModifier);
    result.Pan = measure(Qt::ControlModifier);
    return result;
}

class NullSink : public ByteSink {
  public:
    void Write(const char*, size_t size) override { bytes += size; }
    size_t bytes = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const int repeats = argc > 1 && argv[1][0] != '-' ? std::max(3, std::atoi(argv[1])) : 9;
    bool run = true;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--no-run") == 0) run = false;

    // The window.
    const TRepaints shortRun = MeasureWindow(10000, repeats);
    const TRepaints longRun = MeasureWindow(10000000, repeats);
    std::printf("window 1920x1080, %d beams (medians of %d): repaint, and the picture alone\n",
                kBeams, repeats);
    std::printf("        10000 quanta        10000000 quanta     ratio (goal <= 1.5, < 16 ms)\n");
    auto print = [](const char* what, const TRepaint& a, const TRepaint& b) {
        std::printf("  %-5s %6.2f ms (%5.2f)  %8.2f ms (%5.2f) %9.2f\n", what, a.Window, a.Picture,
                    b.Window, b.Picture, b.Window / a.Window);
    };
    print("zoom", shortRun.Zoom, longRun.Zoom);
    print("pan", shortRun.Pan, longRun.Pan);

    // CSV: 1 000 000 rows × 8 signals.
    {
        TSignals signals;
        AddSignals(signals, 8, 1e-6, 1.0);
        TSignalsData& d = signals.Data();
        d.SetSize(8, 1000000);
        for (int i = 0; i < 8; ++i) {
            double* row = const_cast<double*>(d.Row(i));
            for (int q = 0; q < 1000000; ++q) row[q] = std::sin(q * 1e-3 * (i + 1)) * 1.2345;
        }
        const TDataRange range = ResolveSelection(signals, TDataSelection{}, 1);
        std::vector<double> seconds;
        size_t bytes = 0;
        for (int r = 0; r < 3; ++r) {
            NullSink sink;
            const auto start = Clock::now();
            WriteSamplesCsv(sink, signals, range);
            seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
            bytes = sink.bytes;
        }
        const double s = Median(seconds);
        std::printf("\nCSV 1000000 rows x 8 signals: %.1f MB in %.3f s = %.0f MB/s (goal >= 100)\n",
                    bytes / 1e6, s, bytes / 1e6 / s);
    }

    if (!run) return 0;
    // The run: 16 filters × 10 000 000 quanta, then the summary.
    TSignals signals;
    AddSignals(signals, kBeams, 1e-6, 10.0);
    TRunOptions options;
    options.BinDir = KVARIL_BENCH_BIN_DIR;
    options.MaxQuanta = kLongMaxQuanta;
    TModelOutcome built =
        GenerateModel(options.BinDir, signals, {}, kCompileTimeout, kLongMaxQuanta);
    if (!built.Ok) {
        std::fprintf(stderr, "build failed: %s\n", built.Error ? built.Error->Text.c_str() : "");
        return 1;
    }
    const auto start = Clock::now();
    const TModelOutcome ran = RunModelLibrary(signals, options, {});
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    if (!ran.Ok) {
        std::fprintf(stderr, "run failed: %s\n", ran.Error ? ran.Error->Text.c_str() : "");
        return 1;
    }
    const auto summaryStart = Clock::now();
    signals.Data().CalcMaxima();
    const double summary = std::chrono::duration<double>(Clock::now() - summaryStart).count();
    const double compute = ran.ModelSeconds;
    std::printf(
        "\nrun %d signals x %d quanta: model %.2f s, run %.2f s, overhead %.2f of compute "
        "(goal <= 0.2)\n",
        kBeams, signals.QuantCount(), compute, wall, (wall - compute) / compute);
    std::printf(
        "  maxima and summary %.3f s = %.3f of compute (goal <= 0.3), summary %.1f MB = "
        "1/%.0f of the samples\n",
        summary, summary / compute, signals.Data().SummaryBytes() / 1e6,
        8.0 * kBeams * signals.QuantCount() / signals.Data().SummaryBytes());
    return 0;
}
