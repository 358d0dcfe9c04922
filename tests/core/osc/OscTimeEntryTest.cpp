// The time entry: what it opens with, what it evaluates, and the screen it is committed to.

#include "osc/OscTimeEntry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SessionFixture.h"
#include "document/uBeam.h"
#include "osc/OscContext.h"

namespace kvaril {
namespace {

using TimeEntry = TSessionFixture;

TEST_F(TimeEntry, TheEntryOpensWithTheShownTimeAndItsHint) {
    s.ClickEntry(TEntryMode::Start);
    EXPECT_FALSE(s.Entry().Open()) << "the whole run is shown";
    EXPECT_EQ(s.WarningCount(), 1);
    EXPECT_EQ(s.Status(), "На экране отображается полный интервал времен");
    Window(0.2, 0.3);
    s.ClickEntry(TEntryMode::Length);
    ASSERT_TRUE(s.Entry().Open());
    EXPECT_EQ(s.Entry().Text(), "0.1");
    EXPECT_EQ(s.Status(), "Значение интервала может быть в пределах от 0.01 до 1");
    EXPECT_EQ(s.Entry().Suggestions().at(1), "D*2");
    s.SetEntryText("D*2");
    s.ClickEntry(TEntryMode::Start);  // a click on a text while open only commits
    EXPECT_FALSE(s.Entry().Open());
    EXPECT_WINDOW(View(), 0.2, 0.4);
    EXPECT_EQ(s.Status(), "");
}

// Typing T and Enter in the start entry gave T/2, 0 in the length entry 0..T: the entry
// evaluates what was typed, never a completion of it.
TEST_F(TimeEntry, TheEntryEvaluatesExactlyWhatWasTyped) {
    Window(0.2, 0.3);
    s.ClickEntry(TEntryMode::Start);
    s.SetEntryText("T");
    s.CommitEntry();
    EXPECT_WINDOW(View(), 0.9, 1);
    s.ClickEntry(TEntryMode::Length);
    s.SetEntryText("0");
    s.CommitEntry();
    EXPECT_WINDOW(View(), 0.9, 0.91) << "length 0 is the shortest window";
}

TEST_F(TimeEntry, ClosingTheEntryTwiceAppliesItOnce) {
    Window(0.2, 0.3);
    s.ClickEntry(TEntryMode::Length);
    s.SetEntryText("D*2");
    s.CommitEntry();
    s.CommitEntry();
    s.SetEntryText("D*2");  // no entry open: ignored
    s.CommitEntry();
    EXPECT_WINDOW(View(), 0.2, 0.4);
}

// ---- the time entry alone, under a context without a session

// Two screens, the first shown, with windows 0.2 .. 0.3 and 0.5 .. 0.6.
struct TimeEntryPart : TContextFixture {
    void SetUp() override {
        TContextFixture::SetUp();
        osc.AddView("2");
        View(0).SetT0(0.2);
        View(0).SetT1(0.3);
        View(1).SetT0(0.5);
        View(1).SetT1(0.6);
    }
    TOscTimeEntry entry{context};
};

// An entry belongs to its screen, whichever screen the context shows when it is committed.
TEST_F(TimeEntryPart, AnEntryStaysWithTheScreenItWasOpenedOn) {
    AddLabel(osc, View(0), 0.25);
    entry.Click(TEntryMode::Start);
    ASSERT_TRUE(entry.Open());
    context.SetCurrentIndex(1);
    EXPECT_EQ(entry.Suggestions(), (std::vector<std::string>{"0", "T/2", "m1"}))
        << "the markers of its own screen";
    entry.SetText("0.4");
    entry.Commit();
    EXPECT_WINDOW(View(0), 0.4, 0.5);
    EXPECT_WINDOW(View(1), 0.5, 0.6) << "the screen shown is untouched";
}

// Every part commits an open entry through the context before it acts; the commit is a step of
// its own.
TEST_F(TimeEntryPart, TheContextCommitsTheOpenEntryAsOneStep) {
    entry.Click(TEntryMode::Length);
    entry.SetText("D*2");
    context.CommitEntry();
    EXPECT_FALSE(entry.Open());
    EXPECT_WINDOW(View(0), 0.2, 0.4);
    EXPECT_EQ(context.Status(), "") << "the entry's hint is gone";
    ASSERT_TRUE(context.Undo().Undo());
    EXPECT_WINDOW(View(0), 0.2, 0.3);
    EXPECT_FALSE(context.Undo().CanUndo());
}

}  // namespace
}  // namespace kvaril
