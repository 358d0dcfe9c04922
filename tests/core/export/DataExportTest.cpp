#include "export/DataExport.h"
#include "export/DataExportPlan.h"

#include <sndfile.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <limits>
#include <sstream>

#include "ExportFixture.h"
#include "base/ValueStream.h"

namespace kvaril {
namespace {

using testing::ExportFixture;

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class CsvExportTest : public ExportFixture {};

TEST_F(CsvExportTest, WholeRunHasAHeaderAndARowPerQuantum) {
    Make({"A", "Шум, \"белый\""}, 0.5, 10);
    WriteSamplesCsv(Path("all.csv"), signals_);
    const auto lines = ReadLines(Path("all.csv"));
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0], "t,A,\"Шум, \"\"белый\"\"\"");
    EXPECT_EQ(lines[1], "0,997.25,1997.5");
    EXPECT_EQ(lines[10], "4.5,1001.75,2002");
}

TEST_F(CsvExportTest, TimeRangeHoldsExactlyItsRows) {
    Make({"A", "B", "C"}, 0.0001, 1000);
    TDataSelection selection;
    selection.SignalNames = {"C", "A"};
    selection.From = 0.03;
    selection.To = 0.0305;
    WriteSamplesCsv(Path("part.csv"), signals_, ResolveSelection(signals_, selection));
    const auto lines = ReadLines(Path("part.csv"));
    ASSERT_EQ(lines.size(), 7u);  // header, quanta 300 to 305
    EXPECT_EQ(lines[0], "t,A,C");
    for (int q = 300; q <= 305; ++q) {
        std::istringstream row(lines[q - 299]);
        double t, a, c;
        char comma1, comma2;
        row >> t >> comma1 >> a >> comma2 >> c;
        EXPECT_NEAR(t, q * 0.0001, 1e-12);
        EXPECT_EQ(a, Sample(0, q));
        EXPECT_EQ(c, Sample(2, q));
    }
}

TEST_F(CsvExportTest, NonFiniteSamplesAreNanAndInfWhateverTheSignOfTheNan) {
    Make({"A"}, 0.5, 10);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    signals_.Data().SetData(0, 0, std::copysign(nan, -1.0));  // what 0/0 gives on this machine
    signals_.Data().SetData(0, 1, nan);
    signals_.Data().SetData(0, 2, inf);
    signals_.Data().SetData(0, 3, -inf);
    WriteSamplesCsv(Path("nan.csv"), signals_);
    const std::string start = "t,A\n0,nan\n0.5,nan\n1,inf\n1.5,-inf\n2,";
    EXPECT_EQ(ReadAll(Path("nan.csv")).substr(0, start.size()), start);
}

// Unlike a document save, whose message is the classic one, an output says in the user's words
// why it could not be written, and leaves whatever was there as it was.
enum class TTarget { MissingFolder, Folder, Fifo, ReadOnlyFolder };

struct TFailureCase {
    const char* Name;
    TTarget Target;
    const char* Reason;
};

