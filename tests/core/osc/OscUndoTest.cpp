// Undo and redo of the oscilloscope's view, fitting the gain to the window, and reference runs
// in the session: all without a window.

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>

#include "HandRun.h"
#include "document/uSignal.h"
#include "model/RunHistory.h"
#include "model/uSignalsData.h"
#include "osc/OscSession.h"
#include "osc/ScreenLayout.h"
#include "osc/uBeam.h"

namespace kvaril {
namespace {

// Signals A, B, C; Q = 0.001, T = 1; A = 2 sin(2πt), B = 0.5, C = t; traces 200 columns wide.
struct Undo : ::testing::Test {
    void SetUp() override {
        MakeHandRun(signals, {"A", "B", "C"}, 0.001, 1, [](int s, int q) {
            return s == 0 ? 2 * std::sin(2 * M_PI * q * 0.001) : s == 1 ? 0.5 : q * 0.001;
        });
        osc.Modified = false;  // as after opening a saved document
        s.PrepareForRun();
        osc.Modified = false;
        s.PrepareForRun();
        s.TimeView().SetGraphWidth(200);
    }
    TView& View() { return *s.Current(); }
    TSignals signals;
    TOsc osc;
    TOscSession s{osc, signals};
};

TEST_F(Undo, TheHistoryStartsEmpty) {
    EXPECT_FALSE(s.CanUndo());
    EXPECT_FALSE(s.CanRedo());
    s.Undo();  // nothing happens
    EXPECT_EQ(s.ScreenCount(), 1);
}

TEST_F(Undo, ZoomGainAndScreenDeletionAreRestoredExactly) {
    s.TimeView().Wheel(3, false, 50);
    const double t0 = View().T0(), t1 = View().T1();
    s.EndGesture();
    s.Beams().SetSelection({0});
    s.Beams().Edit(TBeamRow::Gain, "2.5");
    s.Beams().EndEdit(TBeamRow::Gain, "2.5");
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
    s.TimeView().Wheel(2, false, 100);
    s.TimeView().Wheel(2, false, 100);
    s.EndGesture();
    const double t0 = View().T0();
    for (int x = 100; x > 60; x -= 5) s.TimeView().PanColumns(x, x - 5);
    s.EndGesture();
    ASSERT_NE(View().T0(), t0);
    s.Undo();
    EXPECT_EQ(View().T0(), t0) << "the whole drag at once";
    s.Undo();
    EXPECT_EQ(View().T1() - View().T0(), 1) << "both wheel steps at once";
    EXPECT_FALSE(s.CanUndo());
}

TEST_F(Undo, TypingIntoTheBeamTableIsOneStep) {
    s.Beams().SetSelection({1});
    s.Beams().StartEdit(TBeamRow::Offset);
    s.Beams().Edit(TBeamRow::Offset, "0");
    s.Beams().Edit(TBeamRow::Offset, "0.");
    s.Beams().Edit(TBeamRow::Offset, "0.5");
    s.Beams().EndEdit(TBeamRow::Offset, "0.5");
    ASSERT_EQ(View().Beam(1).Offset(), 0.5);
    s.Undo();
    EXPECT_EQ(View().Beam(1).Offset(), 0);
    EXPECT_FALSE(s.CanUndo());
}

TEST_F(Undo, ANewChangeClearsRedo) {
    s.Picture().SetScheme(TColorScheme::White);
    s.Picture().SetScheme(TColorScheme::Black);
    s.Undo();
    EXPECT_EQ(s.Picture().Scheme(), TColorScheme::White);
    ASSERT_TRUE(s.CanRedo());
    s.Beams().ToOneGroup();
    EXPECT_FALSE(s.CanRedo());
    s.Undo();
    s.Undo();
    EXPECT_EQ(s.Picture().Scheme(), TColorScheme::Gray);
}

TEST_F(Undo, ActionsThatChangeNothingMakeNoStep) {
    s.Picture().SetScheme(TColorScheme::Gray);
    s.SelectScreen(0);
    s.Cursors().Press(50, false);
    s.Cursors().Release(60, false, 0);  // a measurement, not a label
    EXPECT_FALSE(s.CanUndo());
}

TEST_F(Undo, LabelsRenamesAndSchemesAreSteps) {
    s.Cursors().Press(100, true);
    s.Cursors().Release(100, true, 10);
    ASSERT_EQ(View().TimeLabelCount(), 1);
    s.RenameScreen("Новое");
    s.Undo();
    EXPECT_EQ(s.ScreenName(0), "Экран 1");
    s.Undo();
    EXPECT_EQ(View().TimeLabelCount(), 0);
}

TEST_F(Undo, AHundredStepsAtLeastAndNoMoreThanTheLimit) {
    const int n = static_cast<int>(TOscHistory::kMaxSteps) + 20;
    for (int i = 0; i < n; ++i)
        s.Picture().SetScheme(i % 2 ? TColorScheme::White : TColorScheme::Black);
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
    s.Beams().SetSelection({0, 1});
    s.Beams().Edit(TBeamRow::Group, "1");
    s.Beams().EndEdit(TBeamRow::Group, "1");
    EXPECT_TRUE(osc.Modified);
    s.Undo();
    EXPECT_FALSE(osc.Modified) << "back where the document was saved";
    s.Redo();
    EXPECT_TRUE(osc.Modified);
}

TEST_F(Undo, AStateSavedMidwayIsTheOneThatCounts) {
    s.Picture().SetScheme(TColorScheme::White);
    osc.Modified = false;  // the document was saved here
    s.Picture().SetScheme(TColorScheme::Black);
    s.Undo();
    EXPECT_FALSE(osc.Modified);
    s.Undo();
    EXPECT_TRUE(osc.Modified) << "the state before the save differs from the saved file";
}

TEST_F(Undo, TheHistoryStartsAgainWithEveryRun) {
    s.Picture().SetScheme(TColorScheme::White);
    s.PrepareForRun();
    EXPECT_FALSE(s.CanUndo());
}

TEST_F(Undo, UndoDiscardsAnOpenEntryAndEndsTheMeasurement) {
    s.TimeView().Wheel(1, false, 100);
    s.EndGesture();
    s.Entry().Click(TEntryMode::Start);
    ASSERT_TRUE(s.Entry().Open());
    s.Entry().SetText("0.5");
    s.Undo();
    EXPECT_FALSE(s.Entry().Open());
    EXPECT_EQ(View().T0(), 0);
    EXPECT_EQ(View().T1(), 1);
}

TEST_F(Undo, FittingSetsTheGainFromTheLargestValueInTheWindow) {
    View().SetT0(0);
    View().SetT1(0.1);  // A rises to 2 sin(0.2π) at most
    s.Beams().SetSelection({0, 2});
    View().Beam(2).SetOffset(0.5);
    s.Beams().FitToWindow();
    EXPECT_NEAR(View().Beam(0).Gain(), 1 / (2 * std::sin(2 * M_PI * 0.099)), 1e-12);
    EXPECT_NEAR(View().Beam(2).Gain(), 0.5 / 0.099, 1e-12) << "the offset leaves half the band";
    EXPECT_EQ(View().Beam(2).Offset(), 0.5);
    EXPECT_EQ(View().Beam(1).Gain(), 0) << "not selected";
    s.Undo();
    EXPECT_EQ(View().Beam(0).Gain(), 0);
}

TEST_F(Undo, FittingLeavesABeamThatIsZeroInTheWindow) {
    View().SetT0(0);
    View().SetT1(0.0005);  // only C = 0 there
    s.Beams().SetSelection({2});
    s.Beams().FitToWindow();
    EXPECT_EQ(View().Beam(2).Gain(), 0);
    EXPECT_FALSE(s.CanUndo());
}

// ---- reference runs in the session

struct Reference : Undo {
    void SetUp() override {
        Undo::SetUp();
        s.References().SetRunHistory(&runs);
        runs.Add(CaptureRun(signals, 0));
        for (int q = 0; q < signals.Data().SampleCount(); ++q) signals.Data().SetData(1, q, 0.75);
        runs.Add(CaptureRun(signals, 0));
        s.PrepareForRun();
    }
    TRunHistory runs;
};

TEST_F(Reference, ASecondRunOffersTheFirst) {
    const std::vector<TRunChoice> choices = s.References().Choices();
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(choices[0].Text, "нет");
    EXPECT_EQ(choices[1].Id, 1);
    EXPECT_NE(choices[1].Text.find("сигналов: 3"), std::string::npos);
    EXPECT_EQ(s.References().Reference(), nullptr);
}

TEST_F(Reference, TheValueTableShowsTheReferenceAndTheDifference) {
    s.References().SetReference(1);
    ASSERT_NE(s.References().Reference(), nullptr);
    const std::vector<TValueRow> rows = s.Readings().ValueRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].Cells[2].Text, "0.75");
    EXPECT_EQ(rows[1].Cells[3].Text, "0.5");
    EXPECT_EQ(rows[1].Cells[4].Text, "0.25");
    s.References().SetReference(0);
    EXPECT_EQ(s.Readings().ValueRows()[1].Cells[3].Text, "");
}

