// The copy a background run works on, and the key that tells whether a text was run already.

#include "model/RunSnapshot.h"

#include <gtest/gtest.h>

#include "HandRun.h"
#include "document/uSignal.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

TEST(RunSnapshot, TheCopyHasTheTextsAndTimesButNotTheSamples) {
    TSignals signals;
    MakeHandRun(signals, {"A", "B"}, 0.001, 0.1, [](int s, int q) { return s + q; });
    signals.Items(1).SetText("{ B's own text }");
    std::unique_ptr<TSignals> copy = CopyForRun(signals);
    ASSERT_EQ(copy->Count(), 2);
    EXPECT_EQ(copy->Items(1).Name(), "B");
    EXPECT_EQ(copy->Items(1).GetText(), signals.Items(1).GetText());
    EXPECT_EQ(copy->QuantTime(), 0.001);
    EXPECT_EQ(copy->TotalTime(), 0.1);
    EXPECT_EQ(copy->Data().SampleCount(), 0) << "the samples shown stay with the document";

    // The samples of a run on the copy are handed over whole.
    const int32_t shown = signals.Data().SampleCount();
    ASSERT_GT(shown, 3);
    copy->Data().SetSize(2, 3);
    copy->Data().SetData(1, 2, 7.5);
    signals.SwapData(*copy);
    EXPECT_EQ(signals.Data().GetData(1, 2), 7.5);
    EXPECT_EQ(signals.Data().SampleCount(), 3);
    EXPECT_EQ(copy->Data().SampleCount(), shown) << "and the old ones go to the copy";
}

TEST(RunSnapshot, TheKeyChangesWithWhatARunComputesOnly) {
    TSignals signals;
    MakeHandRun(signals, {"A"}, 0.001, 0.1, [](int, int) { return 0.0; });
    const std::string key = RunKey(*CopyForRun(signals));
    EXPECT_EQ(RunKey(*CopyForRun(signals)), key);
    signals.Items(0).Bookmarks[0] = TBookmark{true, 1, 1};  // where the caret was: no run
    EXPECT_EQ(RunKey(*CopyForRun(signals)), key);

    std::vector<std::string>& lines = signals.Items(0).Lines();
    lines.push_back("// a comment reaches the unit");
    EXPECT_NE(RunKey(*CopyForRun(signals)), key);
    lines.pop_back();
    ASSERT_EQ(RunKey(*CopyForRun(signals)), key);
    signals.SetTotalTime(0.2);
    EXPECT_NE(RunKey(*CopyForRun(signals)), key);
}

TEST(RunSnapshot, TheStaleNoteCountsErrorsInRussian) {
    const std::pair<int, const char*> cases[] = {
        {1, "устарело: 1 ошибка"},   {2, "устарело: 2 ошибки"},   {4, "устарело: 4 ошибки"},
        {5, "устарело: 5 ошибок"},   {11, "устарело: 11 ошибок"}, {12, "устарело: 12 ошибок"},
        {21, "устарело: 21 ошибка"}, {22, "устарело: 22 ошибки"}, {111, "устарело: 111 ошибок"},
    };
    for (const auto& [errors, note] : cases) EXPECT_EQ(StaleNote(errors), note) << errors;
}

}  // namespace
}  // namespace kvaril
