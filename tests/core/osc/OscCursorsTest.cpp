// The measurement cursor, the time labels, the stepped cursor and the Δ readout.

#include "osc/OscCursors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SessionFixture.h"
#include "document/uBeam.h"

namespace kvaril {
namespace {

using Cursors = TSessionFixture;

TEST_F(Cursors, TheCursorMeasuresAndTheStripTogglesLabels) {
    s.MousePress(0, false);
    EXPECT_TRUE(s.Cursors().Measuring());
    EXPECT_EQ(s.Cursors().CursorColumn(), 1);
    EXPECT_DOUBLE_EQ(s.Cursors().MeasureTime(), 1.0 / 200);
    EXPECT_EQ(s.TimeView().CaptionText(), "T: 0.005");
    s.MousePress(50, false);
    EXPECT_EQ(s.Cursors().CursorColumn(), 1) << "a second press while measuring is ignored";
    s.MouseMove(500);
    EXPECT_EQ(s.Cursors().CursorColumn(), 199);
    s.MouseRelease(500, false, 10);
    EXPECT_FALSE(s.Cursors().Measuring());
    EXPECT_EQ(s.Cursors().MeasureTime(), -1);
    EXPECT_EQ(s.TimeView().CaptionText(), "< dT : 1 >");
    EXPECT_EQ(View().TimeLabelCount(), 0) << "a drag on the traces sets no label";

    s.MousePress(100, true);
    s.MouseRelease(100, true, 10);
    ASSERT_EQ(View().TimeLabelCount(), 1);
    EXPECT_DOUBLE_EQ(View().TimeLabel(0).Time(), 0.5);
    s.MousePress(50, true);
    s.MouseRelease(50, true, 10);
    EXPECT_EQ(View().TimeLabelCount(), 2);
    s.MousePress(103, true);
    s.MouseRelease(103, true, 10);
    ASSERT_EQ(View().TimeLabelCount(), 1) << "within half a mark of it: removed";
    EXPECT_DOUBLE_EQ(View().TimeLabel(0).Time(), 0.25);
    s.MousePress(150, false);
    s.MouseRelease(150, true, 10);
    EXPECT_EQ(View().TimeLabelCount(), 1) << "a drag from the traces onto the strip";
    s.MouseMove(20);
    EXPECT_FALSE(s.Cursors().Measuring()) << "moving without a press measures nothing";
}

TEST_F(Cursors, LabelsShowOnTheStripAndAmongTheSuggestions) {
    Window(0.2, 0.4);
    s.MousePress(50, true);
    s.MouseRelease(50, true, 10);
    const std::vector<TLabelMark> marks = s.Cursors().LayoutLabels();
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].X, 50);
    EXPECT_EQ(marks[0].Text, "m1");
    s.ClickEntry(TEntryMode::End);
    EXPECT_EQ(s.Entry().Suggestions(), (std::vector<std::string>{"T", "T/2", "m1"}));
}

TEST_F(Cursors, WithoutMarkersTheDeltaColumnsAreEmpty) {
    s.StepTime(TCursorStep::Right);
    const TDeltaReadout d = s.Cursors().Delta();
    EXPECT_EQ(d.Reference, -1);
    EXPECT_EQ(d.Header, "");
    ASSERT_EQ(d.Rows.size(), 3u);
    for (const TDeltaCells& cells : d.Rows) {
        EXPECT_EQ(cells.Reference, "");
        EXPECT_EQ(cells.Delta, "");
    }
}

TEST_F(Cursors, DeltaFromTheNearestMarkerLeftOfTheInstant) {
    Label(0.1);
    Label(0.3);
    Label(0.8);
    Window(0.5, 0.7);
    s.StepTime(TCursorStep::Home);
    EXPECT_EQ(s.Cursors().DisplayTime(), 0.5);
    TDeltaReadout d = s.Cursors().Delta();
    EXPECT_EQ(d.Reference, 1) << "m2 at 0.3 is the last one left of 0.5";
    EXPECT_EQ(d.DeltaTime, "0.2");
    EXPECT_EQ(d.InverseDelta, "5");
    EXPECT_EQ(d.Header, "m2   Δt: 0.2   1/Δt: 5 Гц");
    EXPECT_EQ(d.Rows[2].Reference, "0.3");
    EXPECT_EQ(d.Rows[2].Delta, "0.2");
    EXPECT_EQ(d.Rows[1].Delta, "0") << "a constant beam has no difference";

    s.PickReferenceMarker(2);  // m3 lies right of the instant: Δt is negative
    d = s.Cursors().Delta();
    EXPECT_EQ(d.Reference, 2);
    EXPECT_EQ(d.DeltaTime, "-0.3");
    EXPECT_EQ(d.Rows[2].Delta, "-0.3");
    s.PickReferenceMarker(7);  // no such label: back to the nearest one
    EXPECT_EQ(s.Cursors().Delta().Reference, 1);
}

