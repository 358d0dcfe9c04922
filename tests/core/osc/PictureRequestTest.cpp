#include "osc/PictureRequest.h"

#include <gtest/gtest.h>

namespace kvaril {
namespace {

TEST(PictureRequest, SizesAreWholeSidesWithinTheLimit) {
    int w = 0, h = 0;
    EXPECT_TRUE(ParsePictureSize("300x150", w, h));
    EXPECT_EQ(w, 300);
    EXPECT_EQ(h, 150);
    EXPECT_TRUE(ParsePictureSize("20000X1", w, h));
    for (const char* bad : {"", "300", "x150", "300x", "300x150x", "0x10", "10x-1", "20001x10",
                            "3e2x150", "300 x150"})
        EXPECT_FALSE(ParsePictureSize(bad, w, h)) << bad;
    EXPECT_EQ(w, 20000) << "a refused size leaves the request alone";
}

TEST(PictureRequest, ScreensAreNumbersFromOneOrAll) {
    int screen = 5;
    EXPECT_TRUE(ParsePictureScreen("all", screen));
    EXPECT_EQ(screen, 0);
    EXPECT_TRUE(ParsePictureScreen("3", screen));
    EXPECT_EQ(screen, 3);
    for (const char* bad : {"0", "-1", "1x", "", "All"})
        EXPECT_FALSE(ParsePictureScreen(bad, screen));
}

TEST(PictureRequest, ViewChoicesInAnyOrder) {
    TPictureRequest request;
    EXPECT_TRUE(ParsePictureView("shared,grid", request));
    EXPECT_TRUE(request.Grid && request.SharedGroupScale && !request.Legend);
    EXPECT_FALSE(request.BeamColors) << "the classic colours unless asked";
    EXPECT_TRUE(ParsePictureView("colors,legend", request));
    EXPECT_TRUE(request.BeamColors && request.Legend);
    EXPECT_FALSE(ParsePictureView("colours", request)) << "spelt as the other choices: colors";
    EXPECT_FALSE(ParsePictureView("grid,", request));
    EXPECT_FALSE(ParsePictureView("grid,bogus", request));
}

// The window's export and --png share these checks.
TEST(PictureRequest, ScreensMustExistAndTheStackMustFit) {
    EXPECT_EQ(CheckPictureScreens({0, 1}, 2, 800, 400), "");
    EXPECT_EQ(CheckPictureScreens({}, 2, 800, 400), "Нет экранов для рисунка");
    EXPECT_EQ(CheckPictureScreens({3}, 2, 800, 400), "Нет экрана 4: экранов в документе 2");
    EXPECT_NE(CheckPictureScreens({0, 1}, 2, 800, 10001), "") << "20002 rows stacked";
    EXPECT_EQ(CheckPictureScreens({0}, 1, 800, 10001), "");
    EXPECT_NE(CheckPictureScreens({0}, 1, 59, 400), "");
    EXPECT_EQ(CheckSheetSize(60, 60), "");
    EXPECT_NE(CheckSheetSize(60, 59), "");
}

TEST(PictureRequest, AllMeansEveryScreenInOrder) {
    TPictureRequest request;
    request.Screen = 0;
    EXPECT_EQ(ScreensOf(request, 3), (std::vector<int>{0, 1, 2}));
    request.Screen = 2;
    EXPECT_EQ(ScreensOf(request, 3), (std::vector<int>{1}));
}

}  // namespace
}  // namespace kvaril
