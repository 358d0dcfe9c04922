// Reading the samples CSV back and comparing a run with it (`--against`, `--reference`).

#include "model/SampleCsv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>

#include "HandRun.h"
#include "document/uSignal.h"
#include "model/BatchRun.h"
#include "model/uSignalsData.h"

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
        Malformed{"OpenQuote", "t,\"A\n0,1\n", "строка 1: кавычка не закрыта"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(SampleCsv, AFileThatCannotBeReadIsNamed) {
    try {
        ReadSamplesCsv("/nonexistent/golden.csv");
        FAIL();
    } catch (const ECsvError& e) {
        EXPECT_EQ(std::string(e.what()), "Файл /nonexistent/golden.csv: не удается прочитать");
    }
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
        path = ::testing::TempDir() + "kvaril_against.csv";
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
