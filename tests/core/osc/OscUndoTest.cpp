// Undo and redo of the oscilloscope's view, through the session and with the undo part alone.

#include "osc/OscUndo.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "SessionFixture.h"
#include "document/uBeam.h"
#include "osc/OscContext.h"

namespace kvaril {
namespace {

using Undo = TSavedSessionFixture;

TEST_F(Undo, TheHistoryStartsEmpty) {
    EXPECT_FALSE(s.CanUndo());
    EXPECT_FALSE(s.CanRedo());
    s.Undo();  // nothing happens
    EXPECT_EQ(s.ScreenCount(), 1);
}

TEST_F(Undo, ZoomGainAndScreenDeletionAreRestoredExactly) {
    s.Wheel(3, false, 50);
    const double t0 = View().T0(), t1 = View().T1();
    s.EndGesture();
    s.SelectBeams({0});
    s.EditBeam(TBeamRow::Gain, "2.5");
    s.EndBeamEdit(TBeamRow::Gain, "2.5");
    s.AddScreen("Два");
    s.DeleteScreen();
    ASSERT_EQ(s.ScreenCount(), 1);

    s.Undo();  // the deletion
    ASSERT_EQ(s.ScreenCount(), 2);
    EXPECT_EQ(s.CurrentScreen(), 1);
    EXPECT_EQ(s.ScreenName(1), "Два");
    s.Undo();  // the addition
    ASSERT_EQ(s.ScreenCount(), 1);
    EXPECT_EQ(View().Beam(0).Gain(), 2.5);
    s.Undo();  // the gain
    EXPECT_EQ(View().Beam(0).Gain(), 0);
    EXPECT_EQ(View().T0(), t0);
    EXPECT_EQ(View().T1(), t1);
    s.Undo();  // the zoom
    EXPECT_EQ(View().T0(), 0);
    EXPECT_EQ(View().T1(), 1);
    EXPECT_FALSE(s.CanUndo());

    for (int i = 0; i < 4; ++i) s.Redo();
    EXPECT_EQ(s.ScreenCount(), 1);
    EXPECT_EQ(View().Beam(0).Gain(), 2.5);
    EXPECT_EQ(View().T0(), t0);
    EXPECT_FALSE(s.CanRedo());
}

TEST_F(Undo, ADragAndAWheelBurstAreOneStepEach) {
    s.Wheel(2, false, 100);
    s.Wheel(2, false, 100);
    s.EndGesture();
    const double t0 = View().T0();
    for (int x = 100; x > 60; x -= 5) s.PanColumns(x, x - 5);
    s.EndGesture();
    ASSERT_NE(View().T0(), t0);
    s.Undo();
    EXPECT_EQ(View().T0(), t0) << "the whole drag at once";
    s.Undo();
    EXPECT_EQ(View().T1() - View().T0(), 1) << "both wheel steps at once";
    EXPECT_FALSE(s.CanUndo());
}

TEST_F(Undo, TypingIntoTheBeamTableIsOneStep) {
    s.SelectBeams({1});
    s.StartBeamEdit(TBeamRow::Offset);
    s.EditBeam(TBeamRow::Offset, "0");
    s.EditBeam(TBeamRow::Offset, "0.");
    s.EditBeam(TBeamRow::Offset, "0.5");
    s.EndBeamEdit(TBeamRow::Offset, "0.5");
    ASSERT_EQ(View().Beam(1).Offset(), 0.5);
    s.Undo();
    EXPECT_EQ(View().Beam(1).Offset(), 0);
    EXPECT_FALSE(s.CanUndo());
}

TEST_F(Undo, ANewChangeClearsRedo) {
    s.SetScheme(TColorScheme::White);
    s.SetScheme(TColorScheme::Black);
    s.Undo();
    EXPECT_EQ(s.Picture().Scheme(), TColorScheme::White);
    ASSERT_TRUE(s.CanRedo());
    s.ToOneGroup();
    EXPECT_FALSE(s.CanRedo());
    s.Undo();
    s.Undo();
    EXPECT_EQ(s.Picture().Scheme(), TColorScheme::Gray);
}

TEST_F(Undo, ActionsThatChangeNothingMakeNoStep) {
    s.SetScheme(TColorScheme::Gray);
    s.SelectScreen(0);
    s.MousePress(50, false);
    s.MouseRelease(60, false, 0);  // a measurement, not a label
    EXPECT_FALSE(s.CanUndo());
}

TEST_F(Undo, LabelsRenamesAndSchemesAreSteps) {
    s.MousePress(100, true);
    s.MouseRelease(100, true, 10);
    ASSERT_EQ(View().TimeLabelCount(), 1);
    s.RenameScreen("Новое");
    s.Undo();
    EXPECT_EQ(s.ScreenName(0), "Экран 1");
    s.Undo();
    EXPECT_EQ(View().TimeLabelCount(), 0);
}

TEST_F(Undo, AHundredStepsAtLeastAndNoMoreThanTheLimit) {
    const int n = static_cast<int>(TOscHistory::kMaxSteps) + 20;
    for (int i = 0; i < n; ++i) s.SetScheme(i % 2 ? TColorScheme::White : TColorScheme::Black);
    int undone = 0;
    while (s.CanUndo()) {
        s.Undo();
        ++undone;
    }
    EXPECT_GE(undone, 100);
    EXPECT_EQ(undone, static_cast<int>(TOscHistory::kMaxSteps));
    // The oldest states went first: what is left is the oldest kept step, not the start.
    EXPECT_EQ(s.Picture().Scheme(), (n - static_cast<int>(TOscHistory::kMaxSteps)) % 2
                                        ? TColorScheme::Black
                                        : TColorScheme::White);
}

TEST_F(Undo, UndoingBackToTheSavedStateClearsTheModifiedFlag) {
    ASSERT_FALSE(osc.Modified);
    s.SelectBeams({0, 1});
    s.EditBeam(TBeamRow::Group, "1");
    s.EndBeamEdit(TBeamRow::Group, "1");
    EXPECT_TRUE(osc.Modified);
    s.Undo();
    EXPECT_FALSE(osc.Modified) << "back where the document was saved";
    s.Redo();
    EXPECT_TRUE(osc.Modified);
}

TEST_F(Undo, AStateSavedMidwayIsTheOneThatCounts) {
    s.SetScheme(TColorScheme::White);
    osc.Modified = false;  // the document was saved here
    s.SetScheme(TColorScheme::Black);
    s.Undo();
    EXPECT_FALSE(osc.Modified);
    s.Undo();
    EXPECT_TRUE(osc.Modified) << "the state before the save differs from the saved file";
}

TEST_F(Undo, TheHistoryStartsAgainWithEveryRun) {
    s.SetScheme(TColorScheme::White);
    s.PrepareForRun();
    EXPECT_FALSE(s.CanUndo());
}

TEST_F(Undo, UndoDiscardsAnOpenEntryAndEndsTheMeasurement) {
    s.Wheel(1, false, 100);
    s.EndGesture();
    s.ClickEntry(TEntryMode::Start);
    ASSERT_TRUE(s.Entry().Open());
    s.SetEntryText("0.5");
    s.Undo();
    EXPECT_FALSE(s.Entry().Open());
    EXPECT_EQ(View().T0(), 0);
    EXPECT_EQ(View().T1(), 1);
}

// ---- the undo part alone, under a context without a session

using UndoPart = TContextFixture;

// A change whose body throws must not stay counted as running, or every later change would join
// it and none be recorded again.
TEST_F(UndoPart, AChangeThatThrowsLeavesTheHistoryUsable) {
    const auto refuse = [] { throw std::runtime_error("refused"); };
    EXPECT_THROW(context.Change(TStepKind::Discrete, refuse), std::runtime_error);
    context.Change(TStepKind::Discrete, [&] {
        View().SetT0(0.2);
        try {
            context.Change(TStepKind::Discrete, refuse);
        } catch (const std::runtime_error&) {
        }
    });
    context.Change(TStepKind::Discrete, [&] { View().SetT0(0.3); });
    ASSERT_TRUE(context.Undo().Undo());
    EXPECT_EQ(View().T0(), 0.2) << "the last change is a step of its own";
    ASSERT_TRUE(context.Undo().Undo());
    EXPECT_EQ(View().T0(), 0);
    EXPECT_FALSE(context.Undo().CanUndo());
}

TEST_F(UndoPart, NestedChangesJoinTheOuterOne) {
    context.Change(TStepKind::Discrete, [&] {
        View().SetT0(0.2);
        context.Change(TStepKind::Discrete, [&] { View().SetT1(0.4); });
        context.Change(TStepKind::Pan, [&] { View().SetT0(0.3); });
    });
    ASSERT_TRUE(context.Undo().Undo());
    EXPECT_EQ(View().T0(), 0);
    EXPECT_EQ(View().T1(), 1);
    EXPECT_FALSE(context.Undo().CanUndo());
}

// Comparing the states writes them, and writing is what saving does: it clears the flag.
TEST_F(UndoPart, AChangeThatChangesNothingMakesNoStepAndKeepsRedo) {
    context.Change(TStepKind::Discrete, [&] { View().SetT0(0.2); });
    context.Change(TStepKind::Discrete, [&] { View().SetT0(0.3); });
    ASSERT_TRUE(context.Undo().Undo());
    ASSERT_TRUE(osc.Modified);
    context.Change(TStepKind::Discrete, [&] { View().SetT0(View().T0()); });
    context.Change(TStepKind::Discrete, [] {});
    EXPECT_TRUE(osc.Modified) << "the state is still not the saved one";
    EXPECT_TRUE(context.Undo().CanRedo()) << "nothing changed: the undone change can return";
    ASSERT_TRUE(context.Undo().Undo());
    EXPECT_EQ(View().T0(), 0);
    EXPECT_FALSE(context.Undo().CanUndo()) << "no step was recorded for nothing";
}

// A document that was never saved has no state to return to.
TEST_F(UndoPart, ADocumentNeverSavedStaysModified) {
    osc.Modified = true;
    context.Undo().Reset();
    context.Change(TStepKind::Discrete, [&] { View().SetT0(0.2); });
    ASSERT_TRUE(context.Undo().Undo());
    EXPECT_EQ(View().T0(), 0);
    EXPECT_TRUE(osc.Modified);
}

}  // namespace
}  // namespace kvaril
