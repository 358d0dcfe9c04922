// The session's time window: columns and times, dragging, the wheel and the scroll bar.

#include "osc/OscTimeView.h"

#include <gtest/gtest.h>

#include "SessionFixture.h"
#include "document/uBeam.h"

namespace kvaril {
namespace {

using TimeView = TSessionFixture;

TEST_F(TimeView, ColumnsAndTimesAtTheEdges) {
    Window(0.2, 0.4);
    EXPECT_DOUBLE_EQ(s.TimeView().TimeAtColumn(0), 0.2);
    EXPECT_DOUBLE_EQ(s.TimeView().TimeAtColumn(200), 0.4);
    EXPECT_DOUBLE_EQ(s.TimeView().TimeAtColumn(50), 0.25);
    EXPECT_EQ(s.TimeView().ClampColumn(-5), 1);
    EXPECT_EQ(s.TimeView().ClampColumn(0), 1);
    EXPECT_EQ(s.TimeView().ClampColumn(199), 199);
    EXPECT_EQ(s.TimeView().ClampColumn(400), 199);
    s.SetGraphWidth(0);
    EXPECT_EQ(s.TimeView().GraphWidth(), 1) << "never a division by zero";
}

TEST_F(TimeView, DraggingPansWithThePointer) {
    Window(0.2, 0.4);
    s.PanColumns(100, 50);  // half the traces to the left: later times come in
    EXPECT_WINDOW(View(), 0.25, 0.45);
    s.PanColumns(0, 2000);
    EXPECT_WINDOW(View(), 0, 0.2) << "not before the start";
    s.PanColumns(2000, 0);
    EXPECT_WINDOW(View(), 0.8, 1) << "not past the end";
}

TEST_F(TimeView, TheWheelZoomsAroundThePointerAndPans) {
    Window(0.2, 0.3);
    s.Wheel(1, false, 100);
    EXPECT_NEAR(View().T1() - View().T0(), 0.08, 1e-12);
    EXPECT_NEAR((View().T0() + View().T1()) / 2, 0.25, 0.002);
    for (int i = 0; i < 40; ++i) s.Wheel(1, false, 0);
    EXPECT_NEAR(View().T1() - View().T0(), 0.01, 1e-12) << "never below ten quanta";
    for (int i = 0; i < 60; ++i) s.Wheel(-1, false, 0);
    EXPECT_WINDOW(View(), 0, 1);
    Window(0.2, 0.3);
    s.Wheel(-1, true, 0);
    EXPECT_WINDOW(View(), 0.21, 0.31) << "Ctrl+wheel down moves a tenth later";
}

TEST_F(TimeView, TheScrollBarFollowsTheWindow) {
    Window(0.2, 0.3);
    const TScrollState st = s.TimeView().Scroll();
    EXPECT_EQ(st.Maximum, 900);
    EXPECT_EQ(st.Position, 200);
    EXPECT_EQ(st.LargeStep, 100);
    EXPECT_EQ(st.SmallStep, 10);
    s.ScrollBy(-10);
    EXPECT_WINDOW(View(), 0.19, 0.29);
    s.ScrollBy(10000);
    EXPECT_WINDOW(View(), 0.9, 1);
    s.ScrollTo(0);
    EXPECT_WINDOW(View(), 0, 0.1);
}

}  // namespace
}  // namespace kvaril
