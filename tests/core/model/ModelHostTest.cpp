// A host that stays up for several runs, as a sweep's workers keep theirs: every run is a
// process of its own that starts from the library's first state, ends alone when its model
// fails, and writes only in its own folder; the pool hands a host back only while it is fit for
// the next run. Each case runs in both boxes.

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "model/BoxFixture.h"
#include "model/ModelHost.h"

namespace kvaril {
namespace {

namespace fs = std::filesystem;

using testing::kCreateForWriting;

std::string ErrorText(const TModelOutcome& r) { return r.Error ? r.Error->Text : ""; }

class ModelHost : public testing::BoxFixture {
  protected:
    void SetUp() override {
        BoxFixture::SetUp();
        host_ = std::make_unique<TModelHost>(binDir_ + "kvaril-modelhost");
    }
    void TearDown() override {
        host_.reset();
        BoxFixture::TearDown();
    }

    // The library built from the signals as they are now, run in the kept host.
    TModelOutcome RunInHost() {
        TModelOutcome built = Build();
        if (!built.Ok) return built;
        return RunModelLibrary(signals_, options_, hooks_, nullptr, host_.get());
    }
    std::unique_ptr<TModelHost> host_;
};

TEST_P(ModelHost, EachRunStartsFromTheLibrarysFirstStateWhicheverLibraryRanBefore) {
    // A unit-level counter: a run that went on in an earlier run's process would count on.
    TSignal& counter = Add("Count", "  Calls := Calls + 1; Value := Calls;");
    counter.Lines().insert(counter.Lines().begin(), {"var Calls: Integer = 0;", ""});
    for (int run = 0; run < 2; ++run) {
        TModelOutcome r = RunInHost();
        ASSERT_TRUE(r.Ok) << ErrorText(r);
        EXPECT_EQ(signals_.Data().GetData(0, 0), 1.0) << "run " << run;
        EXPECT_EQ(signals_.Data().GetData(0, 999), 1000.0) << "run " << run;
    }
    // Another library in between, then the first one again.
    signals_.Items(0).Lines()[22] = "  Calls := Calls + 2; Value := Calls;";
    TModelOutcome other = RunInHost();
    ASSERT_TRUE(other.Ok) << ErrorText(other);
    EXPECT_EQ(signals_.Data().GetData(0, 999), 2000.0);
    signals_.Items(0).Lines()[22] = "  Calls := Calls + 1; Value := Calls;";
    ASSERT_TRUE(RunInHost().Ok);
    EXPECT_EQ(signals_.Data().GetData(0, 999), 1000.0);
    EXPECT_TRUE(host_->Idle()) << "one host ran them all";
}

TEST_P(ModelHost, AModelThatFailsEndsOnlyItsOwnRun) {
    struct TCase {
        const char* Declaration;
        const char* Make;
        const char* Says;
    } cases[] = {
        {"", "  System.Halt(3);", "код 3"},
        {"", "  Value := TSignal_A(nil).Value;", "Access violation"},
        {"procedure abort; cdecl; external 'c';", "  abort;", "вызов abort (SIGABRT)"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Make);
        signals_.Clear();
        TSignal& fails = Add("A", c.Make);
        fails.Lines().insert(fails.Lines().begin(), {c.Declaration, ""});
        TModelOutcome failed = RunInHost();
        EXPECT_NE(ErrorText(failed).find(c.Says), std::string::npos) << ErrorText(failed);
        EXPECT_TRUE(host_->Idle()) << "the host is ready for the next run";

        signals_.Clear();
        Add("A", "  Value := t;");
        TModelOutcome next = RunInHost();
        ASSERT_TRUE(next.Ok) << ErrorText(next);
        EXPECT_EQ(signals_.Data().GetData(0, 999), 999 * 0.0001);
    }
}

TEST_P(ModelHost, AStoppedRunTakesItsHostAlongAndTheNextRunGetsANewOne) {
    Add("A", "  Value := t;");
    signals_.Items(0).Lines()[20] = "  while t >= 0 do Value := Value + 1;";
    std::atomic<bool> stop{false};
    hooks_.Cancelled = [&] { return stop.load(); };
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stop = true;
    });
    TModelOutcome stopped = RunInHost();
    stopper.join();
    EXPECT_TRUE(stopped.Cancelled);
    EXPECT_FALSE(host_->Idle());

