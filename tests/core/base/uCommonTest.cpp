#include "base/uCommon.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cmath>

namespace kvaril {
namespace {

TEST(Round, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(Round(0.5L), 0);
    EXPECT_EQ(Round(1.5L), 2);
    EXPECT_EQ(Round(2.5L), 2);
    EXPECT_EQ(Round(-0.5L), 0);
    EXPECT_EQ(Round(-1.5L), -2);
    EXPECT_EQ(Round(2.4999L), 2);
    EXPECT_EQ(Round(-2.6L), -3);
}

TEST(Round, UnrepresentableValuesGiveTheIntegerIndefinite) {
    EXPECT_EQ(Round(1e30L), INT64_MIN);
    EXPECT_EQ(Round(-1e30L), INT64_MIN);
    EXPECT_EQ(Round(NAN), INT64_MIN);
}

struct FormatCase {
    long double value;
    int precision;
    const char* text;
};

TEST(FormatFloat, GeneralFormatWithFifteenOrFourDigits) {
    const FormatCase cases[] = {
        {0, 15, "0"},
        {0.0001L, 15, "0.0001"},
        {0.00001L, 15, "1E-5"},
        {0.000001L, 15, "1E-6"},
        {1.5e20L, 15, "1.5E20"},
        {0.1, 15, "0.1"},  // the double 0.1, not the extended one
        {100, 15, "100"},
        {-2.5L, 15, "-2.5"},
        {123456789012345.0L, 15, "123456789012345"},
        {1e15L, 15, "1E15"},
        {2.0 / 3.0, 15, "0.666666666666667"},
        {0.000000005, 15, "5E-9"},
        {-0.00012, 15, "-0.00012"},
        {1.25e-7L, 15, "1.25E-7"},
        {3.14159L, 4, "3.142"},
        {12346, 4, "1.235E4"},
        {1000, 4, "1000"},
        {9999.7L, 4, "1E4"},  // rounding carries into a fifth integer digit
        {0.000123456L, 4, "0.0001235"},
        {0.5L, 4, "0.5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFloat(c.value, c.precision), c.text) << "precision " << c.precision;
    EXPECT_EQ(FormatFloat4(4), "4");
}

TEST(FormatFloat, NonFiniteValuesHaveWords) {
    EXPECT_EQ(FormatFloat(NAN), "NAN");
    EXPECT_EQ(FormatFloat(INFINITY), "INF");
    EXPECT_EQ(FormatFloat(-INFINITY), "-INF");
}

TEST(FormatFloat, IgnoresTheProcessLocale) {
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    if (std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") || std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        EXPECT_EQ(FormatFloat(1.5L), "1.5");
        EXPECT_EQ(StrToFloatDefault("1.5", 0), 1.5);
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(FormatShortest, ReadsBackToTheSameDouble) {
    for (double x : {0.1, 1.0 / 3, -2.5e-300, 1e21, 0.015000000000000001, 123456789.125}) {
        const std::string text = FormatShortest(x);
        EXPECT_EQ(StrToFloatDefault(text, NAN), x) << text;
    }
    EXPECT_EQ(FormatShortest(0.1), "0.1");
    EXPECT_EQ(FormatShortest(-4), "-4");
    EXPECT_EQ(FormatShortest(NAN), "nan");
}

// 0/0 on this machine is a NaN with its sign bit set; no reader should see a "-nan".
TEST(FormatShortest, NonFiniteValuesHaveOneTextEach) {
    volatile double zero = 0;
    const double computed = zero / zero;
    EXPECT_EQ(FormatShortest(computed), "nan");
    EXPECT_EQ(FormatShortest(std::copysign(NAN, -1.0)), "nan");
    EXPECT_EQ(FormatShortest(std::copysign(NAN, 1.0)), "nan");
    EXPECT_EQ(FormatShortest(INFINITY), "inf");
    EXPECT_EQ(FormatShortest(-INFINITY), "-inf");
}

TEST(FormatShortestPlain, HasTheShortestDigitsInPlainDecimals) {
    for (double x :
         {1e6, 44100.7, 0.00002, -1.0 / 3, 1e-5, 123456789012345.6, 0.0, 1.5e-7, 2.5e20, -3e300}) {
        const std::string text = FormatShortestPlain(x);
        EXPECT_EQ(StrToFloatDefault(text, NAN), x) << text;
        const bool plain = std::fabs(x) == 0 || (std::fabs(x) >= 1e-5 && std::fabs(x) < 1e15);
        EXPECT_EQ(text.find('e') == std::string::npos, plain) << text;
    }
    EXPECT_EQ(FormatShortestPlain(1e6), "1000000");
    EXPECT_EQ(FormatShortestPlain(0.00002), "0.00002");
    EXPECT_EQ(FormatShortestPlain(1.0 / 3), "0.3333333333333333");
    EXPECT_EQ(FormatShortestPlain(1.5e-7), "1.5e-07");
    EXPECT_EQ(FormatShortestPlain(std::copysign(NAN, -1.0)), "nan");
}

TEST(CsvField, QuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(CsvField("Sine"), "Sine");
    EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
    EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
}

TEST(StrToFloatDefault, AcceptsDecimalNumbers) {
    EXPECT_EQ(StrToFloatDefault("1.5", 9), 1.5);
    EXPECT_EQ(StrToFloatDefault("  2 ", 9), 2);
    EXPECT_EQ(StrToFloatDefault("-3e2", 9), -300);
    EXPECT_EQ(StrToFloatDefault("+4", 9), 4);
    EXPECT_EQ(StrToFloatDefault(".5", 9), 0.5);
    EXPECT_EQ(StrToFloatDefault("5.", 9), 5);
    EXPECT_EQ(StrToFloatDefault("1E-6", 9), 0.000001);
    EXPECT_EQ(StrToFloatDefault("0.0001", 9), 0.0001);
}

TEST(StrToFloatDefault, AnythingElseGivesTheDefault) {
    for (const char* text : {"", " ", "abc", "1,5", "1e", "e5", ".", "-", "1.5x", "inf", "nan",
                             "0x10", "1e400", "--1", "1 2"})
        EXPECT_EQ(StrToFloatDefault(text, 7.25), 7.25) << '"' << text << '"';
}

TEST(SearchFrom, FindsTheFirstWholeMatchAtOrAfterStart) {
    EXPECT_EQ(SearchFrom("b", "abcb", 1), 2);
    EXPECT_EQ(SearchFrom("b", "abcb", 3), 4);
    EXPECT_EQ(SearchFrom("b", "abcb", 0), 2);
    EXPECT_EQ(SearchFrom("b", "abcb", -5), 2);
    EXPECT_EQ(SearchFrom("cb", "abcb", 1), 3);
    EXPECT_EQ(SearchFrom("x", "abcb", 1), 0);
    EXPECT_EQ(SearchFrom("b", "abcb", 5), 0);
    EXPECT_EQ(SearchFrom("abcbx", "abcb", 1), 0);
    EXPECT_EQ(SearchFrom("aa", "aaa", 2), 2);
}

TEST(SplitLines, EachKindOfLineBreakEndsOneLine) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(SplitLines("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitLines("a\rb"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitLines("a\nb\n"), (Lines{"a", "b"}));
    EXPECT_EQ(SplitLines("a\n\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines("a\r\n\r\n"), (Lines{"a", ""}));
    EXPECT_EQ(SplitLines("\r\n"), (Lines{""}));
    EXPECT_EQ(SplitLines(""), (Lines{}));
}

TEST(SplitLines, TextEndsAtTheFirstNul) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(SplitLines(std::string_view("a\r\nb\0c\r\nd", 9)), (Lines{"a", "b"}));
    EXPECT_EQ(SplitLines(std::string_view("\0abc", 4)), (Lines{}));
}

TEST(JoinLines, EveryLineGetsCrLf) {
    EXPECT_EQ(JoinLines({}), "");
    EXPECT_EQ(JoinLines({""}), "\r\n");
    EXPECT_EQ(JoinLines({"a", "b"}), "a\r\nb\r\n");
}

}  // namespace
}  // namespace kvaril
