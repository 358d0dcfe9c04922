// Where Ctrl takes a dragged cursor: single-sample peaks and troughs, the middle of a flat top,
// no extremum on a shelf or a step, none that runs out of the window or borders NaN, and the
// nearer of two on either side (the earlier on a tie).

#include "osc/CursorSnap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace kvaril {
namespace {

int64_t Snap(const std::vector<double>& row, int64_t k, TQuantRange shown = {0, 1 << 20}) {
    return NearestExtremum(row.data(), static_cast<int64_t>(row.size()), k, shown);
}

TEST(CursorSnap, APeakOrATroughOfOneSample) {
    const std::vector<double> row{0, 1, 3, 1, 0, -2, 0, 1};
    EXPECT_EQ(Snap(row, 2), 2);
    EXPECT_EQ(Snap(row, 3), 2) << "one from the peak, two from the trough";
    EXPECT_EQ(Snap(row, 4), 5);
    EXPECT_EQ(Snap(row, 7), 5);
}

TEST(CursorSnap, AFlatTopTakesItsMiddle) {
    //                        0  1  2  3  4  5  6  7  8
    const std::vector<double> row{0, 1, 2, 2, 2, 2, 1, 0, 0};
    for (int64_t k : {1, 2, 3, 4, 5, 6}) EXPECT_EQ(Snap(row, k), 3) << k;  // 2..5: the left middle
    const std::vector<double> odd{5, 1, 1, 1, 5};
    EXPECT_EQ(Snap(odd, 0), 2) << "a flat trough too";
}

TEST(CursorSnap, AShelfOrAStepIsNoExtremum) {
    const std::vector<double> shelf{0, 1, 2, 2, 2, 3, 4};
    EXPECT_EQ(Snap(shelf, 3), 3) << "no extremum anywhere: the quantum stays";
    EXPECT_EQ(Snap(shelf, 1), 1);
    const std::vector<double> step{0, 0, 0, 1, 1, 1};
    EXPECT_EQ(Snap(step, 2), 2);
    EXPECT_EQ(Snap(step, 3), 3);
}

TEST(CursorSnap, WhatRunsOutOfTheWindowOrBordersNaNIsNoExtremum) {
    //                        0  1  2  3  4  5  6
    const std::vector<double> row{0, 1, 2, 2, 1, 0, 4};
    EXPECT_EQ(Snap(row, 1), 2);
    EXPECT_EQ(Snap(row, 1, {0, 3}), 1) << "the flat top goes on beyond the window";
    EXPECT_EQ(Snap(row, 4, {4, 6}), 5) << "the trough at 5 is shown with both neighbours";
    EXPECT_EQ(Snap(row, 4, {5, 6}), 4) << "outside the window: the quantum stays";
    const double nan = std::nan("");
    EXPECT_EQ(Snap({0, 3, nan, 1, 0}, 0), 0) << "the peak borders NaN";
    EXPECT_EQ(Snap({0, nan, nan, 0, 5, 0}, 0), 4) << "NaN is no plateau";
}

TEST(CursorSnap, TheNearerSideWinsAndTheEarlierOnATie) {
    //                        0  1  2  3  4  5  6  7  8
    const std::vector<double> row{0, 5, 4, 3, 2, 3, 4, 9, 0};
    EXPECT_EQ(Snap(row, 3), 4);
    const std::vector<double> tie{0, 5, 4, 3, 3, 3, 4, 5, 0};
    EXPECT_EQ(Snap(tie, 6), 4) << "the trough 3..5 is nearest";
    const std::vector<double> even{0, 5, 4, 4, 4, 4, 4, 5, 0};
    EXPECT_EQ(Snap(even, 4), 4);
    const std::vector<double> between{0, 5, 1, 2, 3, 2, 1, 5, 0};
    EXPECT_EQ(Snap(between, 4), 4) << "on the peak itself";
    const std::vector<double> equal{0, 5, 1, 1, 3, 1, 1, 0};
    EXPECT_EQ(Snap(equal, 4), 4);
    const std::vector<double> twoWays{1, 0, 1, 2, 1, 0, 1};
    EXPECT_EQ(Snap(twoWays, 2), 1) << "one quantum to each: the earlier";
}

}  // namespace
}  // namespace kvaril
