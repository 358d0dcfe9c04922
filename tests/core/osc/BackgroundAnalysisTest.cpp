// The statistics of a long range are made on a worker thread while the window's thread polls
// their progress and may ask them to stop, as the oscilloscope does beside its progress box.
// Under ThreadSanitizer these show that the two threads share nothing but the work channel.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <exception>
#include <thread>

#include "HandRun.h"
#include "base/WorkChannel.h"
#include "osc/OscAnalysis.h"
#include "osc/OscSession.h"

namespace kvaril {
namespace {

// Three signals over two million quanta: long enough for the statistics to report progress
// many times per beam.
struct TBackgroundFixture : ::testing::Test {
    void SetUp() override {
        MakeHandRun(signals, {"A", "B", "C"}, 1e-6, 2, [](int s, int q) {
            return s == 0 ? std::sin(q * 1e-3) : s == 1 ? 0.5 : q * 1e-6;
        });
        s.PrepareForRun();
        s.SetGraphWidth(200);
        s.SetSpan(kWholeRunSpan);
    }
    // The statistics made on a worker; the window's thread polls until the worker is done,
    // stopping the work once `stopAfter` progress reports have been seen (never: −1).
    struct TOutcome {
        std::vector<TStatsRow> Rows;
        bool Cancelled = false;
        int64_t LastDone = 0, LastTotal = 0;
    };
    TOutcome InBackground(int stopAfter) {
        TWorkChannel channel;
        TOutcome outcome;
        std::atomic<bool> finished{false};
        std::exception_ptr failure;
        std::thread worker([&] {
            try {
                outcome.Rows = s.Readings().StatsRows(channel.Hooks());
            } catch (const EWorkCancelled&) {
                outcome.Cancelled = true;
            } catch (...) {
                failure = std::current_exception();
            }
            finished = true;
        });
        int seen = 0;
        int64_t lastDone = -1;
        while (!finished) {
            const auto progress = channel.Progress();
            if (progress.Done != lastDone) ++seen, lastDone = progress.Done;
            if (stopAfter >= 0 && seen > stopAfter) channel.Stop();
            std::this_thread::yield();
        }
        worker.join();
        if (failure) std::rethrow_exception(failure);
        outcome.LastDone = channel.Progress().Done;
        outcome.LastTotal = channel.Progress().Total;
        return outcome;
    }
    TSignals signals;
    TOsc osc;
    TOscSession s{osc, signals};
};

TEST_F(TBackgroundFixture, WorkerGivesTheWindowsOwnStatistics) {
    const std::vector<TStatsRow> here = s.Readings().StatsRows();
    const TOutcome there = InBackground(-1);
    ASSERT_FALSE(there.Cancelled);
    ASSERT_EQ(there.Rows.size(), here.size());
    for (size_t r = 0; r < here.size(); ++r)
        for (int c = 0; c < kStatisticCount; ++c)
            EXPECT_EQ(there.Rows[r].Cells[c], here[r].Cells[c]) << r << " " << c;
    // The last report the window read is one of the work's own, within its total.
    EXPECT_GT(there.LastTotal, 0);
    EXPECT_GT(there.LastDone, 0);
    EXPECT_LE(there.LastDone, there.LastTotal);
}

TEST_F(TBackgroundFixture, StopBeforeTheFirstPieceEndsTheWorkCancelled) {
    TWorkChannel channel;
    channel.Stop();
    bool cancelled = false;
    std::thread worker([&] {
        try {
            s.Readings().StatsRows(channel.Hooks());
        } catch (const EWorkCancelled&) {
            cancelled = true;
        }
    });
    worker.join();
    EXPECT_TRUE(cancelled);
}

TEST_F(TBackgroundFixture, StopWhileRunningEndsTheWorkWithoutAHang) {
    // The stop races the work's last pieces: it ends either cancelled or complete, never with
    // rows made of a part of the samples.
    const TOutcome outcome = InBackground(1);
    if (!outcome.Cancelled) {
        const std::vector<TStatsRow> here = s.Readings().StatsRows();
        ASSERT_EQ(outcome.Rows.size(), here.size());
        EXPECT_EQ(outcome.Rows[0].Cells[0], here[0].Cells[0]);
    }
}

}  // namespace
}  // namespace kvaril
