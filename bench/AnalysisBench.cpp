// The analysis a view recomputes while the user drags: statistics of 64 beams × 10000 quanta,
// and 10000-point spectra of 8 beams (also at a prime length, FFTW's hardest case), each as a
// ratio to two baselines measured in the same run: one pass summing the same samples, and
// filling a 1920 × 1080 picture (the first step of drawing one, which draw_bench times whole).
// Then a long run's: statistics and a spectrum of 10 000 000 samples (goal: each at most 1 s,
// printed against one pass over the same samples), and a prime length against the next power
// of two, short and long (goal: a ratio of at most 5).
//   build/bench/analysis_bench

#include <QImage>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "analysis/Distortion.h"
#include "analysis/Response.h"
#include "analysis/SignalStats.h"
#include "analysis/Spectrum.h"
#include "analysis/Waveform.h"
#include "store/uSignalsData.h"

using namespace kvaril;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kBeams = 64, kQuanta = 10000, kSpectrumBeams = 8;
constexpr double kQuant = 0.0001;

volatile double sink;

double Ms(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The median time of one call, in milliseconds, over at least `least` repetitions and 0.3 s.
double MedianMs(const std::function<void()>& work, size_t least = 15) {
    work();  // warm: caches, plans
    std::vector<double> times;
    const auto begin = Clock::now();
    while (times.size() < least || Clock::now() - begin < std::chrono::milliseconds(300)) {
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (times.size() >= 5000) break;
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

// A long run's analysis: one signal of 10 000 000 quanta, and prime lengths against the next
// power of two.
void LongRange() {
    constexpr int kLong = 10'000'000, kPrime = 9'999'991, kPower = 1 << 24;
    TSignalsData data;
    data.SetSize(1, kPower);
    for (int q = 0; q < kPower; ++q)
        data.SetData(0, q, 1e3 + std::sin(q * 0.001) + 1e-3 * std::sin(q * 1.7));
    const TQuantRange all{0, kLong - 1};
    const double* row = data.Row(0);
    const double pass = MedianMs(
        [&] {
            double sum = 0;
            for (int q = 0; q < kLong; ++q) sum += row[q];
            sink = sum;
        },
        5);
    const double stats = MedianMs([&] { sink = SignalStats(data, 0, all).StdDev; }, 3);
    TSpectrumAnalyzer analyzer;
    auto spectrumOf = [&](int n) {
        return [&analyzer, &data, n] {
            sink =
                analyzer.Compute(data, 0, {0, n - 1}, kQuant, TSpectrumWindow::Hann).Amplitude[1];
        };
    };
    auto planned = [&](int n) {
        const auto start = Clock::now();
        TSpectrumAnalyzer fresh;
        sink = fresh.Compute(data, 0, {0, n - 1}, kQuant, TSpectrumWindow::Hann).Amplitude[1];
        return Ms(start);
    };
    const double first = planned(kLong);
    const double spectrum = MedianMs(spectrumOf(kLong), 3);
    const double firstPrime = planned(kPrime);
    const double prime = MedianMs(spectrumOf(kPrime), 3);
    const double firstPower = planned(kPower);
    const double power = MedianMs(spectrumOf(kPower), 3);
    const double shortPrime = MedianMs(spectrumOf(10007));
    const double shortPower = MedianMs(spectrumOf(16384));

    std::printf("baseline: one pass over %d samples %.3f ms\n\n", kLong, pass);
    std::printf("%-52s %10s %10s %8s\n", "work", "ms", "/ pass", "goal");
    auto row2 = [&](const char* name, double ms, const char* goal) {
        std::printf("%-52s %10.1f %10.1f %8s\n", name, ms, ms / pass, goal);
    };
    row2("statistics of 10000000 samples", stats, "<= 1 s");
    row2("spectrum of 10000000 samples (Hann)", spectrum, "<= 1 s");
    row2("  the same, plan included", first, "<= 1 s");
    row2("spectrum of 9999991 samples (prime)", prime, "");
    row2("  the same, plan included", firstPrime, "");
    row2("spectrum of 16777216 samples (2^24)", power, "");
    row2("  the same, plan included", firstPower, "");
    std::printf("\nprime length / next power of two (goal <= 5):\n");
    std::printf("  10007 / 16384 points            %6.2f\n", shortPrime / shortPower);
    std::printf("  9999991 / 16777216 points       %6.2f\n", prime / power);
    std::printf("  the same, plans included        %6.2f\n", firstPrime / firstPower);
}

// A filter's response: H1 with coherence over 10^6 samples of noise through a one-pole low-pass,
// against the baseline of the two spectra of the same samples (goal: at most 1.5 times).
void Response() {
    constexpr int kSamples = 1'000'000;
    TSignalsData data;
    data.SetSize(2, kSamples);
    unsigned long long state = 12345;
    double y = 0;
    for (int q = 0; q < kSamples; ++q) {
        state ^= state << 13, state ^= state >> 7, state ^= state << 17;
        const double x = static_cast<double>(state >> 11) / 9007199254740992.0 * 2 - 1;
        y = 0.1 * x + 0.9 * y;
        data.SetData(0, q, x);
        data.SetData(1, q, y);
    }
    TSpectrumAnalyzer analyzer;
    const TQuantRange all{0, kSamples - 1};
    const double spectra = MedianMs(
        [&] {
            sink = analyzer.Compute(data, 0, all, kQuant, TSpectrumWindow::Hann).Amplitude[1] +
                   analyzer.Compute(data, 1, all, kQuant, TSpectrumWindow::Hann).Amplitude[1];
        },
        5);
    const double response = MedianMs(
        [&] {
            sink = EstimateResponse(analyzer, {"x", data.Row(0)}, {{"y", data.Row(1)}}, kSamples,
                                    kQuant)
                       .Outputs[0]
                       .Coherence[1];
        },
        5);
    std::printf("\nfrequency response of 1000000 samples (H1 and coherence):\n");
    std::printf("  two spectra of the same samples  %10.1f ms\n", spectra);
    std::printf("  the response                     %10.1f ms   ratio %.2f (goal <= 1.5)\n",
                response, response / spectra);
}

// The automatic measures: every waveform and tone measure of 16 beams over 10^6 quanta each,
// against the statistics of the same samples plus one spectrum per beam (goal: at most 2 times).
void Measures() {
    constexpr int kBeams16 = 16, kSamples = 1'000'000;
    TSignalsData data;
    data.SetSize(kBeams16, kSamples);
    for (int b = 0; b < kBeams16; ++b)
        for (int q = 0; q < kSamples; ++q)
            data.SetData(b, q,
                         std::tanh(3 * std::sin(q * 0.001 * (b + 1))) + 0.01 * std::sin(q * 1.7));
    TSpectrumAnalyzer analyzer;
    const TQuantRange all{0, kSamples - 1};
    const double baseline = MedianMs(
        [&] {
            double sum = 0;
            for (int b = 0; b < kBeams16; ++b)
                sum += SignalStats(data, b, all).StdDev +
                       analyzer.Compute(data, b, all, kQuant, TSpectrumWindow::Hann).Amplitude[1];
            sink = sum;
        },
        3);
    const double measures = MedianMs(
        [&] {
            double sum = 0;
            for (int b = 0; b < kBeams16; ++b) {
                sum += MeasureWaveform(data.Row(b), kSamples, 0, kQuant).Rise.Value;
                sum += MeasureDistortion(analyzer, data.Row(b), kSamples, kQuant).Sinad.Value;
            }
            sink = sum;
        },
        3);
    std::printf("\nautomatic measures of 16 beams x 1000000 quanta:\n");
    std::printf("  statistics and a spectrum per beam %10.1f ms\n", baseline);
    std::printf("  every measure                     %10.1f ms   ratio %.2f (goal <= 2)\n",
                measures, measures / baseline);
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
    std::printf("\n");
    LongRange();
    Response();
    Measures();
    return 0;
}
