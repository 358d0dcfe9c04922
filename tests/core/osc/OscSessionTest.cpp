// The oscilloscope's state and rules without a window.

#include "osc/OscSession.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "SessionFixture.h"
#include "document/Cp1251.h"
#include "document/uSignal.h"
#include "model/uSignalsData.h"
#include "osc/uBeam.h"

namespace kvaril {
namespace {

using Session = TSessionFixture;

#define EXPECT_WINDOW(view, t0, t1)                                                             \
    EXPECT_TRUE(std::fabs((view).T0() - (t0)) < 1e-12 && std::fabs((view).T1() - (t1)) < 1e-12) \
        << (view).T0() << " .. " << (view).T1() << " "

TEST_F(Session, PreparingGivesOneScreenShowingTheWholeRun) {
    ASSERT_EQ(s.ScreenCount(), 1);
    EXPECT_EQ(s.CurrentScreen(), 0);
    EXPECT_EQ(s.ScreenName(0), "Экран 1");
    EXPECT_EQ(s.TimeView().T0Text(), "T0 : 0");
    EXPECT_EQ(s.TimeView().T1Text(), "1 : T1");
    EXPECT_EQ(s.TimeView().CaptionText(), "< dT : 1 >");
    EXPECT_EQ(s.TimeView().Frame().MinInterval, 0.01);
    EXPECT_EQ(s.Beams().SignalNames(), (std::vector<std::string>{"A", "B", "C"}));
}

// A document whose oscilloscope held no screen left the window without any, Add disabled.
TEST_F(Session, ADocumentWithoutScreensOpensWithTheDefaultScreen) {
    osc.DeleteView(0);
    s.PrepareForRun();
    ASSERT_EQ(s.ScreenCount(), 1);
    EXPECT_EQ(s.CurrentScreen(), 0);
    EXPECT_EQ(s.ScreenName(0), "Экран 1");
    EXPECT_TRUE(s.CanAddScreen());
}

TEST_F(Session, ScreensAddDeleteAndRenameKeepACurrentScreen) {
    s.AddScreen("Два");
    EXPECT_EQ(s.CurrentScreen(), 1) << "a new screen is shown";
    s.AddScreen("Три");
    EXPECT_TRUE(s.CanDeleteScreen());
    EXPECT_EQ(s.DeleteQuestion(), "Вы действительно хотите удалить экран:\n<Три> ?");
    s.DeleteScreen();  // the last: its left neighbour
    EXPECT_EQ(s.CurrentScreen(), 1);
    s.SelectScreen(0);
    s.DeleteScreen();  // the first: the next takes its place
    EXPECT_EQ(s.CurrentScreen(), 0);
    EXPECT_EQ(s.ScreenName(0), "Два");
    EXPECT_FALSE(s.CanDeleteScreen());
    s.DeleteScreen();
    EXPECT_EQ(s.ScreenCount(), 1) << "the only screen stays";
    s.RenameScreen("Главный");
    EXPECT_EQ(osc.View(0).Name(), Utf8ToCp1251("Главный"));
    s.SelectScreen(5);
    EXPECT_EQ(s.CurrentScreen(), 0) << "no such screen: nothing changes";
}

TEST_F(Session, TheScreenShownAtClosingReturnsWhileItExists) {
    s.AddScreen("2");
    s.AddScreen("3");
    s.Close();
    s.PrepareForRun();
    EXPECT_EQ(s.CurrentScreen(), 2);
    s.Close();
    signals.SetTotalTime(0.5);  // the model is reset to one screen
    s.PrepareForRun();
    EXPECT_EQ(s.CurrentScreen(), 0);
}

TEST_F(Session, ColumnsAndTimesAtTheEdges) {
    Window(0.2, 0.4);
    EXPECT_DOUBLE_EQ(s.TimeView().TimeAtColumn(0), 0.2);
    EXPECT_DOUBLE_EQ(s.TimeView().TimeAtColumn(200), 0.4);
    EXPECT_DOUBLE_EQ(s.TimeView().TimeAtColumn(50), 0.25);
    EXPECT_EQ(s.TimeView().ClampColumn(-5), 1);
    EXPECT_EQ(s.TimeView().ClampColumn(0), 1);
    EXPECT_EQ(s.TimeView().ClampColumn(199), 199);
    EXPECT_EQ(s.TimeView().ClampColumn(400), 199);
    s.TimeView().SetGraphWidth(0);
    EXPECT_EQ(s.TimeView().GraphWidth(), 1) << "never a division by zero";
}

TEST_F(Session, DraggingPansWithThePointer) {
    Window(0.2, 0.4);
    s.TimeView().PanColumns(100, 50);  // half the traces to the left: later times come in
    EXPECT_WINDOW(View(), 0.25, 0.45);
    s.TimeView().PanColumns(0, 2000);
    EXPECT_WINDOW(View(), 0, 0.2) << "not before the start";
    s.TimeView().PanColumns(2000, 0);
    EXPECT_WINDOW(View(), 0.8, 1) << "not past the end";
}

TEST_F(Session, TheWheelZoomsAroundThePointerAndPans) {
    Window(0.2, 0.3);
    s.TimeView().Wheel(1, false, 100);
    EXPECT_NEAR(View().T1() - View().T0(), 0.08, 1e-12);
    EXPECT_NEAR((View().T0() + View().T1()) / 2, 0.25, 0.002);
    for (int i = 0; i < 40; ++i) s.TimeView().Wheel(1, false, 0);
    EXPECT_NEAR(View().T1() - View().T0(), 0.01, 1e-12) << "never below ten quanta";
    for (int i = 0; i < 60; ++i) s.TimeView().Wheel(-1, false, 0);
    EXPECT_WINDOW(View(), 0, 1);
    Window(0.2, 0.3);
    s.TimeView().Wheel(-1, true, 0);
    EXPECT_WINDOW(View(), 0.21, 0.31) << "Ctrl+wheel down moves a tenth later";
}

TEST_F(Session, TheScrollBarFollowsTheWindow) {
    Window(0.2, 0.3);
    const TScrollState st = s.TimeView().Scroll();
    EXPECT_EQ(st.Maximum, 900);
    EXPECT_EQ(st.Position, 200);
    EXPECT_EQ(st.LargeStep, 100);
    EXPECT_EQ(st.SmallStep, 10);
    s.TimeView().ScrollBy(-10);
    EXPECT_WINDOW(View(), 0.19, 0.29);
    s.TimeView().ScrollBy(10000);
    EXPECT_WINDOW(View(), 0.9, 1);
    s.TimeView().ScrollTo(0);
    EXPECT_WINDOW(View(), 0, 0.1);
}

TEST_F(Session, TheCursorMeasuresAndTheStripTogglesLabels) {
    s.Cursors().Press(0, false);
    EXPECT_TRUE(s.Cursors().Measuring());
    EXPECT_EQ(s.Cursors().CursorColumn(), 1);
    EXPECT_DOUBLE_EQ(s.Cursors().MeasureTime(), 1.0 / 200);
    EXPECT_EQ(s.TimeView().CaptionText(), "T: 0.005");
    s.Cursors().Press(50, false);
    EXPECT_EQ(s.Cursors().CursorColumn(), 1) << "a second press while measuring is ignored";
    s.Cursors().Move(500);
    EXPECT_EQ(s.Cursors().CursorColumn(), 199);
    s.Cursors().Release(500, false, 10);
    EXPECT_FALSE(s.Cursors().Measuring());
    EXPECT_EQ(s.Cursors().MeasureTime(), -1);
    EXPECT_EQ(s.TimeView().CaptionText(), "< dT : 1 >");
    EXPECT_EQ(View().TimeLabelCount(), 0) << "a drag on the traces sets no label";

    s.Cursors().Press(100, true);
    s.Cursors().Release(100, true, 10);
    ASSERT_EQ(View().TimeLabelCount(), 1);
    EXPECT_DOUBLE_EQ(View().TimeLabel(0).Time(), 0.5);
    s.Cursors().Press(50, true);
    s.Cursors().Release(50, true, 10);
    EXPECT_EQ(View().TimeLabelCount(), 2);
    s.Cursors().Press(103, true);
    s.Cursors().Release(103, true, 10);
    ASSERT_EQ(View().TimeLabelCount(), 1) << "within half a mark of it: removed";
    EXPECT_DOUBLE_EQ(View().TimeLabel(0).Time(), 0.25);
    s.Cursors().Press(150, false);
    s.Cursors().Release(150, true, 10);
    EXPECT_EQ(View().TimeLabelCount(), 1) << "a drag from the traces onto the strip";
    s.Cursors().Move(20);
    EXPECT_FALSE(s.Cursors().Measuring()) << "moving without a press measures nothing";
}

TEST_F(Session, TheValueRowsFollowTheGroupsAndTheCursor) {
    std::vector<TValueRow> rows = s.Readings().ValueRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].Cells[1].Text, "B");
    EXPECT_EQ(rows[2].Cells[2].Text, "0") << "at T0";
    s.Cursors().Press(100, false);
    EXPECT_EQ(s.Readings().ValueRows()[2].Cells[2].Text, "0.5") << "at the measured time";
    s.Cursors().Release(100, false, 10);
    s.Beams().SetSelection({0});
    s.Beams().Edit(TBeamRow::Group, "Нет");
    rows = s.Readings().ValueRows();
    ASSERT_EQ(rows.size(), 2u) << "grouping follows the edit with nothing rebuilt by hand";
    EXPECT_EQ(rows[0].Cells[1].Text, "B");
    s.Beams().ToOneGroup();
    rows = s.Readings().ValueRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].Cells[0].Text, "1");
    EXPECT_EQ(rows[2].Cells[0].ColorIndex, 2);
    s.Beams().ToManyGroups();
    EXPECT_EQ(s.Readings().ValueRows()[2].Cells[0].Text, "3");
}

