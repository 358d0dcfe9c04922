// The oscilloscope's hot path: a full picture of 64 beams × 10000 quanta at 1920 × 1080, laid
// out and painted, compressed (the whole run) and not (1900 quanta on screen, steps and lines).
// The floor, measured in the same run, is filling the picture plus one pass over all samples; each
// drawing prints its cost in floors (x_floor).
//   build/bench/draw_bench

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "document/uBeam.h"
#include "document/uSignal.h"
#include "osc/ScreenLayout.h"
#include "scope/OscPainter.h"
#include "store/uSignalsData.h"

using namespace kvaril;

namespace {

constexpr int kBeams = 64, kQuanta = 10000, kWidth = 1920, kHeight = 1080;

struct Scene {
    Scene() {
        for (int i = 0; i < kBeams; ++i) {
            auto s = std::make_unique<TSignal>(signals);
            s->SetName("S" + std::to_string(i));
            signals.Insert(std::move(s), -1);
        }
        signals.SetQuantTime(0.0001);
        signals.SetTotalTime(1.0);
        osc.SyncWithSignals(signals);
        TView& view = osc.View(0);
        for (int i = 0; i < kBeams; ++i) view.Beam(i).SetGroup(i / 4 + 1);  // 16 groups of 4
        signals.Data().SetSize(kBeams, kQuanta);
        for (int i = 0; i < kBeams; ++i)
            for (int q = 0; q < kQuanta; ++q)
                signals.Data().SetData(i, q,
                                       std::sin(q * 0.01 * (i + 1)) + 0.1 * std::sin(q * 1.7));
        signals.Data().CalcMaxima();
    }
    TView& View() { return osc.View(0); }
    TSignals signals;
    TOsc osc;
};

Scene& TheScene() {
    static Scene scene;
    return scene;
}

using TClock = std::chrono::steady_clock;

double Milliseconds(TClock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The floor's work: the fill and one pass over the samples, the sum in a register (made visible
// only once it is complete: kept addressable through the loop, every add would wait on memory
// and the floor would nearly double). One copy of the code for both callers.
[[gnu::noinline]] void FloorPass(Scene& scene, QImage& image) {
    image.fill(QColor(192, 192, 192));
    double sum = 0;
    for (int i = 0; i < kBeams; ++i) {
        const double* row = scene.signals.Data().Row(i);
        for (int q = 0; q < kQuanta; ++q) sum += row[q];
    }
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(image.bits());
}

// The floor's median over a few passes, measured again next to every drawing so that the ratio
// compares times of the same moment on a shared machine.
double FloorNow(Scene& scene, QImage& image) {
    std::vector<double> times;
    for (int k = 0; k < 15; ++k) {
        const auto start = TClock::now();
        FloorPass(scene, image);
        times.push_back(Milliseconds(TClock::now() - start));
    }
    std::nth_element(times.begin(), times.begin() + 7, times.end());
    return times[7];
}

void Draw(benchmark::State& state, double t0, double t1, int interpolation) {
    Scene& scene = TheScene();
    scene.View().SetT0(t0);
    scene.View().SetT1(t1);
    for (int i = 0; i < kBeams; ++i)
        scene.View().Beam(i).SetInterpolation(static_cast<uint8_t>(interpolation));
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    TGraphPicture picture;
    double floor = FloorNow(scene, image), drawing = 0;
    int64_t count = 0;
    for (auto _ : state) {
        const auto start = TClock::now();
        LayoutGraph(scene.osc, &scene.View(), scene.signals.Data(), scene.signals.QuantTime(),
                    scene.signals.QuantCount(), kWidth, kHeight, picture);
        PaintGraphImage(image, picture);
        benchmark::DoNotOptimize(image.bits());
        drawing += Milliseconds(TClock::now() - start);
        ++count;
    }
    floor = (floor + FloorNow(scene, image)) / 2;
    state.counters["x_floor"] = drawing / static_cast<double>(std::max<int64_t>(count, 1)) / floor;
}

void BM_Floor(benchmark::State& state) {
    Scene& scene = TheScene();
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) FloorPass(scene, image);
}

void BM_Compressed(benchmark::State& state) { Draw(state, 0, 1.0, 0); }
void BM_Steps1900(benchmark::State& state) { Draw(state, 0.4, 0.59, 0); }
void BM_Lines1900(benchmark::State& state) { Draw(state, 0.4, 0.59, 1); }
void BM_Splines1900(benchmark::State& state) { Draw(state, 0.4, 0.59, 2); }

}  // namespace

BENCHMARK(BM_Floor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compressed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Steps1900)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lines1900)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Splines1900)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);  // fonts for the group numbers
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
