// The session's screens, and the rules that tie its parts together, without a window.

#include "osc/OscSession.h"

#include <gtest/gtest.h>

#include <functional>

#include "SessionFixture.h"
#include "base/Cp1251.h"
#include "document/uBeam.h"
#include "document/uSignal.h"

namespace kvaril {
namespace {

using Session = TSessionFixture;

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

// Beside the editor the window stays open across runs: what the user set up stays while the
// signals are the same, and everything starts afresh, as the document's settings do, when not.
TEST_F(Session, ARefreshAfterARunKeepsTheViewOnlyWhileTheSignalsAreTheSame) {
    s.AddScreen("2");
    Window(0.2, 0.4);
    Label(0.3);
    ASSERT_TRUE(s.CanUndo());
    s.RefreshForRun();
    EXPECT_EQ(s.CurrentScreen(), 1);
    EXPECT_WINDOW(View(), 0.2, 0.4);
    EXPECT_EQ(View().TimeLabelCount(), 1);
    EXPECT_TRUE(s.CanUndo()) << "the undo history is kept";
    EXPECT_TRUE(s.PreparedFor(signals));

    signals.Items(2).SetName("D");
    EXPECT_FALSE(s.PreparedFor(signals));
    osc.SyncWithSignals(signals);  // as every run does
    s.RefreshForRun();
    EXPECT_EQ(s.ScreenCount(), 1);
    EXPECT_EQ(s.CurrentScreen(), 0);
    EXPECT_WINDOW(View(), 0, 1);
    EXPECT_FALSE(s.CanUndo()) << "steps of screens that are gone";
    EXPECT_EQ(s.Beams().SignalNames(), (std::vector<std::string>{"A", "B", "D"}));
}

TEST_F(Session, SwitchingScreensForgetsCursorAndPickedReference) {
    Label(0.1);
    Label(0.2);
    s.PickReferenceMarker(0);
    s.StepTime(TCursorStep::Right);
    s.AddScreen("Два");
    s.SelectScreen(0);
    EXPECT_FALSE(s.Cursors().Stepping());
    EXPECT_EQ(s.Cursors().PickedReferenceMarker(), -1);
}

// An open entry stayed open on a tab change and applied to the next screen. Every way out of
// the entry commits it to the screen it was opened on, before anything else.
TEST_F(Session, AnOpenEntryIsCommittedToItsScreenOnEveryPath) {
    const std::vector<std::pair<const char*, std::function<void()>>> paths = {
        {"tab change", [&] { s.SelectScreen(1); }},
        {"press on the traces", [&] { s.MousePress(10, false); }},
        {"press on the strip", [&] { s.MousePress(10, true); }},
        {"wheel", [&] { s.Wheel(0, false, 10); }},
        {"scroll bar", [&] { s.ScrollBy(0); }},
        {"drag", [&] { s.PanColumns(0, 0); }},
        {"signal list", [&] { s.SelectBeams({0}); }},
        {"add screen", [&] { s.AddScreen("new"); }},
        {"rename screen", [&] { s.RenameScreen("x"); }},
        {"colour", [&] { s.SetScheme(TColorScheme::White); }},
        {"regroup", [&] { s.ToOneGroup(); }},
        {"beam edit", [&] { s.StartBeamEdit(TBeamRow::Gain); }},
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
        s.ClickEntry(TEntryMode::Start);
        ASSERT_TRUE(s.Entry().Open());
        s.SetEntryText("0.4");
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
    s.ClickEntry(TEntryMode::Start);
    s.SetEntryText("0.4");
    osc.Modified = false;
    s.DeleteScreen();
    EXPECT_FALSE(s.Entry().Open());
    ASSERT_EQ(s.ScreenCount(), 1);
    EXPECT_WINDOW(View(), 0, 1) << "the remaining screen did not get the entry";
    s.CommitEntry();
    EXPECT_WINDOW(View(), 0, 1);
}

}  // namespace
}  // namespace kvaril
