// Value lists and ranges of a sweep, the runs they make and the texts each run compiles.

#include "sweep/SweepValues.h"

#include <gtest/gtest.h>

#include <memory>

#include "base/uCommon.h"
#include "document/uSignal.h"
#include "sweep/SweepPlan.h"

namespace kvaril {
namespace {

struct TValuesCase {
    const char* Text;
    std::vector<double> Values;
    bool Logarithmic;
};

class SweepValuesParse : public ::testing::TestWithParam<TValuesCase> {};

TEST_P(SweepValuesParse, ListsAndRanges) {
    TSweepValues values;
    std::string error;
    ASSERT_TRUE(ParseSweepValues(GetParam().Text, values, error)) << error;
    EXPECT_EQ(values.Values, GetParam().Values);
    EXPECT_EQ(values.Logarithmic, GetParam().Logarithmic);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SweepValuesParse,
    ::testing::Values(TValuesCase{"1000", {1000}, false},
                      TValuesCase{"3, -2.5e-3 ,1E6", {3, -2.5e-3, 1e6}, false},
                      TValuesCase{"0:1:5", {0, 0.25, 0.5, 0.75, 1}, false},
                      TValuesCase{"10:-10:3", {10, 0, -10}, false},
                      TValuesCase{"1:1000:4log", {1, 10, 100, 1000}, true},
                      // Inner values of a range are rounded to six digits; the ends are exact.
                      TValuesCase{"500:4000:8log",
                                  {500, 672.95, 905.724, 1219.01, 1640.67, 2208.18, 2971.99, 4000},
                                  true},
                      TValuesCase{"0.1:0.3:3", {0.1, 0.2, 0.3}, false}));

class SweepValuesRefuse : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(SweepValuesRefuse, WithTheReason) {
    TSweepValues values;
    values.Values = {42};
    std::string error;
    EXPECT_FALSE(ParseSweepValues(GetParam().first, values, error));
    EXPECT_NE(error.find(GetParam().second), std::string::npos) << error;
    EXPECT_TRUE(values.Values.empty()) << "a refused text leaves no values behind";
}

INSTANTIATE_TEST_SUITE_P(
    Table, SweepValuesRefuse,
    ::testing::Values(std::pair{"", "пустое значение"}, std::pair{"1,,2", "пустое значение"},
                      std::pair{"1,x", "не число: x"}, std::pair{"nan", "не число"},
                      std::pair{"1e999", "не число"}, std::pair{"1,2,1", "1 повторяется"},
                      std::pair{"5:5:3", "пустой диапазон"}, std::pair{"1:2:1", "от 2 до"},
                      std::pair{"1:2:0", "от 2 до"}, std::pair{"1:2:2.5", "от 2 до"},
                      std::pair{"1:2:1000", "от 2 до"}, std::pair{"1:2", "ОТ:ДО:ЧИСЛО"},
                      std::pair{"1:2:3:4", "ОТ:ДО:ЧИСЛО"}, std::pair{"0:10:3log", "положительного"},
                      std::pair{"-1:-10:3log", "положительного"},
                      std::pair{"1:1.000001:200", "мельче шести"}));

TEST(SweepValues, LiteralsReadBackToTheSameNumber) {
    for (double v : {3000.0, 0.1, -2.5e-3, 1e-7, 1e20, 672.95, 1.0 / 3}) {
        const std::string literal = SweepLiteral(v);
        EXPECT_EQ(StrToFloatDefault(literal, -1), v) << literal;
    }
    EXPECT_EQ(SweepLiteral(3000), "3000");
    EXPECT_EQ(SweepLiteral(0.5), "0.5");
}

class SweepPlanTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Add("Gen", "const\n  Fc = 1000;\n  Q: Double = 0.7;");
        Add("Filt", "const Fc = 50; Gain = 2 * Pi;");
        signals_.SetQuantTime(0.001);
        signals_.SetTotalTime(0.5);
    }
    void Add(const std::string& name, const std::string& text) {
        auto signal = std::make_unique<TSignal>(signals_);
        signal->SetName(name);
        signal->Lines() = SplitLines(text);
        signals_.Insert(std::move(signal), -1);
    }
    TSignals signals_;
    TSweep sweep_;
    std::string error_;
};

