// The model's box as a model meets it: it may write only in its scratch folder, cannot reach the
// workbench's memory nor the toolchain, and what it prints or writes there is handed back. Each
// case runs in both boxes: with namespaces, and confined by Landlock where they cannot be made.

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/Cp1251.h"
#include "model/BoxFixture.h"
#include "model/ModelOutput.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

using testing::kCreateForWriting;
using ModelBox = testing::BoxFixture;

TEST_P(ModelBox, WritesOnlyInItsScratchFolderWhichItGetsBack) {
    const std::string outside = dir_.string() + "/outside.txt";
    Try("open('inside.txt', " + std::to_string(kCreateForWriting) + ", 420)");
    Add("Outside", "  if t = 0 then Value := open('" + outside + "', " +
                       std::to_string(kCreateForWriting) + ", 420);");
    TModelOutcome r = Run();
    ASSERT_TRUE(r.Ok) << (r.Error ? r.Error->Text : "");
    EXPECT_GE(signals_.Data().GetData(0, 0), 0) << "the scratch folder is writable";
    EXPECT_EQ(signals_.Data().GetData(1, 0), -1) << "nothing else is";
    EXPECT_FALSE(std::filesystem::exists(outside));
    EXPECT_EQ(r.ModelFiles, std::vector<std::string>{"inside.txt"});
    EXPECT_TRUE(std::filesystem::exists(r.ModelFolder + "/inside.txt"));
    std::filesystem::remove_all(r.ModelFolder);
}

TEST_P(ModelBox, CannotReplaceTheCompilerNorTouchTheWorkbenchsMemory) {
    Try("open('" + binDir_ + "dcc32', 1, 0)");
    // The workbench is this process; inside the box its number names nothing.
    Add("Memory",
        "  if t = 0 then Value := open('/proc/" + std::to_string(::getpid()) + "/mem', 2, 0);");
    const auto before = std::filesystem::last_write_time(binDir_ + "dcc32");
    TModelOutcome r = Run();
    ASSERT_TRUE(r.Ok) << (r.Error ? r.Error->Text : "");
    EXPECT_EQ(signals_.Data().GetData(0, 0), -1) << "the compiler stays as it is";
    EXPECT_EQ(signals_.Data().GetData(1, 0), -1) << "the workbench's memory";
    EXPECT_EQ(std::filesystem::last_write_time(binDir_ + "dcc32"), before);
    EXPECT_TRUE(r.ModelFiles.empty());
}

TEST_P(ModelBox, WhatTheModelPrintsIsKept) {
    // The document's text is Windows-1251, and so are the bytes its Writeln prints; an escape
    // sequence that would hide what follows on a terminal is shown, not obeyed.
    Add("Talks", Utf8ToCp1251("  Value := t; if t = 0 then Writeln('Привет из модели'#27'[8m');"));
    TModelOutcome r = Run();
    ASSERT_TRUE(r.Ok) << (r.Error ? r.Error->Text : "");
    EXPECT_NE(r.ModelOutput.find("Привет из модели^[[8m\n"), std::string::npos) << r.ModelOutput;
    EXPECT_EQ(r.Notice.empty(), GetParam() == TBoxKind::Namespaces) << "the weaker box says so";
}

INSTANTIATE_TEST_SUITE_P(Boxes, ModelBox,
                         ::testing::Values(TBoxKind::Namespaces, TBoxKind::Landlock),
                         testing::BoxName);

TEST(ModelOutput, KeepsTheBeginningAndTheEndAndSaysHowMuchWasLeftOut) {
    TOutputCollector small(4, 3);
    small.Add("abc", 3);
    EXPECT_EQ(small.Text(), "abc");
    TOutputCollector collector(4, 3);
    const std::string text = "0123456789abcdef";
    for (char c : text) collector.Add(&c, 1);  // the ring wraps many times
    EXPECT_EQ(collector.Text(), "0123\n[... пропущено байт: 9 ...]\ndef");
    TOutputCollector once(4, 3);
    once.Add(text.data(), text.size());
    EXPECT_EQ(once.Text(), collector.Text());
    EXPECT_EQ(once.Total(), text.size());
}

TEST(ModelOutput, IsShownInTheDocumentsEncodingWithItsControlCharactersVisible) {
    EXPECT_EQ(ModelOutputText(Utf8ToCp1251("Привет\tмир\n")), "Привет\tмир\n");
    EXPECT_EQ(ModelOutputText("\x1b]0;title\x07x\r\n\x7f"), "^[]0;title^Gx^M\n^?");
    EXPECT_EQ(ModelOutputText(std::string("a\0b", 3)), "a^@b");
    // The collector shows its beginning and end the same way, around its own note.
    TOutputCollector collector(2, 2);
    collector.Add("\x1b[8m hidden \xcf", 13);
    EXPECT_EQ(collector.Text(), "^[[\n[... пропущено байт: 9 ...]\n П");
}

TEST(Workbench, NoOtherProcessMayReadOrWriteItsMemory) {
    const pid_t child = ::fork();
    if (child == 0) {
        ProtectWorkbench();
        ::_exit(::prctl(PR_GET_DUMPABLE) == 0 ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace kvaril
