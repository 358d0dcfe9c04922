#include "analysis/Spectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "store/uSignalsData.h"

namespace kvaril {
namespace {

constexpr double kQuant = 0.001;

std::vector<double> Sine(int n, double amplitude, double bin, double phase = 0.3) {
    std::vector<double> x(static_cast<size_t>(n));
    for (int q = 0; q < n; ++q)
        x[static_cast<size_t>(q)] =
            amplitude * std::sin(2 * std::numbers::pi * bin * q / n + phase);
    return x;
}

TSpectrum SpectrumOf(const std::vector<double>& x, TSpectrumWindow window) {
    TSpectrumAnalyzer analyzer;
    return analyzer.Compute(x.data(), static_cast<int>(x.size()), kQuant, window);
}

const TSpectrumWindow kWindows[] = {TSpectrumWindow::Rectangular, TSpectrumWindow::Hann,
                                    TSpectrumWindow::Hamming, TSpectrumWindow::BlackmanHarris};

std::string WindowTestName(const testing::TestParamInfo<TSpectrumWindow>& info) {
    std::string name = SpectrumWindowName(info.param);
    std::erase(name, '-');
    return name;
}

TEST(SpectrumWindowName, ReadsBackEveryWindowAndRefusesOthers) {
    for (TSpectrumWindow w : kWindows) EXPECT_EQ(SpectrumWindowFromName(SpectrumWindowName(w)), w);
    EXPECT_EQ(SpectrumWindowFromName("hann"), TSpectrumWindow::Hann);
    EXPECT_EQ(SpectrumWindowFromName("blackman-harris"), TSpectrumWindow::BlackmanHarris);
    EXPECT_FALSE(SpectrumWindowFromName("Hann"));
    EXPECT_FALSE(SpectrumWindowFromName("kaiser"));
    EXPECT_FALSE(SpectrumWindowFromName(""));
}

class WindowTest : public testing::TestWithParam<TSpectrumWindow> {};

TEST_P(WindowTest, OnBinSineReadsItsAmplitudeAtItsFrequency) {
    for (int n : {1000, 999, 1009}) {  // even, odd, prime
        const TSpectrum s = SpectrumOf(Sine(n, 2.5, 50), GetParam());
        ASSERT_EQ(s.BinCount(), n / 2 + 1);
        EXPECT_NEAR(s.Amplitude[50], 2.5, 1e-10) << n;
        const TSpectralPeak peak = FindLargestPeak(s);
        EXPECT_EQ(peak.Bin, 50);
        EXPECT_NEAR(peak.Frequency, 50 / (n * kQuant), 1e-9) << n;
        EXPECT_NEAR(peak.Amplitude, 2.5, 1e-9) << n;
        // A periodic window leaks nothing beyond its main lobe (at most three bins away).
        for (int k = 0; k < s.BinCount(); ++k) {
            if (std::abs(k - 50) > 3) {
                ASSERT_LT(s.Amplitude[static_cast<size_t>(k)], 1e-10) << k;
            }
        }
    }
}

// The largest written amplitude, which the peak table must agree with.
int WrittenMaximum(const TSpectrum& s) {
    int best = 0;
    for (int k = 1; k < s.BinCount(); ++k)
        if (s.Amplitude[static_cast<size_t>(k)] > s.Amplitude[static_cast<size_t>(best)]) best = k;
    return best;
}

TEST_P(WindowTest, DcPeaksWhereTheWrittenSpectrumPeaks) {
    // Bin 1 holds DC's lobe doubled as every bin but the edges is; only Blackman-Harris's lobe
    // is wide enough to draw it above bin 0, and the table says what the plot shows.
    for (int n : {64, 65}) {
        const TSpectrum s =
            SpectrumOf(std::vector<double>(static_cast<size_t>(n), -1.75), GetParam());
        EXPECT_NEAR(s.Amplitude[0], 1.75, 1e-12) << n;
        const TSpectralPeak peak = FindLargestPeak(s);
        EXPECT_EQ(peak.Bin, WrittenMaximum(s));
        EXPECT_EQ(peak.Amplitude, s.Amplitude[static_cast<size_t>(peak.Bin)]) << "not refined";
        if (GetParam() != TSpectrumWindow::BlackmanHarris) {
            EXPECT_EQ(peak.Bin, 0);
            EXPECT_EQ(peak.Frequency, 0);
        }
    }
}

TEST_P(WindowTest, NyquistPeaksWhereTheWrittenSpectrumPeaks) {
    std::vector<double> x(256);
    for (size_t q = 0; q < x.size(); ++q) x[q] = q % 2 ? -0.8 : 0.8;
    const TSpectrum s = SpectrumOf(x, GetParam());
    ASSERT_EQ(s.BinCount(), 129);
    EXPECT_NEAR(s.Amplitude[128], 0.8, 1e-12) << "counted once, not doubled";
    EXPECT_DOUBLE_EQ(s.Frequency(128), 0.5 / kQuant);
    const TSpectralPeak peak = FindLargestPeak(s);
    // The line reads the same beside the Nyquist bin with Hann, up to the last bits.
    EXPECT_NEAR(peak.Amplitude, s.Amplitude[static_cast<size_t>(WrittenMaximum(s))], 1e-12);
    if (GetParam() != TSpectrumWindow::BlackmanHarris) {
        EXPECT_EQ(peak.Bin, 128);
        EXPECT_NEAR(peak.Amplitude, 0.8, 1e-12);
    }
}

// Lines beside the edges, where a line meets its own mirror image: 1000 samples of 0.1 ms,
// so bins of 10 Hz, bin 1 at 10 Hz and bin 499 at 4990 Hz (of 500).
TEST_P(WindowTest, LinesBesideTheEdgesReadTheirBinAndAmplitude) {
    const double quant = 1e-4;
    const auto tone = [&](double hz, double phase) {
        std::vector<double> x(1000);
        for (size_t q = 0; q < x.size(); ++q)
            x[q] = std::sin(2 * std::numbers::pi * hz * static_cast<double>(q) * quant + phase);
        TSpectrumAnalyzer analyzer;
        return analyzer.Compute(x.data(), static_cast<int>(x.size()), quant, GetParam());
    };
    for (double phase : {0.0, std::numbers::pi / 2, 1.0}) {  // sine, cosine, between
        for (double hz : {10.0, 4990.0}) {
            const TSpectrum s = tone(hz, phase);
            const std::vector<TSpectralPeak> peaks = FindPeaks(s, 3, -40);
            ASSERT_FALSE(peaks.empty()) << hz << " " << phase;
            EXPECT_NEAR(peaks[0].Frequency, hz, 1e-9) << hz << " " << phase;
            // Blackman-Harris's lobe is three bins wide: the mirror image two bins away adds
            // to the line itself, and no refinement can take it out.
            if (GetParam() != TSpectrumWindow::BlackmanHarris) {
                EXPECT_NEAR(peaks[0].Amplitude, 1, 1e-9) << hz << " " << phase;
            }
            // Nothing the written spectrum does not show: every peak is one of its bins'
            // values, none higher than the written maximum.
            for (const TSpectralPeak& p : peaks)
                EXPECT_LE(p.Amplitude, s.Amplitude[static_cast<size_t>(WrittenMaximum(s))] + 1e-12);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, WindowTest, testing::ValuesIn(kWindows), WindowTestName);

struct OffBinCase {
    TSpectrumWindow window;
    double binTolerance;        // of the refined frequency, in bins
    double amplitudeTolerance;  // relative, of the refined amplitude
};

class OffBinTest : public testing::TestWithParam<OffBinCase> {};

TEST_P(OffBinTest, RefinedPeakFindsTheSineBetweenBins) {
    const OffBinCase& c = GetParam();
    for (int n : {1000, 1001, 4096}) {
        for (double offset : {0.1, 0.25, 0.4, 0.5}) {
            const double bin = 100 + offset;
            const TSpectrum s = SpectrumOf(Sine(n, 2, bin), c.window);
            const TSpectralPeak peak = FindLargestPeak(s);
            const double binWidth = 1 / (n * kQuant);
            EXPECT_NEAR(peak.Frequency / binWidth, bin, c.binTolerance) << n << " " << offset;
            EXPECT_NEAR(peak.Amplitude, 2, 2 * c.amplitudeTolerance) << n << " " << offset;
            // The refinement is better than the bare bin.
            EXPECT_LE(std::fabs(peak.Frequency / binWidth - bin),
                      std::fabs(peak.Bin - bin) + 1e-12);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, OffBinTest,
                         testing::Values(OffBinCase{TSpectrumWindow::Rectangular, 0.17, 0.28},
                                         OffBinCase{TSpectrumWindow::Hann, 0.02, 0.04},
                                         OffBinCase{TSpectrumWindow::Hamming, 0.02, 0.05},
                                         OffBinCase{TSpectrumWindow::BlackmanHarris, 0.004, 0.004}),
                         [](const testing::TestParamInfo<OffBinCase>& info) {
                             return WindowTestName({info.param.window, info.index});
                         });

// An AM radio's spectrum: a 20 kHz carrier of amplitude 1 with a 1 kHz tone at depth 0.5, so
// sidebands of 0.25 (-12.04 dB) at 19 and 21 kHz; sampled at 500 kHz.
std::vector<double> AmSignal(int n, double quant) {
    std::vector<double> x(static_cast<size_t>(n));
    for (int q = 0; q < n; ++q) {
        const double t = q * quant;
        x[static_cast<size_t>(q)] = (1 + 0.5 * std::sin(2 * std::numbers::pi * 1000 * t)) *
                                    std::sin(2 * std::numbers::pi * 20000 * t + 0.2);
    }
    return x;
}

TEST(SpectrumPeaks, TheAmLinesOnBinsReadExactly) {
    constexpr double q = 2e-6;
    const std::vector<double> x = AmSignal(5000, q);  // 10 ms: bins of 100 Hz
    TSpectrumAnalyzer analyzer;
    const TSpectrum s = analyzer.Compute(x.data(), 5000, q, TSpectrumWindow::Hann);
    const std::vector<TSpectralPeak> peaks = FindPeaks(s);
    ASSERT_GE(peaks.size(), 3u);
    EXPECT_NEAR(peaks[0].Frequency, 20000, 1e-6);
    EXPECT_NEAR(peaks[0].Amplitude, 1, 1e-9);
    EXPECT_NEAR(std::min(peaks[1].Frequency, peaks[2].Frequency), 19000, 1e-6);
    EXPECT_NEAR(std::max(peaks[1].Frequency, peaks[2].Frequency), 21000, 1e-6);
    EXPECT_NEAR(peaks[1].Amplitude, 0.25, 1e-9);
    EXPECT_NEAR(peaks[2].Amplitude, 0.25, 1e-9);
    EXPECT_LE(peaks.size(), 5u) << "N = 5 by default";
    EXPECT_EQ(FindLargestPeak(s).Frequency, peaks[0].Frequency);
}

TEST(SpectrumPeaks, TheAmLinesBetweenBinsWithinTheInterpolationsAccuracy) {
    constexpr double q = 2e-6;
    for (int n : {4321, 6007}) {  // bins of 115.7 and 83.2 Hz: no line on a bin
        const std::vector<double> x = AmSignal(n, q);
        TSpectrumAnalyzer analyzer;
        const TSpectrum s = analyzer.Compute(x.data(), n, q, TSpectrumWindow::Hann);
        const double bin = 1 / (n * q);
        // Above -20 dB only the three lines.
        const std::vector<TSpectralPeak> peaks = FindPeaks(s, 5, -20);
        ASSERT_EQ(peaks.size(), 3u) << n;
        EXPECT_NEAR(peaks[0].Frequency, 20000, 0.05 * bin) << n;
        EXPECT_NEAR(peaks[0].Amplitude, 1, 0.05) << n;
        for (const TSpectralPeak& p : {peaks[1], peaks[2]}) {
            EXPECT_NEAR(std::fabs(p.Frequency - 20000), 1000, 0.05 * bin) << n;
            EXPECT_NEAR(ToDecibels(p.Amplitude), ToDecibels(0.25), 0.5) << n;
        }
        EXPECT_EQ(FindPeaks(s, 1, -20).size(), 1u) << "the N highest only";
        EXPECT_EQ(FindPeaks(s, 5, -11).size(), 1u) << "the sidebands lie below -11 dB";
        EXPECT_EQ(FindPeaks(s, 5, -60).size(), 3u)
            << "sampled a bin apart, the window's side lobes fall off without peaks of their own";
    }
}

TEST(SpectrumPeaks, NoPeaksWithoutASpectrumOrAboveTheLevels) {
    TSpectrum empty;
    EXPECT_TRUE(FindPeaks(empty).empty());
    TSpectrum zero;
    zero.N = 8;
    zero.QuantTime = 1;
    zero.Amplitude.assign(5, 0.0);
    EXPECT_TRUE(FindPeaks(zero, 5, -300).empty()) << "silence has no peaks";
    TSpectrum flat = zero;
    flat.Amplitude = {0, 0.5, 1, 1, 0.5};  // a plateau counts once
    EXPECT_EQ(FindPeaks(flat, 5, -300).size(), 1u);
    EXPECT_TRUE(FindPeaks(flat, 0, -300).empty());
}

// The threshold is "at least": a peak exactly at it is listed, one a hair below is not.
TEST(SpectrumPeaks, APeakExactlyAtTheThresholdIsListed) {
    TSpectrum s;
    s.N = 16;
    s.QuantTime = 1;
    // Symmetric neighbours: the refined peak is the bin itself, 0.1 at 4/16 Hz.
    s.Amplitude = {0, 0.01, 0.05, 0.1, 0.05, 0.01, 0, 0, 0};
    const double level = ToDecibels(0.1);
    const std::vector<TSpectralPeak> at = FindPeaks(s, 5, level);
    ASSERT_EQ(at.size(), 1u);
    EXPECT_EQ(at[0].Amplitude, 0.1);
    EXPECT_EQ(at[0].Frequency, 3.0 / 16);
    EXPECT_TRUE(FindPeaks(s, 5, std::nextafter(level, 0.0)).empty());
}

TEST(Spectrum, RectangularWindowKeepsParsevalsIdentity) {
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0.3, 1.0);
    for (int n : {512, 513}) {
        std::vector<double> x(static_cast<size_t>(n));
        double power = 0;
        for (double& v : x) {
            v = noise(random);
            power += v * v;
        }
        const TSpectrum s = SpectrumOf(x, TSpectrumWindow::Rectangular);
        // Mean square = A0² + Σ Ak²/2 over the inner bins + A(N/2)² for N even.
        double fromSpectrum = 0;
        for (int k = 0; k < s.BinCount(); ++k) {
            const double a = s.Amplitude[static_cast<size_t>(k)];
            const bool single = k == 0 || (n % 2 == 0 && k == n / 2);
            fromSpectrum += single ? a * a : a * a / 2;
        }
        EXPECT_NEAR(fromSpectrum, power / n, 1e-12 * power / n) << n;
    }
}

TEST(Spectrum, FrequencyOfABinFollowsLengthAndQuantum) {
    const TSpectrum s = SpectrumOf(std::vector<double>(400, 1), TSpectrumWindow::Hann);
    EXPECT_DOUBLE_EQ(s.Frequency(1), 2.5);  // 1 / (400 × 0.001)
    EXPECT_DOUBLE_EQ(s.Frequency(200), 500);
}

TEST(Spectrum, NonFiniteSamplesGiveNoAmplitudes) {
    for (double bad :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity()}) {
        std::vector<double> x = Sine(100, 1, 5);
        x[37] = bad;
        const TSpectrum s = SpectrumOf(x, TSpectrumWindow::Hann);
        EXPECT_TRUE(s.NonFinite);
        EXPECT_EQ(s.BinCount(), 0);
        EXPECT_EQ(FindLargestPeak(s).Bin, -1);
    }
}

TEST(Spectrum, FewerThanTwoSamplesGiveNoSpectrum) {
    const double one = 1;
    TSpectrumAnalyzer analyzer;
    EXPECT_EQ(analyzer.Compute(&one, 1, kQuant, TSpectrumWindow::Hann).BinCount(), 0);
    EXPECT_EQ(analyzer.Compute(nullptr, 0, kQuant, TSpectrumWindow::Hann).BinCount(), 0);
}

TEST(SpectrumAnalyzer, ReusedPlansGiveTheSameSpectraAsFreshOnes) {
    // More lengths than the analyzer keeps plans for, then the first ones again.
    TSpectrumAnalyzer reused;
    const std::vector<int> lengths = {100, 101, 128, 250, 333, 500, 640, 777, 900, 1000, 100, 101};
    TSpectrumWindow window = TSpectrumWindow::Rectangular;
    for (int n : lengths) {
        window = window == TSpectrumWindow::Hann ? TSpectrumWindow::Hamming : TSpectrumWindow::Hann;
        const std::vector<double> x = Sine(n, 1.5, n / 7.3);
        const TSpectrum a = reused.Compute(x.data(), n, kQuant, window);
        const TSpectrum b = SpectrumOf(x, window);
        ASSERT_EQ(a.Amplitude, b.Amplitude) << n;
    }
}

TEST(SpectrumAnalyzer, ReadsARangeOfAStoreRow) {
    TSignalsData data;
    data.SetSize(2, 300);
    const std::vector<double> x = Sine(300, 1, 12.5);
    for (int q = 0; q < 300; ++q) data.SetData(1, q, x[static_cast<size_t>(q)]);
    TSpectrumAnalyzer analyzer;
    const TSpectrum range = analyzer.Compute(data, 1, {100, 299}, kQuant, TSpectrumWindow::Hann);
    const TSpectrum direct = analyzer.Compute(x.data() + 100, 200, kQuant, TSpectrumWindow::Hann);
    EXPECT_EQ(range.N, 200);
    EXPECT_EQ(range.Amplitude, direct.Amplitude);
    EXPECT_EQ(analyzer.Compute(data, 1, {299, 400}, kQuant, TSpectrumWindow::Hann).BinCount(), 0);
}

TEST(ToDecibels, TwentyLogTenWithAFloor) {
    EXPECT_DOUBLE_EQ(ToDecibels(1), 0);
    EXPECT_DOUBLE_EQ(ToDecibels(0.1), -20);
    EXPECT_DOUBLE_EQ(ToDecibels(1000), 60);
    EXPECT_EQ(ToDecibels(0), kDecibelFloor);
    EXPECT_EQ(ToDecibels(1e-300), kDecibelFloor);
    EXPECT_DOUBLE_EQ(ToDecibels(1e-10), -200);
}

}  // namespace
}  // namespace kvaril