    hooks_.Cancelled = nullptr;
    signals_.Items(0).Lines()[20] = "  Value := 2 * t;";
    TModelOutcome next = RunInHost();
    ASSERT_TRUE(next.Ok) << ErrorText(next);
    EXPECT_EQ(signals_.Data().GetData(0, 10), 2 * (10 * 0.0001));
    EXPECT_TRUE(host_->Idle());
}

TEST_P(ModelHost, RunsOfOneHostWriteOnlyInTheirOwnFolders) {
    Try("open('mine.txt', " + std::to_string(kCreateForWriting) + ", 420)");
    TModelOutcome first = RunInHost();
    ASSERT_TRUE(first.Ok) << ErrorText(first);
    ASSERT_EQ(first.ModelFiles, std::vector<std::string>{"mine.txt"});
    const std::string theirs = first.ModelFolder + "/theirs.txt";

    signals_.Items(0).Lines()[22] = "  if t = 0 then Value := open('" + theirs + "', " +
                                    std::to_string(kCreateForWriting) + ", 420);";
    TModelOutcome second = RunInHost();
    ASSERT_TRUE(second.Ok) << ErrorText(second);
    EXPECT_EQ(signals_.Data().GetData(0, 0), -1) << "the first run's folder is not the second's";
    EXPECT_FALSE(fs::exists(theirs));
    EXPECT_TRUE(second.ModelFiles.empty()) << "nothing of the first run shows in the second";
    EXPECT_TRUE(second.ModelFolder.empty());
    fs::remove_all(first.ModelFolder);
}

TEST_P(ModelHost, ThePoolHandsBackOnlyHostsFitForTheNextRun) {
    const std::string program = binDir_ + "kvaril-modelhost";
    // Taken on a thread that ends at once, as a sweep's workers do: the host outlives it.
    std::unique_ptr<TModelHost> host;
    std::thread([&] { host = TakeModelHost(program); }).join();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(host->Idle()) << "the host died with the thread that asked for it";
    TModelHost* const first = host.get();
    GiveBackModelHost(std::move(host));
    host = TakeModelHost(program);
    EXPECT_EQ(host.get(), first) << "an idle host is kept";

    // A host of another build's program (another Bin/) never serves this one's runs, and this
    // one's are still there for it.
    const std::string other = binDir_ + "other/kvaril-modelhost";
    fs::create_directories(binDir_ + "other");
    fs::copy_file(program, other);
    std::unique_ptr<TModelHost> theirs = TakeModelHost(other);
    EXPECT_NE(theirs.get(), first);
    EXPECT_EQ(theirs->Program(), other);
    TModelHost* const theirsFirst = theirs.get();
    GiveBackModelHost(std::move(host));
    GiveBackModelHost(std::move(theirs));
    host = TakeModelHost(program);
    EXPECT_EQ(host.get(), first);
    theirs = TakeModelHost(other);
    EXPECT_EQ(theirs.get(), theirsFirst);
    theirs.reset();

    host->Stop();
    GiveBackModelHost(std::move(host));
    host = TakeModelHost(program);
    EXPECT_TRUE(host->Idle());
    TModelHost* const second = host.get();
    GiveBackModelHost(std::move(host));

    // A rebuilt host program: the kept host runs the old one.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    fs::last_write_time(program, fs::file_time_type::clock::now());
    host = TakeModelHost(program);
    EXPECT_NE(host.get(), second);
    EXPECT_TRUE(host->Idle());
}

INSTANTIATE_TEST_SUITE_P(Boxes, ModelHost,
                         ::testing::Values(TBoxKind::Namespaces, TBoxKind::Landlock),
                         testing::BoxName);

}  // namespace
}  // namespace kvaril