class OutputFailureTest : public ExportFixture, public ::testing::WithParamInterface<TFailureCase> {
  protected:
    // The path to write to, made as the case wants it.
    std::string Target() {
        switch (GetParam().Target) {
            case TTarget::MissingFolder:
                return Path("missing/out");
            case TTarget::Folder:
                std::filesystem::create_directory(Path("folder"));
                return Path("folder");
            case TTarget::Fifo:
                EXPECT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
                return Path("fifo");
            case TTarget::ReadOnlyFolder:
                std::filesystem::create_directory(Path("locked"));
                std::filesystem::permissions(
                    Path("locked"),
                    std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
                return Path("locked/out");
        }
        return {};
    }
    void TearDown() override {
        if (std::filesystem::exists(Path("locked")))
            std::filesystem::permissions(Path("locked"), std::filesystem::perms::owner_all);
        ExportFixture::TearDown();
    }
    void ExpectRefused(const std::function<void(const std::string&)>& write) {
        if (GetParam().Target == TTarget::ReadOnlyFolder && ::geteuid() == 0)
            GTEST_SKIP() << "root writes into a read-only folder";
        const std::string path = Target();
        struct stat before {};
        const bool existed = ::lstat(path.c_str(), &before) == 0;
        try {
            write(path);
            FAIL() << "written";
        } catch (const EKvaril& e) {
            // A file that cannot be made says so; something that is no file is refused whole.
            const std::string text = e.what();
            EXPECT_NE(text.find(path), std::string::npos) << text;
            EXPECT_NE(text.find(GetParam().Reason), std::string::npos) << text;
        }
        struct stat after {};
        EXPECT_EQ(::lstat(path.c_str(), &after) == 0, existed);
        if (existed) {
            EXPECT_EQ(after.st_mode, before.st_mode) << "the target was replaced";
        }
    }
};

TEST_P(OutputFailureTest, CsvSaysWhereAndWhy) {
    Make({"A"}, 0.001, 10);
    ExpectRefused([this](const std::string& path) { WriteSamplesCsv(path, signals_); });
}

TEST_P(OutputFailureTest, WavSaysWhereAndWhy) {
    Make({"A"}, 0.001, 10);
    ExpectRefused(
        [this](const std::string& path) { WriteSamplesWav(path, signals_, WholeRun(signals_)); });
}

INSTANTIATE_TEST_SUITE_P(Targets, OutputFailureTest,
                         ::testing::Values(TFailureCase{"MissingFolder", TTarget::MissingFolder,
                                                        "нет такого файла или папки"},
                                           TFailureCase{"Folder", TTarget::Folder, "это папка"},
                                           TFailureCase{"Fifo", TTarget::Fifo,
                                                        "это именованный канал, а не обычный файл"},
                                           TFailureCase{"ReadOnlyFolder", TTarget::ReadOnlyFolder,
                                                        "нет прав доступа"}),
                         [](const auto& info) { return std::string(info.param.Name); });

// What libsndfile reads back from a file we wrote.
struct TWavContent {
    SF_INFO Info{};
    std::vector<float> Frames;
};

TWavContent ReadWav(const std::string& path) {
    TWavContent content;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &content.Info);
    EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
    if (!file) return content;
    content.Frames.resize(content.Info.frames * content.Info.channels);
    EXPECT_EQ(sf_readf_float(file, content.Frames.data(), content.Info.frames),
              content.Info.frames);
    sf_close(file);
    return content;
}

class WavExportTest : public ExportFixture {};

