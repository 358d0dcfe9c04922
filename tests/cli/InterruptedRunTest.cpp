// `kvaril --run` stopped from outside, as a user stops it: Ctrl+C while the model runs, a
// SIGTERM while the outputs are written, a reader of standard output that goes away. Each ends
// with 128 + the signal and leaves nothing behind: no temporary beside a target, no scratch
// folder, an older file of the target's name as it was.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "TestFolder.h"
#include "document/DocumentFile.h"
#include "document/uBeam.h"
#include "document/uSignal.h"

namespace kvaril {
namespace {

namespace fs = std::filesystem;

class InterruptedRun : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = testing::TestFolder("kvaril-interrupt");
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "runtime");
        fs::permissions(dir_ / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // A document of one signal whose Make body is `make`, over `quanta` quanta of 1 µs.
    std::string Document(const std::string& make, int quanta) {
        TSignals signals;
        auto signal = std::make_unique<TSignal>(signals);
        signal->InitTemplate("A", false);
        signal->Lines()[signal->Lines().size() - 2] = make;
        signals.Insert(std::move(signal), -1);
        signals.SetQuantTime(1e-6);
        signals.SetTotalTime(quanta * 1e-6);
        TOsc osc;
        const std::string path = (dir_ / "doc.sig").string();
        WriteDocument(path, signals, osc);
        return path;
    }

    // Starts the program with `arguments`; its standard output goes to `out` (a descriptor),
    // its standard error to a file read by Errors().
    pid_t Start(const std::vector<std::string>& arguments, int out = -1) {
        const std::string errors = (dir_ / "stderr.txt").string();
        const std::string runtime = (dir_ / "runtime").string();
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(err, STDERR_FILENO);
            if (out >= 0) ::dup2(out, STDOUT_FILENO);
            // Nothing else of the test's: the reader's end of a pipe would keep it open.
            ::close_range(3, ~0u, 0);
            ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
            if (::chdir(dir_.c_str()) != 0) ::_exit(127);
            std::vector<char*> argv;
            std::string program = KVARIL_PROGRAM;
            argv.push_back(program.data());
            std::vector<std::string> copies = arguments;
            for (std::string& a : copies) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        return pid;
    }
    std::string Errors() {
        std::ifstream in(dir_ / "stderr.txt");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The exit status, or -1 when the program did not end within a minute (it is killed).
    int Finish(pid_t pid) {
        for (int i = 0; i < 600; ++i) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid)
                return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return -1;
    }
    // Waits up to a minute for `ready`.
    static bool Await(const std::function<bool()>& ready) {
        for (int i = 0; i < 600; ++i) {
            if (ready()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }
    // The names in the test's folder besides the document, its error file and the runtime
    // folder, and everything in the runtime folder.
    std::vector<std::string> LeftOver() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) {
            const std::string name = entry.path().filename().string();
            if (name != "doc.sig" && name != "stderr.txt" && name != "runtime" && name != "old.csv")
                names.push_back(name);
        }
        for (const auto& entry : fs::directory_iterator(dir_ / "runtime"))
            names.push_back("runtime/" + entry.path().filename().string());
        return names;
    }
    std::vector<std::string> Temporaries() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_))
            if (entry.path().filename().string().starts_with(".old.csv."))
                names.push_back(entry.path().filename().string());
        return names;
    }

    fs::path dir_;
};

TEST_F(InterruptedRun, CtrlCWhileTheModelRunsStopsItAndLeavesNothing) {
    const std::string doc = Document("  Value := t; repeat until Value < 0;", 10);
    std::ofstream(dir_ / "old.csv") << "older";
    const pid_t pid = Start({"--run", doc, "--csv", "old.csv", "--wav", "new.wav"});
    // The model runs once its scratch folder is there.
    ASSERT_TRUE(Await([&] { return !fs::is_empty(dir_ / "runtime"); })) << Errors();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::kill(pid, SIGINT);
    EXPECT_EQ(Finish(pid), 128 + SIGINT) << Errors();
    EXPECT_NE(Errors().find("прервано сигналом SIGINT"), std::string::npos) << Errors();
    EXPECT_EQ(LeftOver(), std::vector<std::string>{});
    std::ifstream old(dir_ / "old.csv");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "older");
}

TEST_F(InterruptedRun, SigtermWhileWritingRemovesTheTemporariesAndKeepsTheOlderFile) {
    // Five million rows of CSV take seconds to write: the signal comes in the middle.
    const std::string doc = Document("  Value := t;", 5000000);
    std::ofstream(dir_ / "old.csv") << "older";
    const pid_t pid = Start({"--run", doc, "--long", "--csv", "old.csv"});
    ASSERT_TRUE(Await([&] {
        for (const std::string& name : Temporaries())
            if (fs::file_size(dir_ / name) > 0) return true;
        return false;
    })) << Errors();
    ::kill(pid, SIGTERM);
    EXPECT_EQ(Finish(pid), 128 + SIGTERM) << Errors();
    EXPECT_NE(Errors().find("прервано сигналом SIGTERM"), std::string::npos) << Errors();
    EXPECT_EQ(Temporaries(), std::vector<std::string>{});
    EXPECT_EQ(LeftOver(), std::vector<std::string>{});
    std::ifstream old(dir_ / "old.csv");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(old), {}), "older");
}

TEST_F(InterruptedRun, AReaderThatGoesAwayEndsTheRunAsAClosedPipeDoes) {
    const std::string doc = Document("  Value := t;", 2000000);
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const pid_t pid = Start({"--run", doc, "--long", "--csv", "-"}, pipe[1]);
    ::close(pipe[1]);
    char head[64];
    ASSERT_GT(::read(pipe[0], head, sizeof head), 0) << Errors();
    ::close(pipe[0]);
    EXPECT_EQ(Finish(pid), 128 + SIGPIPE) << Errors();
    EXPECT_EQ(LeftOver(), std::vector<std::string>{});
}

}  // namespace
}  // namespace kvaril
