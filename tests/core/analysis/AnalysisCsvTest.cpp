#include "analysis/AnalysisCsv.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>

#include "base/Cp1251.h"
#include "base/uCommon.h"
#include "document/uSignal.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

namespace fs = std::filesystem;

// A document of three signals with stored samples, as after a run: 0.001 s quanta, 1000 quanta.
class AnalysisCsvTest : public testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"Sine", "Ramp", "Тон"}) {
            auto s = std::make_unique<TSignal>(signals_);
            s->SetName(Utf8ToCp1251(name));
            signals_.Insert(std::move(s), -1);
        }
        signals_.SetQuantTime(0.001);
        signals_.SetTotalTime(1);
        signals_.Data().SetSize(3, signals_.QuantCount());
        for (int q = 0; q < signals_.QuantCount(); ++q) {
            signals_.Data().SetData(0, q, 2 * std::sin(2 * std::numbers::pi * 10 * q * 0.001));
            signals_.Data().SetData(1, q, q);
            signals_.Data().SetData(2, q, 0.5);
        }
        dir_ = fs::temp_directory_path() / ("kvaril-analysis-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // What the command line does: the window checked, then the one selection for every output.
    std::optional<TDataRange> Resolve(std::string& error) {
        if (!CheckAnalysisRequest(request_, error)) return std::nullopt;
        try {
            return ResolveSelection(signals_, selection_, AnalysisLeast(request_));
        } catch (const ERangeError& e) {
            error = e.what();
            return std::nullopt;
        }
    }
    static std::string Read(const fs::path& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        std::stringstream in(text);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    TSignals signals_;
    TAnalysisRequest request_;
    TDataSelection selection_;
    fs::path dir_;
};

TEST_F(AnalysisCsvTest, ParsesItsOptionsAndLeavesOthers) {
    EXPECT_EQ(ParseAnalysisOption("--stats", "s.csv", request_), TOptionParse::Ok);
    EXPECT_EQ(ParseAnalysisOption("--spectrum", "f.csv", request_), TOptionParse::Ok);
    EXPECT_EQ(ParseAnalysisOption("--window", "rect", request_), TOptionParse::Ok);
    EXPECT_EQ(ParseAnalysisOption("--signals", "A", request_), TOptionParse::NotMine)
        << "the shared selection options parse the signals and times";
    EXPECT_EQ(ParseAnalysisOption("--csv", "x.csv", request_), TOptionParse::NotMine);
    EXPECT_EQ(request_.StatsPath, "s.csv");
    EXPECT_EQ(request_.SpectrumPath, "f.csv");
    EXPECT_EQ(request_.Window, "rect");
}

TEST_F(AnalysisCsvTest, ResolvesNamesInDocumentOrderAndTheRangeInQuanta) {
    request_.StatsPath = "s.csv";
    selection_.SignalNames = {"Тон", "Sine"};
    selection_.From = 0.1;
    selection_.To = 0.2;
    std::string error;
    const auto resolved = Resolve(error);
    ASSERT_TRUE(resolved) << error;
    EXPECT_EQ(resolved->Signals, (std::vector<int>{0, 2})) << "the rows of the CSV's columns";
    EXPECT_EQ(resolved->FirstQuant, 100);
    EXPECT_EQ(resolved->LastQuant, 200);
}

TEST_F(AnalysisCsvTest, WithoutSelectionEverySignalAndTheWholeRun) {
    request_.SpectrumPath = "f.csv";
    std::string error;
    const auto resolved = Resolve(error);
    ASSERT_TRUE(resolved) << error;
    EXPECT_EQ(resolved->Signals, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(resolved->FirstQuant, 0);
    EXPECT_EQ(resolved->LastQuant, 999);
}

struct RefusalCase {
    const char* name;
    const char* window;
    std::vector<std::string> signals;
    std::optional<double> from, to;
    const char* message;  // a part of it
};

class AnalysisRefusalTest : public AnalysisCsvTest,
                            public testing::WithParamInterface<RefusalCase> {};

TEST_P(AnalysisRefusalTest, SaysWhatIsWrong) {
    const RefusalCase& c = GetParam();
    request_.StatsPath = "s.csv";
    request_.Window = c.window;
    selection_.SignalNames = c.signals;
    selection_.From = c.from;
    selection_.To = c.to;
    std::string error;
    EXPECT_FALSE(Resolve(error));
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, AnalysisRefusalTest,
    testing::Values(
        RefusalCase{"UnknownWindow", "kaiser", {}, {}, {}, "Неизвестное окно \"kaiser\""},
        RefusalCase{"UnknownSignal", "hann", {"Sine", "Cosine"}, {}, {}, "нет сигнала \"Cosine\""},
        RefusalCase{"OtherCase", "hann", {"sine"}, {}, {}, "нет сигнала \"sine\""},
        RefusalCase{"EmptyName", "hann", {"Sine", ""}, {}, {}, "нет сигнала \"\""},
        RefusalCase{"RepeatedName",
                    "hann",
                    {"Sine", "Ramp", "Sine"},
                    {},
                    {},
                    "Сигнал \"Sine\" назван в списке дважды"},
        RefusalCase{"FromAfterTo", "hann", {}, 0.5, 0.2, "позже"},
        RefusalCase{"OneSample", "hann", {}, 0.5, 0.5, "меньше двух отсчетов"},
        RefusalCase{"AfterTheRun", "hann", {}, 5.0, {}, "меньше двух отсчетов"},
        RefusalCase{"BeforeTheRun", "hann", {}, {}, -1.0, "меньше двух отсчетов"}),
    [](const testing::TestParamInfo<RefusalCase>& info) { return info.param.name; });

TEST_F(AnalysisCsvTest, SelectionAloneNeedsOneSample) {
    selection_.From = 0.5;  // no analysis asked for: one sample is a selection
    selection_.To = 0.5;
    std::string error;
    EXPECT_TRUE(Resolve(error)) << error;
    selection_.From = 0.5004;  // between two quanta
    selection_.To = 0.5006;
    EXPECT_FALSE(Resolve(error));
    EXPECT_NE(error.find("нет отсчетов"), std::string::npos) << error;
}

TEST_F(AnalysisCsvTest, StatsRowsHoldShortestNumbersAndModelTimes) {
    request_.StatsPath = (dir_ / "stats.csv").string();
    std::string error;
    const auto resolved = Resolve(error);
    ASSERT_TRUE(resolved);
    std::ostringstream err;
    ASSERT_TRUE(WriteAnalysis(signals_, request_, *resolved, err)) << err.str();
    const auto lines = Lines(Read(request_.StatsPath));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "signal,n,min,t_min,max,t_max,mean,rms,p2p,std");
    // Ten periods of a 10 Hz sine of amplitude 2: crests at 25 ms, troughs at 75 ms (+ 100k).
    const TSignalStats sine = SignalStats(signals_.Data(), 0, resolved->Quanta());
    EXPECT_EQ(sine.MaxQuant % 100, 25);
    EXPECT_EQ(sine.MinQuant % 100, 75);
    EXPECT_EQ(lines[1], "Sine,1000," + FormatShortest(sine.Min) + "," +
                            FormatShortest(sine.MinQuant * 0.001) + "," + FormatShortest(sine.Max) +
                            "," + FormatShortest(sine.MaxQuant * 0.001) + "," +
                            FormatShortest(sine.Mean) + "," + FormatShortest(sine.Rms) + "," +
                            FormatShortest(sine.PeakToPeak) + "," + FormatShortest(sine.StdDev));
    EXPECT_NEAR(sine.Rms, std::numbers::sqrt2, 1e-12);
    EXPECT_NEAR(sine.Mean, 0, 1e-12);
    // The ramp q over 0..999: mean 499.5, RMS sqrt(Σq² / n), spread sqrt((n² - 1) / 12).
    EXPECT_EQ(lines[2].substr(0, lines[2].rfind(',')),
              "Ramp,1000,0,0,999," + FormatShortest(999 * 0.001) + ",499.5," +
                  FormatShortest(std::sqrt(332833.5)) + ",999");
    EXPECT_NEAR(std::stod(lines[2].substr(lines[2].rfind(',') + 1)), std::sqrt(999999 / 12.0),
                1e-9);
    EXPECT_EQ(lines[3], "Тон,1000,0.5,0,0.5,0,0.5,0.5,0,0");
}

TEST_F(AnalysisCsvTest, SpectrumHasABinPerRowAndTheSineOnItsBin) {
    request_.SpectrumPath = (dir_ / "spectrum.csv").string();
    request_.Window = "blackman-harris";
    selection_.SignalNames = {"Sine"};
    selection_.To = 0.4995;  // quanta 0 .. 499: 5 periods, bins of 2 Hz
    std::string error;
    const auto resolved = Resolve(error);
    ASSERT_TRUE(resolved) << error;
    std::ostringstream err;
    ASSERT_TRUE(WriteAnalysis(signals_, request_, *resolved, err)) << err.str();
    const auto lines = Lines(Read(request_.SpectrumPath));
    ASSERT_EQ(lines.size(), 1u + 251u);  // bins 0 .. 250
    EXPECT_EQ(lines[0], "f,Sine");
    EXPECT_EQ(lines[1].substr(0, 2), "0,");
    EXPECT_EQ(lines[6].substr(0, 3), "10,");
    EXPECT_NEAR(std::stod(lines[6].substr(3)), 2, 1e-9);
    EXPECT_EQ(lines[251].substr(0, 4), "500,");
    EXPECT_TRUE(err.str().empty());
}

TEST_F(AnalysisCsvTest, NonFiniteSignalGetsNanAndAWarning) {
    signals_.Data().SetData(1, 300, std::numeric_limits<double>::infinity());
    request_.SpectrumPath = (dir_ / "spectrum.csv").string();
    selection_.SignalNames = {"Sine", "Ramp"};
    std::string error;
    const auto resolved = Resolve(error);
    ASSERT_TRUE(resolved);
    std::ostringstream err;
    ASSERT_TRUE(WriteAnalysis(signals_, request_, *resolved, err));
    EXPECT_NE(err.str().find("Сигнал Ramp"), std::string::npos) << err.str();
    const auto lines = Lines(Read(request_.SpectrumPath));
    ASSERT_EQ(lines.size(), 502u);
    for (size_t i = 1; i < lines.size(); ++i)
        ASSERT_EQ(lines[i].substr(lines[i].rfind(',')), ",nan") << lines[i];
}

TEST_F(AnalysisCsvTest, UnwritableFileIsReportedAndKeepsNothing) {
    request_.StatsPath = (dir_ / "missing-folder" / "stats.csv").string();
    std::string error;
    const auto resolved = Resolve(error);
    ASSERT_TRUE(resolved);
    std::ostringstream err;
    EXPECT_FALSE(WriteAnalysis(signals_, request_, *resolved, err));
    EXPECT_EQ(err.str(),
              "Не удается создать файл " + request_.StatsPath + ": нет такого файла или папки\n");
    EXPECT_FALSE(fs::exists(request_.StatsPath));
}

}  // namespace
}  // namespace kvaril
