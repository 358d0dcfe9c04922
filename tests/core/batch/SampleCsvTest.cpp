// Reading the samples CSV back and comparing a run with it (`--against`, `--reference`).

#include "batch/SampleCsv.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>

#include "HandRun.h"
#include "batch/BatchRun.h"
#include "document/uSignal.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(SampleCsv, ReadsWhatTheWriterWrites) {
    const TSampleTable t = ParseSamplesCsv("t,A,\"B,\"\"q\"\"\"\n0,1.5,-2\n0.1,nan,inf\n");
    EXPECT_EQ(t.Names, (std::vector<std::string>{"A", "B,\"q\""}));
    EXPECT_EQ(t.Times, (std::vector<double>{0, 0.1}));
    EXPECT_EQ(t.Columns[0][0], 1.5);
    EXPECT_TRUE(std::isnan(t.Columns[0][1]));
    EXPECT_EQ(t.Columns[1][1], kInf);
}

TEST(SampleCsv, AcceptsAByteOrderMarkAndCrLf) {
    const TSampleTable t = ParseSamplesCsv("\xEF\xBB\xBFt,A\r\n0,1\r\n1,2\r\n");
    EXPECT_EQ(t.Names, (std::vector<std::string>{"A"}));
    EXPECT_EQ(t.Columns[0], (std::vector<double>{1, 2}));
}

TEST(SampleCsv, AFileWithoutTrailingLineEndAndOnlyAHeader) {
    EXPECT_EQ(ParseSamplesCsv("t,A\n0,1").Times.size(), 1u);
    EXPECT_TRUE(ParseSamplesCsv("t,A\n").Times.empty());
}

struct Malformed {
    const char* Name;
    const char* Text;
    const char* Reason;
};

class MalformedCsv : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedCsv, IsRefusedWithTheReason) {
    try {
        ParseSamplesCsv(GetParam().Text);
        FAIL() << "accepted";
    } catch (const ECsvError& e) {
        EXPECT_EQ(std::string(e.what()), GetParam().Reason);
    }
}

INSTANTIATE_TEST_SUITE_P(
    SampleCsv, MalformedCsv,
    ::testing::Values(
        Malformed{"Empty", "", "файл пуст"}, Malformed{"OnlyBlankLines", "\r\n\n", "файл пуст"},
        Malformed{"NoTimeColumn", "x,A\n0,1\n", "строка 1: первый столбец должен называться t"},
        Malformed{"MissingColumn", "t,A,B\n0,1,2\n1,2\n", "строка 3: полей 2, а в заголовке 3"},
        Malformed{"ExtraField", "t,A\n0,1,2\n", "строка 2: полей 3, а в заголовке 2"},
        Malformed{"BadNumber", "t,A\n0,1x\n", "строка 2, столбец 2: не число \"1x\""},
        Malformed{"EmptyNumber", "t,A\n0,\n", "строка 2, столбец 2: не число \"\""},
        Malformed{"CommaDecimal", "t,A\n0,\"1,5\"\n", "строка 2, столбец 2: не число \"1,5\""},
        Malformed{"BlankLineInside", "t,A\n0,1\n\n1,2\n", "строка 3: полей 1, а в заголовке 2"},
        Malformed{"OpenQuote", "t,\"A\n0,1\n", "строка 1: кавычка не закрыта"},
        Malformed{"OnlyATimeColumn", "t\n0\n0.1\n",
                  "строка 1: в файле нет столбцов сигналов, только t"},
        Malformed{"BlankFirstLine", "\nt,A\n0,1\n", "строка 1: первый столбец должен называться t"},
        Malformed{"BlankLinesThenARow", "t,A\n0,1\r\n\r\n\n1,2\n",
                  "строка 3: полей 1, а в заголовке 2"}),
    [](const auto& info) { return std::string(info.param.Name); });

// Golden files that are no table: each refused with its own reason, before anything is read
// (a pipe with no writer, /dev/zero and a folder would otherwise block, never end or read empty).
enum class TGolden { Missing, Folder, Fifo, DevZero, DevNull, Empty, OnlyTime, Text };

struct TGoldenCase {
    const char* Name;
    TGolden Kind;
    const char* Message;  // PATH stands for the file's path
};

