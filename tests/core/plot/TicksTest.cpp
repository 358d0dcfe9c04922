#include "plot/Ticks.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <set>

namespace kvaril {
namespace {

struct TickCase {
    const char* name;
    double from, to;
    int pixels;
};

// The next smaller step of the 1-2-5 series.
long double SmallerStep(double step) {
    const int e = static_cast<int>(std::floor(std::log10(step) + 1e-9));
    const long double decade = std::pow(10.0L, e);
    const long double mantissa = std::round(step / decade);
    return mantissa == 1 ? decade / 2 : mantissa == 2 ? decade : 2 * decade;
}

class TickScaleTest : public testing::TestWithParam<TickCase> {};

TEST_P(TickScaleTest, OneTwoFiveStepsAtLeastSixtyPixelsApartAndNoWider) {
    const TickCase& c = GetParam();
    const TTickScale scale = MakeTicks(c.from, c.to, c.pixels);
    const long double lo = std::fmin(c.from, c.to), hi = std::fmax(c.from, c.to);
    const long double span = hi - lo;
    ASSERT_GT(scale.Step, 0);

    const long double decade =
        std::pow(10.0L, std::floor(std::log10((long double)scale.Step) + 1e-9L));
    const long double mantissa = scale.Step / decade;
    EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9 ||
                std::fabs(mantissa - 5) < 1e-9)
        << scale.Step;
    EXPECT_GE(scale.Step * c.pixels / span, kMinTickSpacing * (1 - 1e-12));
    EXPECT_LT(SmallerStep(scale.Step) * c.pixels / span, kMinTickSpacing) << "the smallest step";

