// The one rule of which quanta a span of time holds, shared by every output.

#include "store/QuantRange.h"

#include <gtest/gtest.h>

#include <limits>

namespace kvaril {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct RangeCase {
    const char* name;
    double quantTime;
    int count;
    double t0, t1;
    int first, last;  // last < first: empty
};

class QuantsWithinTest : public testing::TestWithParam<RangeCase> {};

TEST_P(QuantsWithinTest, TakesTheQuantaWhoseTimesLieInTheSpan) {
    const RangeCase& c = GetParam();
    const TQuantRange r = QuantsWithin(c.quantTime, c.count, c.t0, c.t1);
    if (c.last < c.first) {
        EXPECT_EQ(r.Count(), 0) << r.First << ".." << r.Last;
    } else {
        EXPECT_EQ(r.First, c.first);
        EXPECT_EQ(r.Last, c.last);
        EXPECT_EQ(r.Count(), c.last - c.first + 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, QuantsWithinTest,
    testing::Values(
        RangeCase{"WholeRun", 0.0001, 1000, 0, 0.0999, 0, 999},
        RangeCase{"BeyondBothEnds", 0.0001, 1000, -5, 5, 0, 999},
        RangeCase{"EndsARoundingAwayFromQuanta", 0.1, 100, 0.30000000000000004, 0.7, 3, 7},
        RangeCase{"EndsJustBelowQuanta", 0.1, 100, 0.29999999999999993, 0.6999999999999999, 3, 7},
        RangeCase{"TypedTimesOnQuanta", 0.0001, 1000, 0.03, 0.07, 300, 700},
        // Off the grid only the quanta inside count: 333 rows, not the 335 of a half quantum.
        RangeCase{"OffGridEndsTakeTheQuantaInside", 0.0001, 1000, 0.01232, 0.04568, 124, 456},
        RangeCase{"OffGridByAFifthOfAQuantum", 1, 100, 2.4, 6.6, 3, 6},
        RangeCase{"HalfwayEndsAreNotShared", 1, 100, 2.5, 6.5, 3, 6},
        RangeCase{"AMillionthOutsideStillCounts", 1, 100, 3 + 0.9e-6, 7 - 0.9e-6, 3, 7},
        RangeCase{"TwoMillionthsOutsideDoNot", 1, 100, 3 + 2e-6, 7 - 2e-6, 4, 6},
        RangeCase{"OneInstant", 0.001, 100, 0.005, 0.005, 5, 5},
        RangeCase{"BetweenTwoQuanta", 0.001, 100, 0.0051, 0.0059, 1, 0},
        RangeCase{"Reversed", 0.001, 100, 0.006, 0.005, 1, 0},
        RangeCase{"AfterTheRun", 1, 10, 10.5, 20, 1, 0},
        RangeCase{"PastTheLastQuantum", 1, 10, 9.4, 20, 1, 0},
        RangeCase{"BeforeTheRun", 1, 10, -3, -0.6, 1, 0}, RangeCase{"NaNEnd", 1, 10, kNaN, 3, 1, 0},
        RangeCase{"InfiniteEnds", 1, 10, -kInf, kInf, 0, 9},
        RangeCase{"HugeTimes", 0.000001, 10000, 1e300, 1e301, 1, 0},
        RangeCase{"NoQuantizationTime", 0, 10, 0, 1, 1, 0}),
    [](const testing::TestParamInfo<RangeCase>& info) { return info.param.name; });

// Two spans that meet: at a quantum (its time as the model computes it, k × quantTime) both
// hold that quantum; halfway between two quanta neither takes the other's.
class AdjacentSpansTest : public testing::TestWithParam<double> {};

TEST_P(AdjacentSpansTest, ShareTheQuantumTheyMeetAtAndNoneWhenTheyMeetBetween) {
    const double q = GetParam();
    constexpr int kCount = 1000;
    for (int k = 1; k < kCount - 1; ++k) {
        const double at = k * q;
        const TQuantRange left = QuantsWithin(q, kCount, 0, at);
        const TQuantRange right = QuantsWithin(q, kCount, at, kCount * q);
        ASSERT_EQ(left.Last, k) << "at quantum " << k;
        ASSERT_EQ(right.First, k) << "at quantum " << k;

        const double midway = (k + 0.5) * q;
        const TQuantRange before = QuantsWithin(q, kCount, 0, midway);
        const TQuantRange after = QuantsWithin(q, kCount, midway, kCount * q);
        ASSERT_EQ(before.Last, k) << "midway after quantum " << k;
        ASSERT_EQ(after.First, k + 1) << "midway after quantum " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(QuantTimes, AdjacentSpansTest,
                         testing::Values(0.0001, 1.0 / 3, 0.000023, 2.5, 1e-6));

}  // namespace
}  // namespace kvaril
