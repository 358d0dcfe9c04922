#include "editing/TextSearch.h"

#include <gtest/gtest.h>

namespace kvaril {
namespace {

// "Подстрока <3000> не найдена" for a text in plain view above the caret.
TEST(FindWrapping, GoesOnOnceFromTheFirstLine) {
    const std::vector<std::string> lines = {"F := 3000;", "x", "y := F;"};
    std::optional<TFound> found = FindWrapping(lines, 3, 1, "3000");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->Pos, (TTextPos{0, 6}));
    EXPECT_TRUE(found->Wrapped);
}

TEST(FindWrapping, SaysNothingOfWrappingWhatFollowsTheCaret) {
    const std::vector<std::string> lines = {"abc", "x abc"};
    std::optional<TFound> found = FindWrapping(lines, 1, 2, "abc");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->Pos, (TTextPos{1, 3}));
    EXPECT_FALSE(found->Wrapped);
}

TEST(FindWrapping, TheOnlyOccurrenceIsFoundAgainAtTheCaret) {
    const std::vector<std::string> lines = {"x", "  abc"};
    std::optional<TFound> found = FindWrapping(lines, 2, 4, "abc");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->Pos, (TTextPos{1, 3}));
    EXPECT_TRUE(found->Wrapped);
}

TEST(FindWrapping, NothingAnywhereIsNotFound) {
    EXPECT_FALSE(FindWrapping({"abc", "ABC"}, 2, 1, "abd"));
    EXPECT_FALSE(FindWrapping({"abc"}, 1, 1, ""));
    EXPECT_FALSE(FindWrapping({}, 1, 1, "a"));
}

}  // namespace
}  // namespace kvaril