TEST_F(Session, TheBeamTableShowsAndEditsTheSelection) {
    EXPECT_EQ(s.Beams().BeamText(TBeamRow::Gain), "") << "nothing selected";
    s.Beams().SetSelection({1});
    EXPECT_EQ(s.Beams().BeamText(TBeamRow::Gain), "Авто");
    EXPECT_EQ(s.Beams().MaxValueText(), "Макс: 0.5 ");
    s.Beams().StartEdit(TBeamRow::Interpolation);
    EXPECT_EQ(s.Status(), "Вид интерполяции: нет, линия, сплайн");
    s.Beams().Edit(TBeamRow::Interpolation, "Ли");
    EXPECT_EQ(View().Beam(1).InterpolationKind(), TInterpolation::Spline);
    s.Beams().EndEdit(TBeamRow::Interpolation, "Линия");
    EXPECT_EQ(View().Beam(1).InterpolationKind(), TInterpolation::Line);
    EXPECT_EQ(s.Beams().BeamText(TBeamRow::Interpolation), "Линия");
    EXPECT_EQ(s.Status(), "");
    s.Beams().SetSelection({1, 2});
    EXPECT_EQ(s.Beams().BeamText(TBeamRow::Interpolation), "") << "the settings differ";
    EXPECT_EQ(s.Beams().MaxValueText(), "");
    s.Beams().SetSelection({});
    EXPECT_EQ(s.Beams().MaxValueText(), "") << "kept while nothing is selected";
    s.AddScreen("2");
    s.Beams().SetSelection({1});
    EXPECT_EQ(s.Beams().BeamText(TBeamRow::Interpolation), "Нет") << "each screen has its beams";
}