TEST_F(Cursors, AnInstantOnTheMarkerHasNoFrequency) {
    Label(0.25);
    Window(0.25, 0.5);
    s.StepTime(TCursorStep::Home);
    const TDeltaReadout d = s.Cursors().Delta();
    EXPECT_EQ(d.Reference, 0);
    EXPECT_EQ(d.DeltaTime, "0");
    EXPECT_EQ(d.InverseDelta, "");
    EXPECT_EQ(d.Header, "m1   Δt: 0");
}

TEST_F(Cursors, KeysStepByQuantaWithinTheWindow) {
    Window(0.2, 0.3);
    EXPECT_FALSE(s.Cursors().Stepping());
    EXPECT_EQ(s.Cursors().ShownCursorColumn(), -1);
    s.StepTime(TCursorStep::Right);
    EXPECT_TRUE(s.Cursors().Stepping());
    EXPECT_DOUBLE_EQ(s.Cursors().DisplayTime(), 0.201);
    EXPECT_EQ(s.Readings().ValueRows().at(2).Cells[2].Text, "0.201")
        << "the value table follows the cursor";
    EXPECT_EQ(s.TimeView().CaptionText(), "T: 0.201");
    s.StepTime(TCursorStep::RightTen);
    EXPECT_DOUBLE_EQ(s.Cursors().DisplayTime(), 0.211);
    s.StepTime(TCursorStep::LeftTen);
    s.StepTime(TCursorStep::LeftTen);
    EXPECT_DOUBLE_EQ(s.Cursors().DisplayTime(), 0.2) << "clamped to the window's start";
    s.StepTime(TCursorStep::End);
    EXPECT_DOUBLE_EQ(s.Cursors().DisplayTime(), 0.3);
    EXPECT_EQ(s.Cursors().ShownCursorColumn(), 199) << "the last column a cursor may take";
    s.StepTime(TCursorStep::Right);
    EXPECT_DOUBLE_EQ(s.Cursors().DisplayTime(), 0.3);
    s.StepTime(TCursorStep::Home);
    EXPECT_EQ(s.Cursors().ShownCursorColumn(), 1);
    s.EndStepping();
    EXPECT_EQ(s.TimeView().CaptionText(), "< dT : 0.1 >");
}

TEST_F(Cursors, SteppingStartsWhereTheLastMeasurementEnded) {
    Window(0, 0.2);
    s.MousePress(100, false);  // 0.1
    s.MouseRelease(100, false, 0);
    EXPECT_FALSE(s.Cursors().Measuring());
    EXPECT_EQ(s.Cursors().DisplayTime(), 0) << "the classic table reads T0 after a release";
    s.StepTime(TCursorStep::Left);
    EXPECT_DOUBLE_EQ(s.Cursors().DisplayTime(), 0.099);
    s.MousePress(50, false);  // the mouse takes over
    EXPECT_DOUBLE_EQ(s.Cursors().DisplayTime(), 0.05);
    s.MouseRelease(50, false, 0);
    EXPECT_FALSE(s.Cursors().Stepping());
}

TEST_F(Cursors, ACursorScrolledOutOfTheWindowIsGone) {
    Window(0.2, 0.3);
    s.StepTime(TCursorStep::End);
    Window(0.5, 0.6);
    EXPECT_FALSE(s.Cursors().Stepping());
    EXPECT_EQ(s.Cursors().DisplayTime(), 0.5);
    EXPECT_EQ(s.Cursors().ShownCursorColumn(), -1);
}

}  // namespace
}  // namespace kvaril