TEST_F(SweepPlanTest, TwoParametersMakeEveryCombinationFirstSlowest) {
    ASSERT_TRUE(AddSweepParameter(signals_, "Gen.Fc=1,2", sweep_, error_)) << error_;
    ASSERT_TRUE(AddSweepParameter(signals_, "Gen.Q=0.5,0.6,0.7", sweep_, error_)) << error_;
    ASSERT_EQ(sweep_.RunCount(), 6);
    EXPECT_EQ(sweep_.ValuesOf(0), (std::vector<double>{1, 0.5}));
    EXPECT_EQ(sweep_.ValuesOf(2), (std::vector<double>{1, 0.7}));
    EXPECT_EQ(sweep_.ValuesOf(3), (std::vector<double>{2, 0.5}));
    EXPECT_EQ(sweep_.RunLabel(5), "Fc=2@Q=0.7");
    EXPECT_EQ(sweep_.DisplayLabel(5), "Fc = 2, Q = 0.7") << "the legend's form";
}

TEST_F(SweepPlanTest, NamesThatReadAlikeAreQualified) {
    ASSERT_TRUE(AddSweepParameter(signals_, "Gen.Fc=1,2", sweep_, error_)) << error_;
    EXPECT_EQ(sweep_.RunLabel(0), "Fc=1");
    ASSERT_TRUE(AddSweepParameter(signals_, "Filt.Fc=10:20:2", sweep_, error_)) << error_;
    EXPECT_EQ(sweep_.RunLabel(1), "Gen.Fc=1@Filt.Fc=20");
    EXPECT_EQ(sweep_.DisplayLabel(1), "Gen.Fc = 1, Filt.Fc = 20");
}

TEST_F(SweepPlanTest, RefusesBeforeAnythingRuns) {
    const auto refused = [&](std::initializer_list<const char*> options) {
        TSweep sweep;
        std::string error;
        for (const char* option : options)
            if (!AddSweepParameter(signals_, option, sweep, error)) return error;
        return std::string();
    };
    EXPECT_NE(refused({"Gen.Fc"}).find("Сигнал.Имя=значения"), std::string::npos);
    EXPECT_NE(refused({"Gen.Xx=1"}).find("нет константы Xx"), std::string::npos);
    EXPECT_NE(refused({"Filt.Gain=1"}).find("не число"), std::string::npos);
    EXPECT_NE(refused({"Gen.Fc=1:1:2"}).find("Значения Gen.Fc: пустой диапазон"),
              std::string::npos);
    EXPECT_NE(refused({"Gen.Fc=1,2", "Gen.fc=3"}).find("задана дважды"), std::string::npos);
    EXPECT_NE(refused({"Gen.Fc=1,2", "Gen.Q=1,2", "Filt.Fc=1"}).find("не больше двух"),
              std::string::npos);
    EXPECT_NE(refused({"Gen.Fc=1:200:200", "Gen.Q=1,2"}).find("Слишком много прогонов: 400"),
              std::string::npos);
}

TEST_F(SweepPlanTest, EachRunsDocumentDiffersOnlyInItsLiterals) {
    ASSERT_TRUE(AddSweepParameter(signals_, "Filt.Fc=75,1e-07", sweep_, error_)) << error_;
    TSignals copy;
    SweepDocument(signals_, sweep_, 1, copy);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Items(0).Lines(), signals_.Items(0).Lines());
    EXPECT_EQ(copy.Items(1).Lines(), SplitLines("const Fc = 1e-07; Gain = 2 * Pi;"));
    EXPECT_EQ(copy.Items(1).Name(), "Filt");
    EXPECT_EQ(copy.QuantTime(), signals_.QuantTime());
    EXPECT_EQ(copy.QuantCount(), signals_.QuantCount());
    EXPECT_EQ(signals_.Items(1).Lines(), SplitLines("const Fc = 50; Gain = 2 * Pi;"))
        << "the document itself never changes";
}

}  // namespace
}  // namespace kvaril
