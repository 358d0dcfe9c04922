// The A/B cursors (placement, snapping to quanta and to extrema, keys, the readout), the marker
// lines with the marker drag, the strip after a new width, and Δt on quanta.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HandSweep.h"
#include "SessionFixture.h"
#include "document/uBeam.h"
#include "osc/MarkLines.h"
#include "osc/OscCursors.h"

namespace kvaril {
namespace {

using CursorPair = TSessionFixture;
// A = 2 sin(2πt): a maximum at 0.25 s, a minimum at 0.75 s.
using CursorPairOnSine = TSavedSessionFixture;

TEST_F(CursorPair, OffAtFirstThenAtAThirdAndTwoThirdsOnQuanta) {
    EXPECT_FALSE(s.Cursors().CursorPairShown());
    EXPECT_FALSE(s.Cursors().CursorTimes().has_value());
    EXPECT_TRUE(s.Cursors().MarkLines().empty()) << "the classic traces: no lines";
    EXPECT_EQ(s.Cursors().CursorPairColumn(0), -1);

    s.ShowCursorPair(true);
    ASSERT_TRUE(s.Cursors().CursorTimes().has_value());
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->A, 0.333);
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->B, 0.667);
    EXPECT_EQ(s.Cursors().CursorPairColumn(0), 67);
    EXPECT_EQ(s.Cursors().CursorPairColumn(1), 133);
    const std::vector<TMarkLine> lines = s.Cursors().MarkLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].Label, "A");
    EXPECT_EQ(lines[0].X, 67);
    EXPECT_FALSE(lines[0].Dashed);
    EXPECT_EQ(lines[1].Label, "B");
    EXPECT_EQ(lines[1].X, 133);
}

TEST_F(CursorPair, TimesSurviveZoomPanAndScreens) {
    s.ShowCursorPair(true);
    s.Wheel(1, true, 100);  // a zoom about the middle
    s.PanColumns(100, 90);
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->A, 0.333);
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->B, 0.667);
    s.AddScreen("Второй");
    EXPECT_EQ(s.CurrentScreen(), 1);
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->A, 0.333);
    s.PrepareForRun();  // a new run
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->B, 0.667);

    Window(0.3, 0.4);
    EXPECT_EQ(s.Cursors().CursorPairColumn(0), 66);  // (0.333 − 0.3) / 0.1 · 200
    EXPECT_EQ(s.Cursors().CursorPairColumn(1), -1) << "B lies right of the window";
    EXPECT_EQ(s.Cursors().MarkLines().size(), 1u);
    // Shown again while one of them is still in the window: both keep their times.
    s.ShowCursorPair(false);
    s.ShowCursorPair(true);
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->A, 0.333);
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->B, 0.667);
    Window(0.6, 0.7);  // only B inside
    s.ShowCursorPair(false);
    s.ShowCursorPair(true);
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->A, 0.333);

    Window(0.8, 0.9);  // both outside: shown again, they come to the window
    s.ShowCursorPair(false);
    EXPECT_TRUE(s.Cursors().MarkLines().empty());
    s.ShowCursorPair(true);
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->A, 0.833);
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->B, 0.867);
}

TEST_F(CursorPair, ADragSnapsToQuanta) {
    s.ShowCursorPair(true);
    EXPECT_FALSE(s.PressCursor(100, 4)) << "no line within reach";
    EXPECT_EQ(s.Cursors().CursorNear(70, 4), 0);
    EXPECT_EQ(s.Cursors().CursorNear(130, 4), 1);
    EXPECT_EQ(s.Cursors().CursorNear(100, 4), -1);
    ASSERT_TRUE(s.PressCursor(131, 4));
    EXPECT_TRUE(s.Cursors().DraggingCursor());
    EXPECT_EQ(s.Cursors().ActiveCursor(), 1);
    EXPECT_FALSE(s.Cursors().Measuring()) << "taking a line measures nothing";
    s.MoveCursor(150, false);
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->B, 0.75);
    s.ReleaseCursor();
    EXPECT_FALSE(s.Cursors().DraggingCursor());

    Window(0, 0.1);  // two columns a quantum: the pixel's time lies between quanta
    ASSERT_TRUE(s.Cursors().ShownCursorColumn() == -1);
    s.ShowCursorPair(true);  // both outside: placed anew
    ASSERT_TRUE(s.PressCursor(s.Cursors().CursorPairColumn(0), 4));
    s.MoveCursor(51, false);  // 0.0255 s
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->A, 0.026);
    s.MoveCursor(-40, false);
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->A, 0) << "never left of the window";
    s.MoveCursor(4000, false);
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->A, 0.1) << "never right of it";
}