TEST_F(Reference, ThePictureDrawsTheReferenceBehindEachBeam) {
    TGraphPicture plain, compared;
    s.Picture().LayoutGraph(200, 300, plain);
    s.References().SetReference(1);
    s.Picture().LayoutGraph(200, 300, compared);
    int beams = 0, references = 0;
    for (const TDrawItem& item : compared.Items)
        if (item.What == TDrawItem::Beam)
            ++(item.Color == ReferenceColor(TColorScheme::Gray, 0) ? references : beams);
    EXPECT_EQ(beams, 3);
    EXPECT_EQ(references, 3);
    EXPECT_EQ(compared.Items.size(), plain.Items.size() + 3);
    // Each group's reference comes before its beam.
    for (size_t i = 0; i + 1 < compared.Items.size(); ++i) {
        if (compared.Items[i].What == TDrawItem::Beam &&
            compared.Items[i].Color == ReferenceColor(TColorScheme::Gray, 0)) {
            EXPECT_EQ(compared.Items[i + 1].Color, BeamColor(TColorScheme::Gray, 0));
        }
    }
}

TEST_F(Reference, PinningKeepsTheRunAndItBecomesTheDefault) {
    s.References().Pin();  // nothing chosen: the current run, id 2
    EXPECT_EQ(runs.PinnedId(), 2);
    for (int i = 0; i < 6; ++i) runs.Add(CaptureRun(signals, 0));
    s.PrepareForRun();
    ASSERT_NE(s.References().Reference(), nullptr);
    EXPECT_EQ(s.References().Reference()->Id, 2);
    s.References().SetReference(0);  // "нет" chosen on purpose
    EXPECT_EQ(s.References().Reference(), nullptr);
}

TEST_F(Reference, ARunOfOtherTimesIsNotDrawn) {
    TStoredRun other = CaptureRun(signals, 0);
    other.QuantTime = 0.002;
    const int id = runs.Add(std::move(other)).Id;
    runs.Add(CaptureRun(signals, 0));
    s.References().SetReference(id);
    ASSERT_NE(s.References().Reference(), nullptr);
    EXPECT_EQ(s.Readings().ValueRows()[0].Cells[3].Text, "");
}

}  // namespace
}  // namespace kvaril
