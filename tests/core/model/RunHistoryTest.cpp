// The runs kept for comparing: matching by name, the five newest and the pinned one, memory.

#include "model/RunHistory.h"

#include <gtest/gtest.h>

#include "document/uSignal.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

// A document of the given signals, 20 quanta, each signal's samples = its position × 10 + q.
void MakeRun(TSignals& signals, const std::vector<std::string>& names) {
    signals.Clear();
    for (const std::string& name : names) {
        auto s = std::make_unique<TSignal>(signals);
        s->SetName(name);
        signals.Insert(std::move(s), -1);
    }
    signals.SetQuantTime(0.1);
    signals.SetTotalTime(2);
    TSignalsData& d = signals.Data();
    d.SetSize(static_cast<int32_t>(names.size()), signals.QuantCount());
    for (int s = 0; s < d.SignalCount(); ++s)
        for (int q = 0; q < d.SampleCount(); ++q) d.SetData(s, q, s * 10 + q);
}

TEST(RunHistory, ACapturedRunCopiesNamesAndSamples) {
    TSignals signals;
    MakeRun(signals, {"A", "B"});
    const TStoredRun run = CaptureRun(signals, 0);
    EXPECT_EQ(run.Names, (std::vector<std::string>{"A", "B"}));
    ASSERT_EQ(run.SampleCount, 20);
    EXPECT_EQ(run.Row(1)[3], 13);
    signals.Data().SetData(1, 3, -1);
    EXPECT_EQ(run.Row(1)[3], 13) << "a copy, not the store";
}

TEST(RunHistory, RenamedAddedAndRemovedSignalsMatchByName) {
    TSignals signals;
    MakeRun(signals, {"A", "B", "C"});
    const TStoredRun run = CaptureRun(signals, 0);
    MakeRun(signals, {"C", "New", "A"});
    EXPECT_EQ(MatchRows(signals, run), (std::vector<int>{2, -1, 0}));
    const std::vector<const double*> rows = ReferenceRows(signals, run);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], 20);
    EXPECT_EQ(rows[1], nullptr);
    EXPECT_EQ(rows[2][5], 5);
}

TEST(RunHistory, SameNamedSignalsMatchInOrder) {
    TSignals signals;
    MakeRun(signals, {"X", "Y", "X"});
    const TStoredRun run = CaptureRun(signals, 0);
    MakeRun(signals, {"X", "X", "X"});
    EXPECT_EQ(MatchRows(signals, run), (std::vector<int>{0, 2, -1}));
}

TEST(RunHistory, RunsOfOtherTimesGiveNoRows) {
    TSignals signals;
    MakeRun(signals, {"A"});
    const TStoredRun run = CaptureRun(signals, 0);
    signals.SetTotalTime(3);
    signals.Data().SetSize(1, signals.QuantCount());
    EXPECT_EQ(ReferenceRows(signals, run), (std::vector<const double*>{nullptr}));
}

TEST(RunHistory, FiveNewestAndThePinnedOne) {
    TSignals signals;
    MakeRun(signals, {"A"});
    TRunHistory history;
    for (int i = 0; i < 3; ++i) history.Add(CaptureRun(signals, 0));
    history.Pin(2);
    for (int i = 0; i < 10; ++i) history.Add(CaptureRun(signals, 0));
    const std::vector<const TStoredRun*> runs = history.Runs();
    ASSERT_EQ(runs.size(), 6u);
    std::vector<int> ids;
    for (const TStoredRun* run : runs) ids.push_back(run->Id);
    EXPECT_EQ(ids, (std::vector<int>{13, 12, 11, 10, 9, 2}));
    EXPECT_EQ(history.Newest()->Id, 13);
    EXPECT_EQ(history.Find(3), nullptr);

    history.Pin(11);  // the earlier pinned run is released
    EXPECT_EQ(history.Runs().size(), 5u);
    EXPECT_EQ(history.Find(2), nullptr);
    history.Clear();
    EXPECT_TRUE(history.Runs().empty());
    EXPECT_EQ(history.PinnedId(), 0);
}

TEST(RunHistory, APinnedRunInsideTheFiveIsListedOnce) {
    TSignals signals;
    MakeRun(signals, {"A"});
    TRunHistory history;
    history.Add(CaptureRun(signals, 0));
    history.Add(CaptureRun(signals, 0));
    history.Pin(1);
    EXPECT_EQ(history.Runs().size(), 2u);
    EXPECT_NE(RunChoiceText(*history.Find(1), true).find("опорный"), std::string::npos);
}

TEST(RunHistory, MemoryStaysWithinSixStores) {
    TSignals signals;
    MakeRun(signals, {"A", "B", "C", "D"});
    signals.SetTotalTime(1000);  // 10000 quanta
    signals.Data().SetSize(4, signals.QuantCount());
    const size_t store = signals.Data().Rows().Size();
    TRunHistory history;
    history.Add(CaptureRun(signals, 0));
    history.Pin(1);
    for (int i = 0; i < 20; ++i) history.Add(CaptureRun(signals, 0));
    for (const TStoredRun* run : history.Runs()) EXPECT_LE(run->ByteSize(), store + 1024);
    EXPECT_LE(history.ByteSize(), 6 * (store + 1024));
    EXPECT_EQ(history.Runs().size(), 6u);
}

}  // namespace
}  // namespace kvaril