TEST_F(CursorPairOnSine, CtrlSnapsToTheNearestExtremumOfTheSelectedBeam) {
    s.ShowCursorPair(true);
    s.SelectBeams({0});
    EXPECT_EQ(s.Cursors().ExtremumSignal(), 0);
    ASSERT_TRUE(s.PressCursor(67, 4));
    s.MoveCursor(62, true);  // 0.31 s: the maximum at 0.25 is nearer than the minimum
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->A, 0.25);
    s.MoveCursor(130, true);  // 0.65 s
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->A, 0.75);
    s.MoveCursor(130, false);
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->A, 0.65) << "without Ctrl: the quantum";

    s.SelectBeams({2});  // C = t has no extremum: the quantum stays
    EXPECT_EQ(s.Cursors().ExtremumSignal(), 2);
    s.MoveCursor(130, true);
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->A, 0.65);
    s.SelectBeams({});
    EXPECT_EQ(s.Cursors().ExtremumSignal(), 0) << "none selected: the first row's beam";
}

TEST_F(CursorPair, ArrowKeysMoveTheActiveCursor) {
    s.ShowCursorPair(true);
    EXPECT_EQ(s.Cursors().ActiveCursor(), 0);
    s.StepCursor(TCursorStep::Right);
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->A, 0.334);
    s.StepCursor(TCursorStep::RightTen);
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->A, 0.344);
    s.SetActiveCursor(1);
    s.StepCursor(TCursorStep::LeftTen);
    s.StepCursor(TCursorStep::Left);
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->B, 0.656);
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->A, 0.344);
    s.StepCursor(TCursorStep::End);  // the last of the run's 1000 samples
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->B, 0.999);
    s.StepCursor(TCursorStep::Right);
    EXPECT_DOUBLE_EQ(s.Cursors().CursorTimes()->B, 0.999) << "never beyond the last sample";
}

TEST_F(CursorPairOnSine, TheReadoutGivesTimesAndEachBeamsValues) {
    s.ShowCursorPair(true);
    s.SetCursorTimes(0.2501, 0.7499);  // placed on quanta
    const TCursorReadout r = s.Cursors().Readout();
    EXPECT_DOUBLE_EQ(r.A, 0.25);
    EXPECT_DOUBLE_EQ(r.B, 0.75);
    EXPECT_EQ(r.TimeA, "0.25");
    EXPECT_EQ(r.TimeB, "0.75");
    EXPECT_EQ(r.DeltaTime, "0.5");
    EXPECT_EQ(r.InverseDelta, "2");
    EXPECT_EQ(r.Header(), "A: 0.25   B: 0.75   Δt: 0.5   1/Δt: 2 Гц");
    ASSERT_EQ(r.Rows.size(), 3u);
    EXPECT_EQ(r.Rows[0].Name, "A");
    EXPECT_EQ(r.Rows[0].A, "2");
    EXPECT_EQ(r.Rows[0].B, "-2");
    EXPECT_EQ(r.Rows[0].Delta, "-4");
    EXPECT_EQ(r.Rows[1].Delta, "0");
    EXPECT_EQ(r.Rows[2].A, "0.25");
    EXPECT_EQ(r.Rows[2].B, "0.75");
    EXPECT_EQ(r.Rows[2].Delta, "0.5");

    s.SetCursorTimes(0.5, 0.5);
    EXPECT_EQ(s.Cursors().Readout().InverseDelta, "") << "one quantum: no frequency";
}

TEST_F(CursorPair, MarkerLinesAndAMarkerDraggedByItsLabel) {
    s.SetMarkerLines(true);
    Label(0.5);
    std::vector<TMarkLine> lines = s.Cursors().MarkLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].X, 100);
    EXPECT_TRUE(lines[0].Dashed);
    EXPECT_EQ(s.Cursors().MarkerAt(103, 10), 0);
    EXPECT_EQ(s.Cursors().MarkerAt(120, 10), -1);

    s.MousePress(102, true, 10);
    EXPECT_TRUE(s.Cursors().DraggingMarker());
    s.MouseMove(103);
    EXPECT_FALSE(s.Cursors().MarkerMoved()) << "a jitter is still a click";
    s.MouseMove(131);
    EXPECT_TRUE(s.Cursors().MarkerMoved());
    s.MouseRelease(131, true, 10);
    ASSERT_EQ(View().TimeLabelCount(), 1) << "moved, not added";
    EXPECT_DOUBLE_EQ(View().TimeLabel(0).Time(), 0.655);
    EXPECT_EQ(s.Cursors().MarkLines()[0].X, 131);
    s.Undo();
    ASSERT_EQ(View().TimeLabelCount(), 1);
    EXPECT_DOUBLE_EQ(View().TimeLabel(0).Time(), 0.5) << "the whole drag is one step";
    s.Redo();
    EXPECT_DOUBLE_EQ(View().TimeLabel(0).Time(), 0.655);

    Label(0.8);  // a marker dragged past another keeps the labels in time order
    s.MousePress(131, true, 10);
    s.MouseMove(190);
    s.MouseRelease(190, true, 10);
    ASSERT_EQ(View().TimeLabelCount(), 2);
    EXPECT_DOUBLE_EQ(View().TimeLabel(0).Time(), 0.8);
    EXPECT_DOUBLE_EQ(View().TimeLabel(1).Time(), 0.95);

    s.MousePress(190, true, 10);  // a click without moving: removed, as always
    s.MouseRelease(190, true, 10);
    EXPECT_EQ(View().TimeLabelCount(), 1);
    s.MousePress(40, true, 10);  // a drag from empty strip adds at the release
    s.MouseMove(60);
    s.MouseRelease(60, true, 10);
    EXPECT_EQ(View().TimeLabelCount(), 2);
}