TEST_F(WavExportTest, ReadsBackTheSamplesUnscaledAtTheQuantumRate) {
    Make({"A", "B", "C"}, 0.0001, 1000);
    WriteSamplesWav(Path("all.wav"), signals_, WholeRun(signals_));
    const TWavContent wav = ReadWav(Path("all.wav"));
    EXPECT_EQ(wav.Info.samplerate, 10000);
    EXPECT_EQ(wav.Info.channels, 3);
    EXPECT_EQ(wav.Info.frames, 1000);
    EXPECT_EQ(wav.Info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_EQ(wav.Frames.size(), 3000u);
    for (int q = 0; q < 1000; ++q)
        for (int s = 0; s < 3; ++s)
            ASSERT_EQ(wav.Frames[q * 3 + s], static_cast<float>(Sample(s, q))) << s << " " << q;
}

TEST_F(WavExportTest, SelectionGivesItsChannelsInDocumentOrder) {
    Make({"A", "B", "C", "D"}, 0.00002, 500);
    TDataSelection selection;
    selection.SignalNames = {"D", "B"};
    selection.From = 0.001;
    selection.To = 0.002;
    WriteSamplesWav(Path("part.wav"), signals_, ResolveSelection(signals_, selection));
    const TWavContent wav = ReadWav(Path("part.wav"));
    EXPECT_EQ(wav.Info.samplerate, 50000);
    EXPECT_EQ(wav.Info.channels, 2);
    ASSERT_EQ(wav.Info.frames, 51);  // quanta 50 to 100
    for (int f = 0; f < 51; ++f) {
        EXPECT_EQ(wav.Frames[f * 2], static_cast<float>(Sample(1, 50 + f)));
        EXPECT_EQ(wav.Frames[f * 2 + 1], static_cast<float>(Sample(3, 50 + f)));
    }
}

// A sink that keeps what it was given, call by call.
class RecordingSink : public ByteSink {
  public:
    std::vector<std::string> Writes;
    void Write(const char* data, size_t size) override { Writes.emplace_back(data, size); }
};

TEST_F(WavExportTest, ALongRangeGoesOutHeaderFirstInPiecesThatReadBack) {
    Make({"A", "B"}, 0.00001, 150000);  // more than two pieces of frames
    RecordingSink sink;
    WriteSamplesWav(sink, signals_, WholeRun(signals_));
    ASSERT_GE(sink.Writes.size(), 4u) << "header and at least three pieces";
    const std::string& header = sink.Writes.front();
    EXPECT_EQ(header.substr(0, 4), "RIFF");
    EXPECT_EQ(header.substr(header.size() - 8, 4), "data") << "the header alone comes first";
    std::string all;
    for (const std::string& piece : sink.Writes) all += piece;
    EXPECT_EQ(all.size(), header.size() + 150000u * 2 * 4);
    std::ofstream(Path("long.wav"), std::ios::binary) << all;
    const TWavContent wav = ReadWav(Path("long.wav"));
    EXPECT_EQ(wav.Info.samplerate, 100000);
    EXPECT_EQ(wav.Info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_EQ(wav.Info.frames, 150000);
    for (int q : {0, 65535, 65536, 131072, 149999})
        for (int s = 0; s < 2; ++s)
            EXPECT_EQ(wav.Frames[q * 2 + s], static_cast<float>(Sample(s, q))) << s << " " << q;
}

TEST_F(WavExportTest, SameSamplesGiveTheSameBytes) {
    Make({"A"}, 0.001, 100);
    WriteSamplesWav(Path("1.wav"), signals_, WholeRun(signals_));
    WriteSamplesWav(Path("2.wav"), signals_, WholeRun(signals_));
    EXPECT_EQ(ReadAll(Path("1.wav")), ReadAll(Path("2.wav")));
}

TEST_F(WavExportTest, RefusedRateLeavesTheOldFileAlone) {
    Make({"A"}, 3, 10);  // a third of a hertz
    std::ofstream(Path("old.wav")) << "old";
    EXPECT_THROW(WriteSamplesWav(Path("old.wav"), signals_, WholeRun(signals_)), ERangeError);
    EXPECT_EQ(ReadAll(Path("old.wav")), "old");
}

TEST_F(WavExportTest, TooManyChannelsAreRefused) {
    std::vector<std::string> names;
    for (int i = 0; i <= kMaxWavChannels; ++i) names.push_back("S" + std::to_string(i));
    Make(names, 0.001, 10);
    EXPECT_THROW(WriteSamplesWav(Path("many.wav"), signals_, WholeRun(signals_)), ERangeError);
    EXPECT_FALSE(std::filesystem::exists(Path("many.wav")));
}

// The checks the window and --wav share, made before any file is asked for: CSV takes anything,
// WAV refuses a rate or a size it cannot hold and warns of a rate that drifts.
TEST_F(WavExportTest, OneCheckBeforeAnyFileForTheWindowAndTheCommandLine) {
    Make({"A", "B"}, 0.001, 10);
    EXPECT_TRUE(CheckDataExport(signals_, WholeRun(signals_), TDataFormat::Wav).Ok());
    EXPECT_TRUE(CheckDataExport(signals_, WholeRun(signals_), TDataFormat::Wav).Warning.empty());
    Make({"A"}, 3, 10);
    EXPECT_TRUE(CheckDataExport(signals_, WholeRun(signals_), TDataFormat::Csv).Ok());
    EXPECT_FALSE(CheckDataExport(signals_, WholeRun(signals_), TDataFormat::Wav).Ok());
    Make({"A"}, 0.00003, 10);  // 33333.3 Hz
    const TDataExportCheck drift = CheckDataExport(signals_, WholeRun(signals_), TDataFormat::Wav);
    EXPECT_TRUE(drift.Ok());
    EXPECT_FALSE(drift.Warning.empty());
    EXPECT_EQ(drift.WavRate, 33333) << drift.Warning;

    std::vector<std::string> names;
    for (int i = 0; i <= kMaxWavChannels; ++i) names.push_back("S" + std::to_string(i));
    Make(names, 0.001, 10);
    const TDataExportCheck many = CheckDataExport(signals_, WholeRun(signals_), TDataFormat::Wav);
    EXPECT_NE(many.Refusal.find(std::to_string(kMaxWavChannels)), std::string::npos)
        << many.Refusal;
    TDataRange range = WholeRun(signals_);
    EXPECT_EQ(DataExportStatus(range, "/tmp/out.csv"),
              "Записано отсчетов: 10 × 1025 в /tmp/out.csv");
}

struct TRateCase {
    double QuantTime;
    int Rate;  // 0: refused
    bool Inexact;
};

class WavRateTest : public ExportFixture, public ::testing::WithParamInterface<TRateCase> {};

TEST_P(WavRateTest, IsTheNearestWholeHertzWithAWarningWhenTimeWouldDrift) {
    Make({"A"}, GetParam().QuantTime, 10);
    const TWavRate rate = WavRateOf(signals_);
    EXPECT_EQ(rate.Rate, GetParam().Rate);
    EXPECT_EQ(rate.Refusal.empty(), GetParam().Rate != 0) << rate.Refusal;
    if (GetParam().Rate == 0) return;
    EXPECT_EQ(rate.Inexact, GetParam().Inexact);
    EXPECT_NE(rate.Warning().find(std::to_string(GetParam().Rate) + " Гц"), std::string::npos)
        << rate.Warning();
}

INSTANTIATE_TEST_SUITE_P(
    QuantTimes, WavRateTest,
    ::testing::Values(TRateCase{0.0001, 10000, false}, TRateCase{0.000125, 8000, false},
                      TRateCase{0.000001, 1000000, false}, TRateCase{0.000023, 43478, true},
                      TRateCase{0.000006, 166667, true}, TRateCase{1, 1, false},
                      TRateCase{1.5, 1, true}, TRateCase{2.5, 0, false}, TRateCase{3, 0, false}));

class WavRateTextTest : public ExportFixture {};

// The model computes with the quantum to 15 digits; the user reads the rate of the quantum the
// document holds, in the shortest text that reads back to it. The parameters dialog keeps
// quanta to whole microseconds; a document file may hold any quantum.
TEST_F(WavRateTextTest, RatesReadAsShortAsTheyReadBack) {
    MemorySink sink;
    {
        TValueWriter writer(sink);
        writer.WriteFloat(1 / 44100.7);
        writer.WriteFloat(10 / 44100.7);
        writer.WriteListBegin();
        writer.WriteListEnd();
        writer.FlushBuffer();
    }
    MemorySource source(sink.bytes);
    TValueReader reader(source);
    signals_.ReadFrom(reader, 0);
    const TWavRate rate = WavRateOf(signals_);
    EXPECT_TRUE(rate.Inexact);
    EXPECT_EQ(rate.Warning(),
              "Частота отсчетов модели 44100.7 Гц не целая; WAV будет записан с частотой 44101 Гц, "
              "и время в нем разойдется со временем модели");
    Make({"A"}, 0.000001, 10);
    const std::string million = "Частота отсчетов модели 1000000 Гц";
    EXPECT_EQ(WavRateOf(signals_).Warning().substr(0, million.size()), million);
    Make({"A"}, 4, 10);
    EXPECT_EQ(WavRateOf(signals_).Refusal,
              "Частоту отсчетов модели 0.25 Гц в WAV не записать: файл хранит частоты от 1 до "
              "1048575 Гц");
}

}  // namespace
}  // namespace kvaril
