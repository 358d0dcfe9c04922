#include "osc/OscTime.h"

#include <gtest/gtest.h>

namespace kvaril {
namespace {

TEST(FormatOscTime, ShowsOneDecimalMoreThanTheQuantizationStep) {
    EXPECT_EQ(FormatOscTime(0.001, 0.123456), "0.1235");
    EXPECT_EQ(FormatOscTime(0.001, 2), "2");
    EXPECT_EQ(FormatOscTime(0.5, 1.25), "1.2") << "12.5 rounds to the even 12";
    EXPECT_EQ(FormatOscTime(2, 3.7), "4");
    EXPECT_EQ(FormatOscTime(0.000001, 0.00001), "1E-5");
    EXPECT_EQ(FormatOscTime(0.00001, 0.0123456), "0.012346");
    EXPECT_EQ(FormatOscTime(0.0001, 0.1), "0.1");
    EXPECT_EQ(FormatOscTime(0.05, 0.123), "0.12");
}

TEST(SnapToQuant, RoundsToTheNearestQuantum) {
    EXPECT_EQ(SnapToQuant(0.005, 0.0123), 0.01);
    EXPECT_EQ(SnapToQuant(0.001, 0.0157), 0.016);
    EXPECT_EQ(SnapToQuant(0.0001, 0.03), 0.03) << "cleaned to six decimals";
    EXPECT_EQ(SnapToQuant(0.0000005, 0.1234567), 0.1234567) << "below the minimum: unchanged";
    EXPECT_EQ(SnapToQuant(0, 0.7), 0.7);
}

// Beyond the 64-bit quantum count the grid cannot be reached: the time was wrapped to another
// sign instead.
TEST(SnapToQuant, ATimeBeyondTheCountableQuantaStaysAsItIs) {
    EXPECT_EQ(SnapToQuant(0.001, 1e15), 1e15);
    EXPECT_EQ(SnapToQuant(0.001, -1e300), -1e300);
    EXPECT_GT(SnapToQuant(1e-6, 9.3e12), 9e12);
}

TEST(MarkerName, CountsFromOne) {
    EXPECT_EQ(MarkerName(0), "m1");
    EXPECT_EQ(MarkerName(11), "m12");
}

TEST(MarkerIndex, ReadsOneOrTwoDigits) {
    EXPECT_EQ(MarkerIndex("m1"), 0);
    EXPECT_EQ(MarkerIndex("m10"), 9);
    EXPECT_EQ(MarkerIndex("m123"), 11);
    EXPECT_EQ(MarkerIndex("m9x"), 8);
    // Unchecked forms give numbers the callers refuse against the label count.
    EXPECT_EQ(MarkerIndex("m"), -49);
    EXPECT_EQ(MarkerIndex("mx"), 'x' - '0' - 1);
}

}  // namespace
}  // namespace kvaril