TEST_F(CursorPair, WithoutMarkerLinesTheStripKeepsTheClassicRule) {
    Label(0.5);
    s.MousePress(100, true, 10);
    EXPECT_FALSE(s.Cursors().DraggingMarker());
    s.MouseMove(130);
    s.MouseRelease(130, true, 10);
    ASSERT_EQ(View().TimeLabelCount(), 2) << "a new label at the release; the old one stays";
    EXPECT_DOUBLE_EQ(View().TimeLabel(0).Time(), 0.5);
    EXPECT_TRUE(s.Cursors().MarkLines().empty());
}

TEST_F(CursorPair, LabelsFollowANewWidthAtOnce) {
    Label(0.5);
    ASSERT_EQ(s.Cursors().LayoutLabels()[0].X, 100);
    s.SetGraphWidth(300);  // the splitter moved: the traces are wider
    EXPECT_EQ(s.Cursors().LayoutLabels()[0].X, 150);
    s.MousePress(150, true);
    s.MouseRelease(150, true, 10);
    EXPECT_EQ(View().TimeLabelCount(), 0) << "a click on the label where it is drawn removes it";
}

TEST_F(CursorPair, DeltaTimeIsBetweenTheQuantaTheValuesComeFrom) {
    s.SetGraphWidth(300);  // a column is 3⅓ quanta
    Label(0);
    s.MousePress(2, false);  // 0.00667 s: the values are those of 0.007 s
    const TDeltaReadout d = s.Cursors().Delta();
    EXPECT_EQ(d.DeltaTime, "0.007");
    EXPECT_EQ(d.InverseDelta, "142.9");
    EXPECT_DOUBLE_EQ(SnapToQuantum(s.Cursors().MeasureTime(), 0.001, 1000), 0.007);
}

}  // namespace
}  // namespace kvaril

namespace kvaril {
namespace {

// The FFT window offers A..B while the cursors are shown, between their times.
TEST_F(CursorPair, TheFrequencyWindowOffersTheirIntervalWhileShown) {
    const auto last = [this] { return s.Readings().SpectrumRequest().Intervals.back(); };
    EXPECT_EQ(last().Caption, "A..B");
    EXPECT_FALSE(last().Available);
    s.ShowCursorPair(true);
    s.SetCursorTimes(0.6, 0.2);
    ASSERT_TRUE(last().Available);
    EXPECT_NEAR(last().T0, 0.2, 1e-12);
    EXPECT_NEAR(last().T1, 0.6, 1e-12);
    s.ShowCursorPair(false);
    EXPECT_FALSE(last().Available);
}

}  // namespace
}  // namespace kvaril

namespace kvaril {
namespace {

// After a sweep the readout reads every run shown, each named as the legend names it; a failed
// run is not shown, so it has no rows.
TEST_F(CursorPairOnSine, AfterASweepTheReadoutHasARowPerBeamAndRun) {
    const TSweepShownPtr sweep =
        MakeHandSweep(signals, {1000, 2000, 4000},
                      [](int r, int sig, int q) { return (r + 1) * sig + q * 0.0; }, {1});
    s.ShowCursorPair(true);
    s.SetCursorTimes(0.25, 0.75);
    const TCursorReadout r = s.Cursors().Readout(sweep.get());
    ASSERT_EQ(r.Rows.size(), 6u) << "three beams, two good runs";
    EXPECT_EQ(r.Rows[0].Name, "A: Fc = 1000");
    EXPECT_EQ(r.Rows[1].Name, "A: Fc = 4000");
    EXPECT_EQ(r.Rows[2].Name, "B: Fc = 1000");
    EXPECT_EQ(r.Rows[2].A, "1") << "the run's own samples";
    EXPECT_EQ(r.Rows[3].A, "3");
    EXPECT_EQ(s.Cursors().Readout().Rows.size(), 3u) << "without the sweep: the run";
}

}  // namespace
}  // namespace kvaril