TEST_F(Session, TheColourSchemeIsTheOscilloscopes) {
    osc.Modified = false;
    s.Picture().SetScheme(TColorScheme::Black);
    EXPECT_EQ(s.Picture().Scheme(), TColorScheme::Black);
    EXPECT_TRUE(osc.Modified);
    TGraphPicture p;
    s.Picture().LayoutGraph(100, 100, p);
    EXPECT_EQ(p.Background, (TRgb{0, 0, 0}));
}

TEST_F(Session, TheEntryOpensWithTheShownTimeAndItsHint) {
    s.Entry().Click(TEntryMode::Start);
    EXPECT_FALSE(s.Entry().Open()) << "the whole run is shown";
    EXPECT_EQ(s.WarningCount(), 1);
    EXPECT_EQ(s.Status(), "На экране отображается полный интервал времен");
    Window(0.2, 0.3);
    s.Entry().Click(TEntryMode::Length);
    ASSERT_TRUE(s.Entry().Open());
    EXPECT_EQ(s.Entry().Text(), "0.1");
    EXPECT_EQ(s.Status(), "Значение интервала может быть в пределах от 0.01 до 1");
    EXPECT_EQ(s.Entry().Suggestions().at(1), "D*2");
    s.Entry().SetText("D*2");
    s.Entry().Click(TEntryMode::Start);  // a click on a text while open only commits
    EXPECT_FALSE(s.Entry().Open());
    EXPECT_WINDOW(View(), 0.2, 0.4);
    EXPECT_EQ(s.Status(), "");
}

