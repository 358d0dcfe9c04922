// Which constants of a signal's text a sweep may vary, and that writing a value changes
// nothing else.

#include "sweep/SweepConstants.h"

#include <gtest/gtest.h>

#include <memory>

#include "base/uCommon.h"
#include "document/uSignal.h"

namespace kvaril {
namespace {

struct TFound {
    std::string Name, Value;
    bool Numeric;
    bool operator==(const TFound&) const = default;
};

void PrintTo(const TFound& f, std::ostream* os) {
    *os << f.Name << " = [" << f.Value << "]" << (f.Numeric ? " numeric" : "");
}

struct TConstCase {
    const char* What;
    const char* Text;
    std::vector<TFound> Expected;
};

class SweepConstantsFinds : public ::testing::TestWithParam<TConstCase> {};

TEST_P(SweepConstantsFinds, TheDeclaredConstants) {
    std::vector<TFound> found;
    for (const TSweepConstant& c : FindConstants(SplitLines(GetParam().Text), 3)) {
        found.push_back({c.Name, c.ValueText, c.Numeric});
        EXPECT_EQ(c.Signal, 3);
    }
    EXPECT_EQ(found, GetParam().Expected) << GetParam().What;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SweepConstantsFinds,
    ::testing::Values(
        TConstCase{"untyped", "const Fc = 3000;", {{"Fc", "3000", true}}},
        TConstCase{"typed", "const\n  Fc: Double = 3000.5;", {{"Fc", "3000.5", true}}},
        TConstCase{"negative and exponent",
                   "const A = -1.5e-3; B = +2E6; C = 7e+2;",
                   {{"A", "-1.5e-3", true}, {"B", "+2E6", true}, {"C", "7e+2", true}}},
        TConstCase{"an expression, a string, a hex number and an array are no literal",
                   "const\n  W = 2 * Pi;\n  S = 'a;b';\n  H = $FF;\n"
                   "  T: array[0..1] of Double = (1.0, 2.0);\n  N = 5;",
                   {{"W", "2 * Pi", false},
                    {"S", "'a;b'", false},
                    {"H", "$FF", false},
                    {"T", "(1.0, 2.0)", false},
                    {"N", "5", true}}},
        TConstCase{"a record constant's inner semicolons",
                   "const P: TPoint = (X: 1; Y: 2);\n  K = 4;",
                   {{"P", "(X: 1; Y: 2)", false}, {"K", "4", true}}},
        TConstCase{"comments of all three kinds and strings hide declarations",
                   "{ const A = 1; }\n(* const B = 2;\n C = 3; *)\n// const D = 4;\n"
                   "var S: string = 'const E = 5;';\nconst F = { inline } 6; // 7\n",
                   {{"F", "6", true}}},
        TConstCase{"a comment inside the value spoils nothing but the span",
                   "const G = (* old: 5 *) 6;",
                   {{"G", "6", true}}},
        TConstCase{"a value split over lines is no literal to replace",
                   "const L =\n  -\n  4;",
                   {{"L", "- 4", false}}},
        TConstCase{"const parameters start no section",
                   "procedure P(const X: Double = 2);\nvar Y: Double = 3;",
                   {}},
        TConstCase{"the section ends at the next section word",
                   "const A = 1;\ntype\n  TX = class\n    Value: Double;\n  end;\n"
                   "var B: Integer = 2;\nprocedure Q;\nconst C = 3;\nbegin\nend;",
                   {{"A", "1", true}, {"C", "3", true}}},
        TConstCase{"keywords in any letter case",
                   "CONST A = 1; VAR B: Integer = 2; Const C = 3;",
                   {{"A", "1", true}, {"C", "3", true}}},
        TConstCase{"a range in a type is not a real number",
                   "const R: array[1..3] of Integer = (1, 2, 3); Z = 1.;",
                   {{"R", "(1, 2, 3)", false}, {"Z", "1.", false}}},
        TConstCase{"an unclosed comment ends the text",
                   "const A = 1; { const B = 2;",
                   {{"A", "1", true}}}));

std::unique_ptr<TSignal> Signal(TSignals& owner, const std::string& name, const std::string& text) {
    auto signal = std::make_unique<TSignal>(owner);
    signal->SetName(name);
    signal->Lines() = SplitLines(text);
    return signal;
}

class SweepConstantsInDocument : public ::testing::Test {
  protected:
    void SetUp() override {
        signals_.Insert(Signal(signals_, "A", "const Fc = 1000;\n// Fc\nvar x: Double;"), -1);
        // B reads A's Fc and declares one of its own; C only mentions the name.
        signals_.Insert(Signal(signals_, "B", "const Fc: Double = 2e3; Gain = 2 * Pi;"), -1);
        signals_.Insert(Signal(signals_, "C", "begin Value := Fc; end;"), -1);
        signals_.Insert(Signal(signals_, "D",
                               "procedure P;\nconst K = 1;\nbegin end;\n"
                               "procedure Q;\nconst K = 2;\nbegin end;"),
                        -1);
    }
    std::string Error(const std::string& name) {
        TSweepConstant c;
        std::string error;
        EXPECT_FALSE(FindSweepConstant(signals_, name, c, error)) << name;
        return error;
    }
    TSignals signals_;
};

TEST_F(SweepConstantsInDocument, EachSignalOwnsItsConstants) {
    const std::vector<TSweepConstant> all = FindConstants(signals_);
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(all[0].Signal, 0);
    EXPECT_EQ(all[1].Signal, 1);
    EXPECT_EQ(all[1].Name, "Fc");

    TSweepConstant c;
    std::string error;
    ASSERT_TRUE(FindSweepConstant(signals_, "B.fc", c, error)) << error;
    EXPECT_EQ(c.Signal, 1);
    EXPECT_EQ(c.ValueText, "2e3");
    ASSERT_TRUE(FindSweepConstant(signals_, "A.Fc", c, error)) << error;
    EXPECT_EQ(c.Signal, 0);
}

TEST_F(SweepConstantsInDocument, RefusesWhatItCannotSweepWithTheReason) {
    EXPECT_NE(Error("X.Fc").find("Нет сигнала X"), std::string::npos);
    EXPECT_NE(Error("C.Fc").find("нет константы Fc"), std::string::npos);
    EXPECT_NE(Error("B.Gain").find("не число"), std::string::npos);
    EXPECT_NE(Error("D.K").find("2 раза"), std::string::npos);
    EXPECT_NE(Error("Fc").find("Сигнал.Имя"), std::string::npos);
}

TEST_F(SweepConstantsInDocument, ReplacingTouchesOnlyTheLiteral) {
    const std::vector<std::string> before = SplitLines("const\n  Fc: Double = -3.5e2 ; { Гц }\nx");
    TSweepConstant c = FindConstants(before)[0];
    const std::vector<std::string> after = ReplaceConstant(before, c, "1e-07");
    EXPECT_EQ(after, SplitLines("const\n  Fc: Double = 1e-07 ; { Гц }\nx"));
    // The new text still declares the constant, now with the new value.
    EXPECT_EQ(FindConstants(after)[0].ValueText, "1e-07");
}

}  // namespace
}  // namespace kvaril
