// The analysis a view recomputes while the user drags: statistics of 64 beams × 10000 quanta,
// and 10000-point spectra of 8 beams (also at a prime length, FFTW's hardest case), each as a
// ratio to two baselines measured in the same run: one pass summing the same samples, and
// filling a 1920 × 1080 picture (the first step of drawing one, which draw_bench times whole).
//   build/bench/analysis_bench

#include <QImage>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "analysis/SignalStats.h"
#include "analysis/Spectrum.h"
#include "model/uSignalsData.h"

using namespace kvaril;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kBeams = 64, kQuanta = 10000, kSpectrumBeams = 8;
constexpr double kQuant = 0.0001;

volatile double sink;

// The median time of one call, in milliseconds, over repetitions of at least 0.3 s in all.
double MedianMs(const std::function<void()>& work) {
    work();  // warm: caches, plans
    std::vector<double> times;
    const auto begin = Clock::now();
    while (times.size() < 15 || Clock::now() - begin < std::chrono::milliseconds(300)) {
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (times.size() >= 5000) break;
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

}  // namespace

int main() {
    TSignalsData data;
    data.SetSize(kBeams, kQuanta + 7);
    for (int b = 0; b < kBeams; ++b)
        for (int q = 0; q < kQuanta + 7; ++q)
            data.SetData(b, q, std::sin(q * 0.01 * (b + 1)) + 0.1 * std::sin(q * 1.7));
    const TQuantRange all{0, kQuanta - 1};

    const double samplePass = MedianMs([&] {
        double sum = 0;
        for (int b = 0; b < kBeams; ++b) {
            const double* row = data.Row(b);
            for (int q = 0; q < kQuanta; ++q) sum += row[q];
        }
        sink = sum;
    });
    QImage image(1920, 1080, QImage::Format_RGB32);
    const double fill = MedianMs([&] {
        image.fill(QColor(192, 192, 192));
        sink = image.constBits()[12345];
    });

    const double stats = MedianMs([&] {
        double sum = 0;
        for (int b = 0; b < kBeams; ++b) sum += SignalStats(data, b, all).StdDev;
        sink = sum;
    });
    TSpectrumAnalyzer analyzer;
    auto spectra = [&](TQuantRange range) {
        return [&analyzer, &data, range] {
            double sum = 0;
            for (int b = 0; b < kSpectrumBeams; ++b)
                sum +=
                    FindLargestPeak(analyzer.Compute(data, b, range, kQuant, TSpectrumWindow::Hann))
                        .Amplitude;
            sink = sum;
        };
    };
    const double spectrum = MedianMs(spectra(all));
    const double spectrumPrime = MedianMs(spectra({0, 10006}));  // 10007 points
    const auto planStart = Clock::now();
    TSpectrumAnalyzer fresh;
    sink = fresh.Compute(data, 0, all, kQuant, TSpectrumWindow::Hann).Amplitude[1];
    const double firstCall =
        std::chrono::duration<double, std::milli>(Clock::now() - planStart).count();

    std::printf("baselines: one pass over %d x %d samples %.3f ms, 1920x1080 fill %.3f ms\n\n",
                kBeams, kQuanta, samplePass, fill);
    std::printf("%-44s %10s %12s %12s\n", "work", "ms", "/ pass", "/ fill");
    auto row = [&](const char* name, double ms) {
        std::printf("%-44s %10.3f %12.2f %12.2f\n", name, ms, ms / samplePass, ms / fill);
    };
    row("statistics, 64 beams x 10000 quanta", stats);
    row("spectrum + peak, 8 beams x 10000 (Hann)", spectrum);
    row("spectrum + peak, 8 beams x 10007 (prime)", spectrumPrime);
    row("one 10000-point spectrum, plan included", firstCall);
    return 0;
}