class GoldenFileTest : public ::testing::TestWithParam<TGoldenCase> {
  protected:
    void SetUp() override {
        dir_ = ::testing::TempDir() + "kvaril-golden-" + std::to_string(::getpid()) + "/";
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Make() {
        const std::string path = dir_ + "golden.csv";
        switch (GetParam().Kind) {
            case TGolden::Missing:
                return path;
            case TGolden::Folder:
                std::filesystem::create_directory(path);
                return path;
            case TGolden::Fifo:
                EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
                return path;
            case TGolden::DevZero:
                return "/dev/zero";
            case TGolden::DevNull:
                return "/dev/null";
            case TGolden::Empty:
                std::ofstream(path).flush();
                return path;
            case TGolden::OnlyTime:
                std::ofstream(path) << "t\n0\n0.001\n";
                return path;
            case TGolden::Text:
                std::ofstream(path) << "t,A\n0,1\n0.001,zwei\n";
                return path;
        }
        return path;
    }
    std::string dir_;
};

TEST_P(GoldenFileTest, IsRefusedWithItsOwnReason) {
    const std::string path = Make();
    std::string expected = GetParam().Message;
    expected.replace(expected.find("PATH"), 4, path);
    try {
        ReadSamplesCsv(path);
        FAIL() << "accepted";
    } catch (const ECsvError& e) {
        EXPECT_EQ(std::string(e.what()), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    SampleCsv, GoldenFileTest,
    ::testing::Values(
        TGoldenCase{"Missing", TGolden::Missing,
                    "Не удается открыть файл PATH: нет такого файла или папки"},
        TGoldenCase{"Folder", TGolden::Folder, "Не удается открыть файл PATH: это папка"},
        TGoldenCase{"Fifo", TGolden::Fifo, "Не удается открыть файл PATH: это не обычный файл"},
        TGoldenCase{"DevZero", TGolden::DevZero,
                    "Не удается открыть файл PATH: это не обычный файл"},
        TGoldenCase{"DevNull", TGolden::DevNull,
                    "Не удается открыть файл PATH: это не обычный файл"},
        TGoldenCase{"Empty", TGolden::Empty, "Файл PATH: файл пуст"},
        TGoldenCase{"OnlyATimeColumn", TGolden::OnlyTime,
                    "Файл PATH: строка 1: в файле нет столбцов сигналов, только t"},
        TGoldenCase{"NotANumber", TGolden::Text,
                    "Файл PATH: строка 3, столбец 2: не число \"zwei\""}),
    [](const auto& info) { return std::string(info.param.Name); });

// The file is read in pieces: rows that cross from one piece to the next read as whole rows.
TEST(SampleCsv, AFileLargerThanAPieceReadsAsItsText) {
    std::string text = "t,\"A,1\",B\r\n";
    for (int q = 0; q < 20000; ++q)
        text += FormatShortest(q * 0.001) + "," + FormatShortest(std::sin(q * 0.7)) + "," +
                FormatShortest(q * 1e-9 + 3) + "\r\n";
    text += "\n\n";
    const std::string path = ::testing::TempDir() + "kvaril_pieces.csv";
    std::ofstream(path, std::ios::binary) << text;
    const TSampleTable read = ReadSamplesCsv(path);
    std::remove(path.c_str());
    const TSampleTable parsed = ParseSamplesCsv(text);
    ASSERT_GT(text.size(), 4u << 16) << "several pieces";
    EXPECT_EQ(read.Names, (std::vector<std::string>{"A,1", "B"}));
    ASSERT_EQ(read.Times.size(), 20000u);
    EXPECT_EQ(read.Times, parsed.Times);
    EXPECT_EQ(read.Columns, parsed.Columns);
    for (int q = 0; q < 20000; q += 997) EXPECT_EQ(read.Columns[0][q], std::sin(q * 0.7));
}

struct ToleranceCase {
    double Run, Golden, Tolerance;
    bool Match;
};

class Tolerance : public ::testing::TestWithParam<ToleranceCase> {};

TEST_P(Tolerance, Edges) {
    const ToleranceCase& c = GetParam();
    EXPECT_EQ(SamplesMatch(c.Run, c.Golden, c.Tolerance), c.Match)
        << c.Run << " vs " << c.Golden << " within " << c.Tolerance;
}

INSTANTIATE_TEST_SUITE_P(
    SampleCsv, Tolerance,
    ::testing::Values(ToleranceCase{1, 1, 0, true},
                      ToleranceCase{1, std::nextafter(1.0, 2.0), 0, false},
                      ToleranceCase{1.5, 1.25, 0.25, true},  // exactly at the tolerance
                      ToleranceCase{1.5, 1.25, std::nextafter(0.25, 0.0), false},
                      ToleranceCase{-0.0, 0.0, 0, true}, ToleranceCase{kNaN, kNaN, 0, true},
                      ToleranceCase{kNaN, 1, 1e300, false}, ToleranceCase{1, kNaN, 1e300, false},
                      ToleranceCase{kInf, kInf, 0, true}, ToleranceCase{kInf, -kInf, 1e300, false},
                      ToleranceCase{kInf, 1e308, 1e308, false}));

TEST(SampleCsv, ToleranceText) {
    double t = -1;
    EXPECT_TRUE(ParseTolerance("1e-9", t));
    EXPECT_EQ(t, 1e-9);
    EXPECT_TRUE(ParseTolerance("0", t));
    for (const char* bad : {"", "-1", "nan", "inf", "1e-9x", "small"})
        EXPECT_FALSE(ParseTolerance(bad, t)) << bad;
}

// A run of A = sin, B = q; written by WriteSamplesCsv and read back.
struct Against : ::testing::Test {
    void SetUp() override {
        MakeHandRun(signals, {"A", "B"}, 0.001, 0.02,
                    [](int s, int q) { return s == 0 ? std::sin(q * 0.3) : q; });
        // CTest runs the cases in parallel processes: each has a file of its own.
        path = ::testing::TempDir() + "kvaril_against_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".csv";
        WriteSamplesCsv(path, signals);
        golden = ReadSamplesCsv(path);
    }
    void TearDown() override { std::remove(path.c_str()); }
    TSignals signals;
    std::string path;
    TSampleTable golden;
};

TEST_F(Against, TheRunItWroteIsEqual) {
    const TComparison c = CompareWithTable(signals, golden, 0);
    EXPECT_TRUE(c.Equal()) << c.StructureError << c.FirstDifference;
}

TEST_F(Against, DifferencesAreCountedAndTheFirstIsNamed) {
    signals.Data().SetData(1, 5, 5.5);
    signals.Data().SetData(0, 7, kNaN);
    const TComparison c = CompareWithTable(signals, golden, 0.1);
    EXPECT_EQ(c.Differences, 2);
    EXPECT_EQ(c.FirstDifference, "Сигнал B, t = 0.005: получено 5.5, ожидалось 5");
    EXPECT_EQ(CompareWithTable(signals, golden, 0.5).Differences, 1) << "NaN against a number";
}

TEST_F(Against, NaNInBothIsEqual) {
    signals.Data().SetData(0, 3, kNaN);
    golden.Columns[0][3] = kNaN;
    EXPECT_TRUE(CompareWithTable(signals, golden, 0).Equal());
}

TEST_F(Against, ColumnsRowsAndTimesMustFit) {
    TSampleTable missing = golden;
    missing.Names[1] = "Gone";
    EXPECT_EQ(CompareWithTable(signals, missing, 0).StructureError, "сигнала Gone нет в модели");

    TSampleTable extraRow = golden;
    extraRow.Times.push_back(1);
    for (auto& column : extraRow.Columns) column.push_back(0);
    EXPECT_EQ(CompareWithTable(signals, extraRow, 0).StructureError,
              "строк с отсчетами 21, а в модели 20");

    TSampleTable shifted = golden;
    shifted.Times[4] = 0.0041;
    EXPECT_EQ(CompareWithTable(signals, shifted, 0).StructureError,
              "строка 6: t = 0.0041, а в модели t = 0.004");

    TSampleTable subset = golden;  // fewer columns than signals is fine
    subset.Names.pop_back();
    subset.Columns.pop_back();
    EXPECT_TRUE(CompareWithTable(signals, subset, 0).Equal());
}

// The golden file's text with its columns in another order (`order` lists, for each new
// column, the old one it takes; 0 is t), the names travelling with their values.
std::string ReorderColumns(const std::string& text, const std::vector<size_t>& order) {
    std::istringstream in(text);
    std::string out;
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');) fields.push_back(cell);
        for (size_t i = 0; i < order.size(); ++i) out += (i > 0 ? "," : "") + fields.at(order[i]);
        out += "\n";
    }
    return out;
}

// The comparison made while reading the file says what the one over the whole table says.
TEST_F(Against, ReadAsItIsComparedTheFileGivesTheTablesVerdict) {
    std::ifstream in(path);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    auto both = [&](const std::string& golden, double tolerance) {
        const std::string file = path + ".golden";
        std::ofstream(file) << golden;
        const TComparison streamed = CompareWithCsvFile(signals, file, tolerance);
        const TComparison whole = CompareWithTable(signals, ParseSamplesCsv(golden), tolerance);
        std::remove(file.c_str());
        EXPECT_EQ(streamed.StructureError, whole.StructureError);
        EXPECT_EQ(streamed.Differences, whole.Differences);
        EXPECT_EQ(streamed.FirstDifference, whole.FirstDifference);
        return streamed;
    };
    EXPECT_TRUE(both(text, 0).Equal());
    signals.Data().SetData(1, 5, 5.5);
    signals.Data().SetData(0, 7, kNaN);
    EXPECT_EQ(both(text, 0.1).Differences, 2);
    EXPECT_EQ(both(ReorderColumns(text, {0, 2, 1}), 0.1).Differences, 2);
    // Each fault of structure, alone and together with differences before it.
    EXPECT_EQ(both(text + "1,0,0\n", 0).StructureError, "строк с отсчетами 21, а в модели 20");
    std::string shifted = text;
    shifted.replace(shifted.find("\n0.004,"), 7, "\n0.0041,");
    EXPECT_EQ(both(shifted, 0).StructureError, "строка 6: t = 0.0041, а в модели t = 0.004");
    EXPECT_EQ(both(shifted + "1,0,0\n", 0).StructureError, "строк с отсчетами 21, а в модели 20")
        << "the count is told before a time";
    std::string renamed = text;
    renamed.replace(0, 5, "t,A,Gone");
    EXPECT_EQ(both(renamed, 0).StructureError, "сигнала Gone нет в модели");

    // A row that is no row is found wherever it is, and named by its line.
    const std::string broken = path + ".broken";
    std::ofstream(broken) << text << "0.02,1,x\n";
    EXPECT_THROW(
        {
            try {
                CompareWithCsvFile(signals, broken, 0);
            } catch (const ECsvError& e) {
                EXPECT_NE(std::string(e.what()).find("строка 22"), std::string::npos) << e.what();
                throw;
            }
        },
        ECsvError);
    EXPECT_EQ(ReadSamplesCsvHeader(path), (std::vector<std::string>{"A", "B"}));
    std::ofstream(broken) << "t\n0\n";
    EXPECT_THROW(ReadSamplesCsvHeader(broken), ECsvError) << "no column of a signal";
    std::remove(broken.c_str());
}

TEST_F(Against, ColumnsAreMatchedByNameNotByPosition) {
    std::ifstream in(path);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_EQ(text.substr(0, 6), "t,A,B\n");

    // B before A: every value still meets its own signal.
    const TSampleTable swapped = ParseSamplesCsv(ReorderColumns(text, {0, 2, 1}));
    ASSERT_EQ(swapped.Names, (std::vector<std::string>{"B", "A"}));
    const TComparison reordered = CompareWithTable(signals, swapped, 0);
    EXPECT_TRUE(reordered.Equal()) << reordered.StructureError << reordered.FirstDifference;

    // The values where they were, the names exchanged: A's column now holds B's samples.
    std::string renamed = text;
    renamed.replace(0, 6, "t,B,A\n");
    const TComparison c = CompareWithTable(signals, ParseSamplesCsv(renamed), 0);
    EXPECT_TRUE(c.StructureError.empty()) << c.StructureError;
    EXPECT_EQ(c.Differences, 2 * 19) << "every row but the first, where both are 0";
}

TEST_F(Against, AColumnGivenTwiceIsNamedAsSuch) {
    TSampleTable twice = golden;
    twice.Names[1] = "A";
    EXPECT_EQ(CompareWithTable(signals, twice, 0).StructureError,
              "столбец A повторяется: в файле столбцов с этим именем 2, а в модели сигналов 1");

    // Two signals of one name: a file the writer made of them has the name twice, rightly.
    TSignals namesakes;
    MakeHandRun(namesakes, {"A", "A"}, 0.001, 0.02, [](int s, int q) { return s * 100 + q; });
    const std::string twins = ::testing::TempDir() + "kvaril_twins.csv";
    WriteSamplesCsv(twins, namesakes);
    const TSampleTable both = ReadSamplesCsv(twins);
    std::remove(twins.c_str());
    EXPECT_TRUE(CompareWithTable(namesakes, both, 0).Equal());
    namesakes.Data().SetData(1, 4, -1);
    EXPECT_EQ(CompareWithTable(namesakes, both, 0).FirstDifference,
              "Сигнал A, t = 0.004: получено -1, ожидалось 104");
}

TEST_F(Against, AGoldenFileBecomesAReferenceRun) {
    golden.Columns[0][2] = 42;
    const TStoredRun run = RunFromTable(signals, golden);
    const std::vector<const double*> rows = ReferenceRows(signals, run);
    ASSERT_NE(rows[0], nullptr);
    EXPECT_EQ(rows[0][2], 42);
    EXPECT_EQ(rows[1][7], 7);
    golden.Times.pop_back();
    EXPECT_THROW(RunFromTable(signals, golden), ECsvError);
}

}  // namespace
}  // namespace kvaril