// Typing T and Enter in the start entry gave T/2, 0 in the length entry 0..T: the entry
// evaluates what was typed, never a completion of it.
TEST_F(Session, TheEntryEvaluatesExactlyWhatWasTyped) {
    Window(0.2, 0.3);
    s.Entry().Click(TEntryMode::Start);
    s.Entry().SetText("T");
    s.Entry().Commit();
    EXPECT_WINDOW(View(), 0.9, 1);
    s.Entry().Click(TEntryMode::Length);
    s.Entry().SetText("0");
    s.Entry().Commit();
    EXPECT_WINDOW(View(), 0.9, 0.91) << "length 0 is the shortest window";
}

// An open entry stayed open on a tab change and applied to the next screen. Every way out of
// the entry commits it to the screen it was opened on, before anything else.
TEST_F(Session, AnOpenEntryIsCommittedToItsScreenOnEveryPath) {
    const std::vector<std::pair<const char*, std::function<void()>>> paths = {
        {"tab change", [&] { s.SelectScreen(1); }},
        {"press on the traces", [&] { s.Cursors().Press(10, false); }},
        {"press on the strip", [&] { s.Cursors().Press(10, true); }},
        {"wheel", [&] { s.TimeView().Wheel(0, false, 10); }},
        {"scroll bar", [&] { s.TimeView().ScrollBy(0); }},
        {"drag", [&] { s.TimeView().PanColumns(0, 0); }},
        {"signal list", [&] { s.Beams().SetSelection({0}); }},
        {"add screen", [&] { s.AddScreen("new"); }},
        {"rename screen", [&] { s.RenameScreen("x"); }},
        {"colour", [&] { s.Picture().SetScheme(TColorScheme::White); }},
        {"regroup", [&] { s.Beams().ToOneGroup(); }},
        {"beam edit", [&] { s.Beams().StartEdit(TBeamRow::Gain); }},
        {"closing", [&] { s.Close(); }},
    };
    for (const auto& [name, path] : paths) {
        SCOPED_TRACE(name);
        s.PrepareForRun();
        while (s.ScreenCount() < 2) s.AddScreen("2");
        s.SelectScreen(0);
        TView& first = osc.View(0);
        TView& second = osc.View(1);
        first.SetT0(0.2);
        first.SetT1(0.3);
        second.SetT0(0.5);
        second.SetT1(0.6);
        s.Entry().Click(TEntryMode::Start);
        ASSERT_TRUE(s.Entry().Open());
        s.Entry().SetText("0.4");
        path();
        EXPECT_FALSE(s.Entry().Open());
        EXPECT_EQ(s.Entry().Suggestions().size(), 0u);
        EXPECT_WINDOW(first, 0.4, 0.5);
        EXPECT_WINDOW(second, 0.5, 0.6) << "the other screen is untouched";
    }
}

TEST_F(Session, DeletingTheScreenOfAnOpenEntryCommitsItFirst) {
    s.AddScreen("2");
    s.SelectScreen(0);
    Window(0.2, 0.3);
    s.Entry().Click(TEntryMode::Start);
    s.Entry().SetText("0.4");
    osc.Modified = false;
    s.DeleteScreen();
    EXPECT_FALSE(s.Entry().Open());
    ASSERT_EQ(s.ScreenCount(), 1);
    EXPECT_WINDOW(View(), 0, 1) << "the remaining screen did not get the entry";
    s.Entry().Commit();
    EXPECT_WINDOW(View(), 0, 1);
}

TEST_F(Session, ClosingTheEntryTwiceAppliesItOnce) {
    Window(0.2, 0.3);
    s.Entry().Click(TEntryMode::Length);
    s.Entry().SetText("D*2");
    s.Entry().Commit();
    s.Entry().Commit();
    s.Entry().SetText("D*2");  // no entry open: ignored
    s.Entry().Commit();
    EXPECT_WINDOW(View(), 0.2, 0.4);
}

TEST_F(Session, LabelsShowOnTheStripAndAmongTheSuggestions) {
    Window(0.2, 0.4);
    s.Cursors().Press(50, true);
    s.Cursors().Release(50, true, 10);
    const std::vector<TLabelMark> marks = s.Cursors().LayoutLabels();
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].X, 50);
    EXPECT_EQ(marks[0].Text, "m1");
    s.Entry().Click(TEntryMode::End);
    EXPECT_EQ(s.Entry().Suggestions(), (std::vector<std::string>{"T", "T/2", "m1"}));
}

}  // namespace
}  // namespace kvaril
