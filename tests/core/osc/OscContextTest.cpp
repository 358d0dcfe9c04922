// What the session's parts share: the screen shown and the columns of the traces.

#include "osc/OscContext.h"

#include <gtest/gtest.h>

#include "SessionFixture.h"
#include "document/uBeam.h"

namespace kvaril {
namespace {

using Context = TContextFixture;

// Before a run, or with the index left past the last screen, there is no time to read.
TEST_F(Context, WithoutAScreenNoColumnHasATime) {
    context.SetCurrentIndex(-1);
    EXPECT_EQ(context.Current(), nullptr);
    EXPECT_EQ(context.TimeAtColumn(100), -1);
    context.SetCurrentIndex(1);  // the run has one screen
    EXPECT_EQ(context.Current(), nullptr);
    EXPECT_EQ(context.TimeAtColumn(100), -1);
}

TEST_F(Context, TracesOfNoWidthAreOneColumn) {
    View().SetT0(0.2);
    View().SetT1(0.4);
    context.SetGraphWidth(-3);
    EXPECT_EQ(context.GraphWidth(), 1);
    EXPECT_DOUBLE_EQ(context.TimeAtColumn(0), 0.2);
    EXPECT_DOUBLE_EQ(context.TimeAtColumn(1), 0.4);
    EXPECT_EQ(context.ClampColumn(-5), 1);
    EXPECT_EQ(context.ClampColumn(5), 1);
}

}  // namespace
}  // namespace kvaril
