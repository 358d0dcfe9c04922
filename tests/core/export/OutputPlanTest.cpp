#include "export/OutputPlan.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <sstream>

#include "TargetFolder.h"

namespace kvaril {
namespace {

using testing::TTarget;
using testing::TTargetFolder;

enum class TOutcome { Written, StandardOutput, Refused, Failed };

struct TTargetCase {
    const char* Name;
    TTarget Target;
    TOutputKind Kind;
    TOutcome Outcome;
    const char* Names;  // besides the target, a word the message must hold (empty: none)
};

std::ostream& operator<<(std::ostream& out, const TTargetCase& c) { return out << c.Name; }

// A command that reads a document and a golden file and writes --csv other.csv, then the
// target of the case as --stats.
class OutputTargets : public ::testing::TestWithParam<TTargetCase> {
  protected:
    TTargetFolder folder_{GetParam().Name};
    std::ostringstream standardOutput_;
};

TEST_P(OutputTargets, AreRefusedOrWrittenAsTheirKindDemands) {
    const TTargetCase& c = GetParam();
    std::string skip;
    const std::string target = folder_.Make(c.Target, skip);
    if (!skip.empty()) GTEST_SKIP() << skip;
    const std::string before = TTargetFolder::State(target);
    const std::string document = TTargetFolder::State(folder_.Document());
    const std::string golden = TTargetFolder::State(folder_.Golden());

    std::string message;
    TOutcome outcome = TOutcome::Written;
    try {
        TOutputPlan plan(&standardOutput_);
        plan.Protect("документ", folder_.Document());
        plan.Protect("эталон --against", folder_.Golden());
        const int other = plan.Add("--csv", folder_.Other(), TOutputKind::Text);
        const int output = plan.Add("--stats", target, c.Kind);
        plan.Prepare();
        plan.Sink(other).Write("csv\n", 4);
        plan.Sink(output).Write("new\n", 4);
        if (plan.IsStandardOutput(output)) outcome = TOutcome::StandardOutput;
        plan.Commit();
    } catch (const EOutputRefused& e) {
        outcome = TOutcome::Refused;
        message = e.what();
    } catch (const EFileError& e) {
        outcome = TOutcome::Failed;
        message = e.what();
    }
    EXPECT_EQ(static_cast<int>(outcome), static_cast<int>(c.Outcome)) << message;
    EXPECT_EQ(TTargetFolder::State(folder_.Document()), document);
    EXPECT_EQ(TTargetFolder::State(folder_.Golden()), golden);
    EXPECT_EQ(folder_.Temporaries(), 0);
    switch (c.Outcome) {
        case TOutcome::Written:
            EXPECT_EQ(TTargetFolder::Read(target), "new\n");
            EXPECT_EQ(TTargetFolder::Read(folder_.Other()), "csv\n");
            break;
        case TOutcome::StandardOutput:
            EXPECT_EQ(standardOutput_.str(), "new\n");
            EXPECT_EQ(TTargetFolder::Read(folder_.Other()), "csv\n");
            break;
        case TOutcome::Refused:
        case TOutcome::Failed:
            EXPECT_EQ(TTargetFolder::State(target), before) << "the target was touched";
            EXPECT_EQ(TTargetFolder::Read(folder_.Other()), "other\n") << "all or nothing";
            EXPECT_EQ(standardOutput_.str(), "");
            // A refusal names the option too; the file layer's failures name the file.
            EXPECT_NE(message.find(c.Outcome == TOutcome::Refused ? "--stats " + target : target),
                      std::string::npos)
                << message;
            if (*c.Names) {
                EXPECT_NE(message.find(c.Names), std::string::npos) << message;
            }
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Plan, OutputTargets,
    ::testing::Values(
        TTargetCase{"Document", TTarget::Document, TOutputKind::Text, TOutcome::Refused,
                    "документ /"},
        TTargetCase{"LinkToDocument", TTarget::LinkToDocument, TOutputKind::Text, TOutcome::Refused,
                    "doc.sig"},
        TTargetCase{"HardLinkToDocument", TTarget::HardLinkToDocument, TOutputKind::Binary,
                    TOutcome::Refused, "doc.sig"},
        TTargetCase{"Golden", TTarget::Golden, TOutputKind::Text, TOutcome::Refused,
                    "эталон --against /"},
        TTargetCase{"OtherOutput", TTarget::OtherOutput, TOutputKind::Text, TOutcome::Refused,
                    "уже пишет --csv /"},
        TTargetCase{"Fifo", TTarget::Fifo, TOutputKind::Text, TOutcome::Refused,
                    "именованный канал"},
        TTargetCase{"DeviceNode", TTarget::DeviceNode, TOutputKind::Binary, TOutcome::Refused,
                    "устройство"},
        TTargetCase{"StandardOutput", TTarget::StandardOutput, TOutputKind::Text,
                    TOutcome::StandardOutput, ""},
        TTargetCase{"BinaryToStandardOutput", TTarget::StandardOutput, TOutputKind::Binary,
                    TOutcome::Refused, "стандартный вывод"},
        TTargetCase{"Folder", TTarget::Folder, TOutputKind::Text, TOutcome::Refused, "папка"},
        TTargetCase{"InReadOnlyFolder", TTarget::InReadOnlyFolder, TOutputKind::Text,
                    TOutcome::Failed, ""},
        TTargetCase{"DanglingLink", TTarget::DanglingLink, TOutputKind::Text, TOutcome::Refused,
                    "ссылка"},
        TTargetCase{"NewFile", TTarget::NewFile, TOutputKind::Text, TOutcome::Written, ""},
        TTargetCase{"ExistingFile", TTarget::ExistingFile, TOutputKind::Binary, TOutcome::Written,
                    ""},
        // The folder would allow renaming over it: the file's own refusal still stands.
        TTargetCase{"ReadOnlyFile", TTarget::ReadOnlyFile, TOutputKind::Text, TOutcome::Failed,
                    ""}),
    [](const auto& info) { return std::string(info.param.Name); });

// Outputs a.csv .. d.csv, each holding "old"; the failure at position `GetParam()`.
class AllOrNothing : public ::testing::TestWithParam<int> {
  protected:
    static constexpr int kOutputs = 4;
    std::string Target(int i) const { return folder_.Path(std::string(1, char('a' + i)) + ".csv"); }
    void SetUp() override {
        for (int i = 0; i < kOutputs; ++i) TTargetFolder::Write(Target(i), "old\n");
    }
    void ExpectNothingReplaced() const {
        for (int i = 0; i < kOutputs; ++i)
            EXPECT_EQ(TTargetFolder::Read(Target(i)), "old\n") << Target(i);
        EXPECT_EQ(folder_.Temporaries(), 0);
    }
    TTargetFolder folder_{"all-or-nothing-" + std::to_string(GetParam())};
};

TEST_P(AllOrNothing, AFailingWriterLeavesEveryTargetAndNoTemporary) {
    {
        TOutputPlan plan;
        for (int i = 0; i < kOutputs; ++i) plan.Add("--csv", Target(i), TOutputKind::Text);
        plan.Prepare();
        try {
            for (int i : plan.WriteOrder()) {
                if (i == GetParam()) throw EFileError(TFileOp::Write, Target(i), ENOSPC);
                plan.Sink(i).Write("new\n", 4);
            }
            plan.Commit();
            FAIL() << "committed";
        } catch (const EFileError&) {
        }
    }
    ExpectNothingReplaced();
}

TEST_P(AllOrNothing, ATargetThatCannotBeWrittenStopsThemAllBeforeAnyWork) {
    TOutputPlan plan;
    std::filesystem::remove(Target(GetParam()));
    std::filesystem::create_directory(Target(GetParam()));
    for (int i = 0; i < kOutputs; ++i) plan.Add("--csv", Target(i), TOutputKind::Text);
    EXPECT_THROW(plan.Prepare(), EOutputRefused);
    for (int i = 0; i < kOutputs; ++i)
        if (i != GetParam()) {
            EXPECT_EQ(TTargetFolder::Read(Target(i)), "old\n");
        }
    EXPECT_EQ(folder_.Temporaries(), 0);
}

TEST_P(AllOrNothing, ATargetReplacedDuringTheRunStopsTheCommit) {
    {
        TOutputPlan plan;
        for (int i = 0; i < kOutputs; ++i) plan.Add("--csv", Target(i), TOutputKind::Text);
        plan.Prepare();
        for (int i : plan.WriteOrder()) plan.Sink(i).Write("new\n", 4);
        // Another program puts a new file (a new inode) where the target was.
        const std::string moved = Target(GetParam());
        std::filesystem::rename(moved, moved + "~");
        TTargetFolder::Write(moved, "old\n");
        std::filesystem::remove(moved + "~");
        EXPECT_THROW(plan.Commit(), EOutputRefused);
    }
    ExpectNothingReplaced();
}

INSTANTIATE_TEST_SUITE_P(Position, AllOrNothing, ::testing::Range(0, 4));

TEST(OutputPlan, EveryTargetIsReplacedWhenAllSucceed) {
    TTargetFolder folder("all");
    TTargetFolder::Write(folder.Path("a.csv"), "old\n");
    TOutputPlan plan;
    plan.Add("--csv", folder.Path("a.csv"), TOutputKind::Text);
    plan.Add("--stats", folder.Path("b.csv"), TOutputKind::Text);
    plan.Prepare();
    plan.Sink(0).Write("a\n", 2);
    plan.Sink(1).Write("b\n", 2);
    plan.Commit();
    EXPECT_EQ(TTargetFolder::Read(folder.Path("a.csv")), "a\n");
    EXPECT_EQ(TTargetFolder::Read(folder.Path("b.csv")), "b\n");
    EXPECT_EQ(folder.Temporaries(), 0);
}

// A disk that fills while the output is written says so in the same words as one that refuses
// the file at the start. A file-size limit stands in for the full disk, in a child process so
// that the limit stays there.
TEST(OutputPlan, AWriteThatFailsMidwaySaysWhyInTheUsersWords) {
    TTargetFolder folder("write-fails");
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        std::string message = "no failure";
        ::signal(SIGXFSZ, SIG_IGN);
        const struct rlimit limit { 4096, 4096 };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            TOutputPlan plan;
            plan.Add("--csv", folder.Path("big.csv"), TOutputKind::Text);
            plan.Prepare();
            const std::string block(1000, 'x');
            for (int i = 0; i < 10; ++i) plan.Sink(0).Write(block.data(), block.size());
            plan.Commit();
        } catch (const std::exception& e) {
            message = e.what();
        }
        (void)!::write(pipe[1], message.data(), message.size());
        ::_exit(0);
    }
    ::close(pipe[1]);
    std::string message;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;) message.append(buffer, n);
    ::close(pipe[0]);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(message, "Ошибка записи файла " + folder.Path("big.csv") + ": файл слишком велик");
    EXPECT_EQ(folder.Temporaries(), 0);
}

