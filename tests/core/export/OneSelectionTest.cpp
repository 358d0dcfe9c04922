// One span of time means the same samples in every output: the command line's CSV, WAV,
// statistics and spectrum, the window's data export, its Статистика page and its spectra.

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/AnalysisCsv.h"
#include "base/uCommon.h"
#include "export/DataExport.h"
#include "osc/ExportSpan.h"
#include "osc/OscAnalysis.h"
#include "osc/SessionFixture.h"

namespace kvaril {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const fs::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

int WavFrames(const fs::path& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return -1;
    sf_close(file);
    return static_cast<int>(info.frames);
}

struct TSpan {
    const char* Name;
    double T0, T1;
    int Quanta;  // of 0.001 s
};

// A, B, C over 1000 quanta of 0.001 s (the session fixture); C = t.
class OneSelectionTest : public TSessionFixture, public ::testing::WithParamInterface<TSpan> {
  protected:
    void SetUp() override {
        TSessionFixture::SetUp();
        dir_ = fs::temp_directory_path() / ("kvaril-selection-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // The Статистика page's n for the first beam.
    std::string PageCount() {
        return s.Readings().StatsRows().at(0).Cells[static_cast<int>(TMeasure::Count)];
    }

    fs::path dir_;
};

TEST_P(OneSelectionTest, EveryOutputHoldsTheSameQuanta) {
    const TSpan& span = GetParam();
    const int n = span.Quanta;

    // The command line: --from T0 --to T1 with --csv, --wav, --stats and --spectrum.
    TDataSelection selection;
    selection.From = span.T0;
    selection.To = span.T1;
    TAnalysisRequest request;
    request.StatsPath = (dir_ / "stats.csv").string();
    request.SpectrumPath = (dir_ / "spectrum.csv").string();
    const TDataRange range = ResolveSelection(signals, selection, AnalysisLeast(request));
    WriteSamplesCsv((dir_ / "out.csv").string(), signals, range);
    WriteSamplesWav((dir_ / "out.wav").string(), signals, range);
    std::ostringstream err;
    ASSERT_TRUE(WriteAnalysis(signals, request, range, err)) << err.str();

    EXPECT_EQ(Lines(dir_ / "out.csv").size(), 1u + n) << "CSV rows";
    EXPECT_EQ(WavFrames(dir_ / "out.wav"), n) << "WAV frames";
    const std::vector<std::string> stats = Lines(request.StatsPath);
    ASSERT_EQ(stats.size(), 4u);
    EXPECT_EQ(stats[1].substr(0, stats[1].find(',', 2)), "A," + std::to_string(n))
        << "statistics n";
    const std::vector<std::string> spectrum = Lines(request.SpectrumPath);
    ASSERT_EQ(spectrum.size(), 1u + n / 2 + 1) << "bins of N = " << n;
    EXPECT_EQ(spectrum[2].substr(0, spectrum[2].find(',')), FormatShortest(1 / (n * 0.001)))
        << "the first bin is 1/(N·QuantTime)";

    // The window: its time window, then the same times as two markers.
    Window(span.T0, span.T1);
    ASSERT_EQ(View().T0(), span.T0);
    ASSERT_EQ(View().T1(), span.T1);
    EXPECT_EQ(ExportRangeOf(signals, &View(), {}, TExportSpan::Window).QuantCount(), n)
        << "the window's data export";
    EXPECT_EQ(PageCount(), std::to_string(n)) << "the Статистика page over the window";
    TSpectrumAnalyzer analyzer;
    const TSpectrumRequest windowSpectra = s.Readings().SpectrumRequest();
    EXPECT_EQ(BeamSpectra(analyzer, signals, windowSpectra.Beams, windowSpectra.T0,
                          windowSpectra.T1, TSpectrumWindow::Hann)
                  .at(0)
                  .Spectrum.N,
              n)
        << "the spectrum window";

    Window(0, 1);
    Label(span.T0);
    Label(span.T1);
    EXPECT_EQ(ExportRangeOf(signals, &View(), {}, TExportSpan::Markers, 0, 1).QuantCount(), n)
        << "the data export between markers";
    s.SetSpan("m1..m2");
    EXPECT_EQ(PageCount(), std::to_string(n)) << "the Статистика page between markers";
}

INSTANTIATE_TEST_SUITE_P(
    Spans, OneSelectionTest,
    ::testing::Values(TSpan{"OnQuanta", 0.1, 0.2, 101},
                      TSpan{"TypedTimesARoundingOffQuanta", 0.3, 0.7, 401},
                      TSpan{"OffTheGrid", 0.01232, 0.04568, 33},          // quanta 13 .. 45
                      TSpan{"MidwayBetweenQuanta", 0.1005, 0.2005, 100},  // quanta 101 .. 200
                      TSpan{"JustInsideAMillionth", 0.1 + 4e-10, 0.2 - 4e-10, 101},
                      TSpan{"JustOutsideTwoMillionths", 0.1 + 4e-9, 0.2 - 4e-9, 99}),
    [](const auto& info) { return std::string(info.param.Name); });

using AdjacentSpans = TSessionFixture;

// Spans that meet at a quantum both hold it; spans that meet halfway between quanta share none,
// so their counts add up to the whole.
TEST_F(AdjacentSpans, SpansMeetingAtAQuantumShareItAndMeetingMidwayShareNone) {
    auto range = [this](double t0, double t1) {
        TDataSelection selection;
        selection.From = t0;
        selection.To = t1;
        return ResolveSelection(signals, selection);
    };
    auto page = [this](double t0, double t1) {
        Window(t0, t1);
        return std::stoi(s.Readings().StatsRows().at(0).Cells[static_cast<int>(TMeasure::Count)]);
    };
    for (double at : {0.15, 0.3, 0.7, 0.123}) {
        EXPECT_EQ(range(0.1, at).LastQuant, range(at, 0.9).FirstQuant) << at;
        EXPECT_EQ(page(0.1, at) + page(at, 0.9), page(0.1, 0.9) + 1) << at;
    }
    for (double midway : {0.1505, 0.3005, 0.7005, 0.1235}) {
        EXPECT_EQ(range(0.1, midway).LastQuant + 1, range(midway, 0.9).FirstQuant) << midway;
        EXPECT_EQ(page(0.1, midway) + page(midway, 0.9), page(0.1, 0.9)) << midway;
    }
}

}  // namespace
}  // namespace kvaril