    std::set<std::string> texts;
    for (size_t i = 0; i < scale.Ticks.size(); ++i) {
        const TTick& t = scale.Ticks[i];
        EXPECT_GE(t.Value, lo);
        EXPECT_LE(t.Value, hi);
        EXPECT_GE(t.Pixel, 0);
        EXPECT_LE(t.Pixel, c.pixels);
        // A multiple of the step, up to the rounding of the value to a double.
        const long double k = std::round(t.Value / (long double)scale.Step);
        const double ulp = std::nextafter(std::fabs(t.Value), DBL_MAX) - std::fabs(t.Value);
        EXPECT_LE(std::fabs(t.Value - k * (long double)scale.Step),
                  std::max(scale.Step * 1e-9, ulp))
            << t.Value;
        if (i > 0) {
            EXPECT_GT(t.Value, scale.Ticks[i - 1].Value);
            EXPECT_GE(std::abs(t.Pixel - scale.Ticks[i - 1].Pixel), kMinTickSpacing);
        }
        EXPECT_TRUE(texts.insert(t.Text).second) << "two ticks read " << t.Text;
    }
    // Every multiple of the step in the range is there (or as many as the doubles can tell).
    const long double expected =
        std::floor(hi / scale.Step + 1e-9L) - std::ceil(lo / scale.Step - 1e-9L) + 1;
    const double largest = std::fmax(std::fabs(c.from), std::fabs(c.to));
    if (scale.Step > 4 * (std::nextafter(largest, DBL_MAX) - largest)) {
        EXPECT_EQ((long double)scale.Ticks.size(), expected);
    }
    EXPECT_LE((int)scale.Ticks.size(), c.pixels / kMinTickSpacing + 1);
}

INSTANTIATE_TEST_SUITE_P(
    AwkwardRanges, TickScaleTest,
    testing::Values(TickCase{"UnitRange", 0, 1, 1000}, TickCase{"Tiny", 1, 1 + 1e-12, 800},
                    TickCase{"TinyNearZero", -3e-300, 4e-300, 700},
                    TickCase{"FewUlps", 1, 1 + 8 * DBL_EPSILON, 1000},
                    TickCase{"Huge", 0, 1e300, 1920},
                    TickCase{"WholeDoubleRange", -DBL_MAX, DBL_MAX, 1920},
                    TickCase{"Negative", -7.3, -2.1, 500}, TickCase{"AcrossZero", -0.35, 0.8, 600},
                    TickCase{"ValueAxisDrawnUpwards", 5, -5, 400}, TickCase{"OnePixel", 0, 1, 1},
                    TickCase{"OnePixelOffZero", 0.5, 1.5, 1},
                    TickCase{"JustTooNarrowForTwo", 0, 1, 59}, TickCase{"LongTime", 0, 10000, 1920},
                    TickCase{"QuantaOfAMicrosecond", 0.001234, 0.001301, 1900}),
    [](const testing::TestParamInfo<TickCase>& info) { return info.param.name; });

TEST(MakeTicks, UnitRangeInTenths) {
    const TTickScale scale = MakeTicks(0, 1, 1000);
    EXPECT_DOUBLE_EQ(scale.Step, 0.1);
    ASSERT_EQ(scale.Ticks.size(), 11u);
    EXPECT_EQ(scale.Ticks[3].Value, 0.3) << "3/10, not 3 × 0.1";
    EXPECT_EQ(scale.Ticks[3].Pixel, 300);
    EXPECT_EQ(scale.Ticks[3].Text, "0.3");
    EXPECT_EQ(scale.Ticks[0].Text, "0");
    EXPECT_EQ(scale.Ticks[10].Text, "1");
}

TEST(MakeTicks, NegativeAndAcrossZero) {
    const TTickScale scale = MakeTicks(-0.35, 0.8, 600);  // 60 px ≈ 0.115
    EXPECT_DOUBLE_EQ(scale.Step, 0.2);
    std::vector<std::string> texts;
    for (const TTick& t : scale.Ticks) texts.push_back(t.Text);
    EXPECT_EQ(texts, (std::vector<std::string>{"-0.2", "0", "0.2", "0.4", "0.6", "0.8"}));
    EXPECT_EQ(scale.Ticks[1].Pixel, 183);  // 0.35 / 1.15 × 600 = 182.6
}

TEST(MakeTicks, ValueAxisDrawnUpwardsCountsPixelsFromTheTop) {
    const TTickScale scale = MakeTicks(5, -5, 400);  // 5 at the top, pixel 0
    EXPECT_DOUBLE_EQ(scale.Step, 2);
    ASSERT_EQ(scale.Ticks.size(), 5u);
    EXPECT_EQ(scale.Ticks.front().Value, -4);
    EXPECT_EQ(scale.Ticks.front().Pixel, 360);
    EXPECT_EQ(scale.Ticks.back().Value, 4);
    EXPECT_EQ(scale.Ticks.back().Pixel, 40);
}

TEST(MakeTicks, TinyRangeLabelsTellTicksApart) {
    const TTickScale scale = MakeTicks(1, 1 + 1e-12, 800);
    EXPECT_DOUBLE_EQ(scale.Step, 1e-13);
    ASSERT_EQ(scale.Ticks.size(), 11u);
    EXPECT_EQ(scale.Ticks[0].Text, "1");
    EXPECT_EQ(scale.Ticks[1].Text, "1.0000000000001");
}

TEST(MakeTicks, HugeRangeInExponents) {
    const TTickScale scale = MakeTicks(0, 1e300, 1920);
    EXPECT_DOUBLE_EQ(scale.Step, 5e298);
    EXPECT_EQ(scale.Ticks[1].Text, "5E298");
}

TEST(MakeTicks, OnePixelHoldsAtMostOneTick) {
    const TTickScale scale = MakeTicks(0, 1, 1);
    ASSERT_EQ(scale.Ticks.size(), 1u);
    EXPECT_EQ(scale.Ticks[0].Value, 0);
    EXPECT_TRUE(MakeTicks(0.5, 1.5, 1).Ticks.empty());
}

TEST(MakeTicks, NoScaleWithoutARangeOrPixels) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(MakeTicks(1, 1, 500).Ticks.empty());
    EXPECT_TRUE(MakeTicks(0, 1, 0).Ticks.empty());
    EXPECT_TRUE(MakeTicks(0, 1, -5).Ticks.empty());
    EXPECT_TRUE(MakeTicks(nan, 1, 500).Ticks.empty());
    EXPECT_TRUE(MakeTicks(0, inf, 500).Ticks.empty());
    EXPECT_EQ(MakeTicks(0, inf, 500).Step, 0);
}

// ---- the engineering form of the readable scales

std::vector<std::string> TextsOf(const TTickScale& scale) {
    std::vector<std::string> out;
    for (const TTick& t : scale.Ticks) out.push_back(t.Text);
    return out;
}

TEST(EngineeringTicks, TimesCarryThePrefixAndTheUnit) {
    const TTickFormat seconds{true, "с"};
    EXPECT_EQ(TextsOf(MakeTicks(0, 0.02, 400, 60, seconds)),
              (std::vector<std::string>{"0", "5 мс", "10 мс", "15 мс", "20 мс"}));
    EXPECT_EQ(
        TextsOf(MakeTicks(0, 0.003, 600, 60, seconds)),
        (std::vector<std::string>{"0", "0.5 мс", "1 мс", "1.5 мс", "2 мс", "2.5 мс", "3 мс"}));
    EXPECT_EQ(TextsOf(MakeTicks(0, 2, 240, 60, seconds)),
              (std::vector<std::string>{"0", "0.5 с", "1 с", "1.5 с", "2 с"}));
    EXPECT_EQ(TextsOf(MakeTicks(0, 4.1e-6, 300, 60, seconds)),
              (std::vector<std::string>{"0", "1 мкс", "2 мкс", "3 мкс", "4 мкс"}));
    // Steps finer than the prefix keep the digits that tell the ticks apart.
    EXPECT_EQ(TextsOf(MakeTicks(1, 1.002, 300, 60, seconds)),
              (std::vector<std::string>{"1 с", "1.0005 с", "1.001 с", "1.0015 с", "1.002 с"}));
}