TEST(OutputPlan, StandardOutputIsWrittenLast) {
    TTargetFolder folder("write-order");
    std::ostringstream out;
    TOutputPlan plan(&out);
    plan.Add("--csv", "-", TOutputKind::Text);
    plan.Add("--stats", folder.Path("s.csv"), TOutputKind::Text);
    plan.Prepare();
    EXPECT_EQ(plan.WriteOrder(), (std::vector<int>{1, 0}));
}

TEST(OutputPlan, WithoutAStandardOutputADashIsAFileName) {
    TTargetFolder folder("dash");
    const std::string dash = folder.Path("-");
    TOutputPlan plan;
    plan.Add("", dash, TOutputKind::Binary);
    plan.Prepare();
    EXPECT_FALSE(plan.IsStandardOutput(0));
    plan.Sink(0).Write("x", 1);
    plan.Commit();
    EXPECT_EQ(TTargetFolder::Read(dash), "x");
}

TEST(OutputPlan, ANewTargetKeepsTheUsersPermissionsAndAnOldOneItsOwn) {
    TTargetFolder folder("modes");
    TTargetFolder::Write(folder.Path("old.csv"), "old\n");
    ::chmod(folder.Path("old.csv").c_str(), 0640);
    TOutputPlan plan;
    plan.Add("", folder.Path("old.csv"), TOutputKind::Text);
    plan.Add("", folder.Path("new.csv"), TOutputKind::Text);
    plan.Prepare();
    plan.Commit();
    struct stat st {};
    ASSERT_EQ(::stat(folder.Path("old.csv").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ASSERT_EQ(::stat(folder.Path("new.csv").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666u & ~mask);
}

}  // namespace
}  // namespace kvaril