TEST(EngineeringTicks, ValuesWithoutAUnitUseAPrefixOnlyForLargeAndSmallNumbers) {
    const TTickFormat plain{true, ""};
    EXPECT_EQ(TextsOf(MakeTicks(-40000, 40000, 240, 60, plain)),
              (std::vector<std::string>{"-40 к", "-20 к", "0", "20 к", "40 к"}));
    EXPECT_EQ(TextsOf(MakeTicks(1, -1, 240, 60, plain)),
              (std::vector<std::string>{"-1", "-0.5", "0", "0.5", "1"}));
    EXPECT_EQ(TextsOf(MakeTicks(0, 0.004, 300, 60, plain)),
              (std::vector<std::string>{"0", "1 м", "2 м", "3 м", "4 м"}));
    EXPECT_EQ(TextsOf(MakeTicks(0, 3e6, 180, 60, plain)),
              (std::vector<std::string>{"0", "1 М", "2 М", "3 М"}));
}

TEST(EngineeringTicks, TheClassicTextsStayWithoutTheFormat) {
    EXPECT_EQ(TextsOf(MakeTicks(0, 0.02, 400, 60)),
              (std::vector<std::string>{"0", "0.005", "0.01", "0.015", "0.02"}));
    EXPECT_EQ(TickTextLength("1.5 мс"), 6);
}

// ---- engineering numbers

TEST(Engineering, PrefixesCommaAndMinus) {
    EXPECT_EQ(FormatEngineering(20000, 4), "20,00 к");
    EXPECT_EQ(FormatEngineering(19003.7, 5, "Гц"), "19,004 кГц");
    EXPECT_EQ(FormatEngineering(500, 4, "Гц"), "500,0 Гц");
    EXPECT_EQ(FormatEngineering(0.25, 3), "250 м");
    EXPECT_EQ(FormatEngineering(-0.0015, 2, "с"), "\u22121,5 мс");
    EXPECT_EQ(FormatEngineering(999.96, 4), "1,000 к") << "rounding carries into the prefix";
    EXPECT_EQ(FormatEngineering(2.5e6, 2), "2,5 М");
    EXPECT_EQ(FormatEngineering(0, 3), "0,00");
    EXPECT_EQ(FormatEngineering(NAN, 3), "нет");
    EXPECT_EQ(FormatDecimals(-12.0412, 2, "дБ"), "\u221212,04 дБ");
    EXPECT_EQ(FormatDecimals(-0.001, 2), "0,00") << "no minus on a zero";
}

TEST(Engineering, TickTextsTellTheirStepApart) {
    EXPECT_EQ(EngineeringTickText(0, 500), "0");
    EXPECT_EQ(EngineeringTickText(500, 500), "500");
    EXPECT_EQ(EngineeringTickText(1000, 500), "1 к");
    EXPECT_EQ(EngineeringTickText(1500, 500), "1,5 к");
    EXPECT_EQ(EngineeringTickText(20000, 5000), "20 к");
    EXPECT_EQ(EngineeringTickText(250000, 50000), "250 к");
    EXPECT_EQ(EngineeringTickText(20250, 50), "20,25 к");
    EXPECT_EQ(EngineeringTickText(-60, 20), "\u221260");
    EXPECT_EQ(EngineeringTickText(0.002, 0.001, "с"), "2 мс");
    EXPECT_EQ(EngineeringTickText(1e-17, 0.1), "0") << "a zero computed with an error";
}

TEST(Engineering, ReadsBackWhatItWritesAndPlainNumbers) {
    double v = 0;
    for (const char* text : {"19 к", "19к", "19,0 кГц", "19000", "1.9e4", "19k", "+19000"}) {
        ASSERT_TRUE(ParseEngineering(text, v, "Гц")) << text;
        EXPECT_DOUBLE_EQ(v, 19000) << text;
    }
    ASSERT_TRUE(ParseEngineering("\u22121,5 мс", v, "с"));
    EXPECT_DOUBLE_EQ(v, -0.0015);
    ASSERT_TRUE(ParseEngineering("2 М", v));
    EXPECT_DOUBLE_EQ(v, 2e6);
    for (const char* text : {"", "к", "abc", "1..2", "1 x", "inf"})
        EXPECT_FALSE(ParseEngineering(text, v)) << text;
}

}  // namespace
}  // namespace kvaril
