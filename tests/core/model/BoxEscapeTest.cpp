// The second look at the box, as an attacker's documents try it in both boxes: each route ends
// the run with its call named and the place, the workbench alive; and a model reaches nothing of
// the user's besides what the workbench hands it.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "model/BoxFixture.h"
#include "model/ModelHost.h"
#include "model/RunReport.h"

namespace kvaril {
namespace {

namespace fs = std::filesystem;

std::string ErrorText(const TModelOutcome& r) { return r.Error ? r.Error->Text : ""; }

// Raw system calls with up to four arguments, as a model can make them without the C library.
constexpr const char* kSyscall =
    "function syscall(n, a, b, c, d: Int64): Int64; cdecl; external 'c';\n"
    "function limits(n, pid, resource: Int64; new, old: Pointer): Int64; cdecl; "
    "external 'c' name 'syscall';\n"
    "function setlimit(n, resource: Int64; new: Pointer): Int64; cdecl; "
    "external 'c' name 'syscall';\n"
    "function getppid: Integer; cdecl; external 'c';\n"
    "var L: array[0..1] of Int64;";

struct TRoute {
    const char* Name;
    const char* Make;
    const char* Call;  // the refusal's text names it
};

class BoxEscape : public testing::BoxFixture {};

TEST_P(BoxEscape, EachRouteIsRefusedWithItsCallAndItsPlace) {
    const TRoute routes[] = {
        // A lease whose break sends signal 9 to a process of the user's choice.
        {"Lease", "  syscall(72, open('lease', 65, 420), 1024, 1, 0);", "fcntl"},
        {"LeaseSignal", "  syscall(72, open('lease', 65, 420), 10, 9, 0);", "fcntl"},
        {"LeaseOwner", "  syscall(72, open('lease', 65, 420), 8, getppid, 0);", "fcntl"},
        // A thread of the process's own (CLONE_VM | CLONE_FS | CLONE_FILES | CLONE_SIGHAND |
        // CLONE_THREAD), a thousand of which took the machine's process numbers.
        {"Thread", "  syscall(56, $10F00, 0, 0, 0);", "clone"},
        {"Clone3", "  syscall(435, 0, 0, 0, 0);", "clone3"},
        // Limits: the kept host's, or its own raised again.
        {"HostsLimit", "  L[0] := 1; L[1] := 1; limits(302, getppid, 0, @L, nil);", "prlimit64"},
        {"OwnLimit", "  L[0] := 1; L[1] := 1; limits(302, 0, 1, @L, nil);", "prlimit64"},
        {"SetLimit", "  L[0] := 0; L[1] := 0; setlimit(160, 1, @L);", "setrlimit"},
    };
    for (const TRoute& route : routes) {
        SCOPED_TRACE(route.Name);
        signals_.Clear();
        Add("Before", "  Value := t;");
        TSignal& escape = Add("Escape", route.Make);
        escape.Lines().insert(escape.Lines().begin(), {testing::kOpen, kSyscall, ""});
        const TModelOutcome r = Run();
        EXPECT_FALSE(r.Ok);
        const std::string text = ErrorText(r);
        EXPECT_NE(text.find(std::string("(вызов ") + route.Call + ")"), std::string::npos) << text;
        EXPECT_NE(text.find("Место ошибки: TSignal_Escape.Make\r\nВремя: t = 0\r\n"),
                  std::string::npos)
            << text;
    }
    // Reading its own limits is what the run-time does, and stays allowed.
    signals_.Clear();
    Add("Reads", "  L[0] := 0; limits(302, 0, 7, nil, @L); Value := L[0];")
        .Lines()
        .insert(signals_.Items(0).Lines().begin(), {kSyscall, ""});
    const TModelOutcome r = Run();
    ASSERT_TRUE(r.Ok) << ErrorText(r);
    EXPECT_GT(signals_.Data().GetData(0, 0), 0) << "the number of files it may open";
}

// Nothing of the user's: not a file of another folder (the home folder's stand-in here), not a
// folder of another run of its host, not the host's memory, not the workbench's environment.
TEST_P(BoxEscape, AModelReachesNothingOfTheUsersButItsOwnFolder) {
    std::ofstream(dir_ / "secret.txt") << "the user's";
    ::setenv("KVARIL_TEST_SECRET", "the workbench's", 1);
    TModelHost host(binDir_ + "kvaril-modelhost");
    // The first run leaves a file in its folder, kept for the user.
    Try("open('mine.txt', " + std::to_string(testing::kCreateForWriting) + ", 420)");
    ASSERT_TRUE(Build().Ok);
    const TModelOutcome first = RunModelLibrary(signals_, options_, hooks_, nullptr, &host);
    ASSERT_TRUE(first.Ok) << ErrorText(first);
    ASSERT_EQ(first.ModelFiles, std::vector<std::string>{"mine.txt"});

    signals_.Clear();
    // One unit holds every signal: the routines are declared once, by the first.
    const auto open = [&](const char* name, const std::string& make) {
        TSignal& s = Add(name, make);
        if (signals_.Count() == 1)
            s.Lines().insert(s.Lines().begin(),
                             {testing::kOpen, "function getppid: Integer; cdecl; external 'c';",
                              "var S: ShortString; P: AnsiString;", ""});
    };
    open("Secret",
         "  if t = 0 then Value := open('" + (dir_ / "secret.txt").string() + "', 0, 0);");
    open("Earlier", "  if t = 0 then Value := open('" + first.ModelFolder + "/mine.txt', 0, 0);");
    open("Memory",
         "  if t = 0 then begin Str(getppid, S); P := '/proc/' + S + '/mem'; "
         "Value := open(PAnsiChar(P), 2, 0); end;");
    TSignal& env = Add("Env", "  if getenv('KVARIL_TEST_SECRET') = nil then Value := 1;");
    env.Lines().insert(env.Lines().begin(),
                       {"function getenv(n: PAnsiChar): PAnsiChar; cdecl; external 'c';", ""});
    ASSERT_TRUE(Build().Ok) << ErrorText(Build());
    const TModelOutcome second = RunModelLibrary(signals_, options_, hooks_, nullptr, &host);
    ::unsetenv("KVARIL_TEST_SECRET");
    ASSERT_TRUE(second.Ok) << ErrorText(second);
    EXPECT_EQ(signals_.Data().GetData(0, 0), -1) << "another folder of the user";
    EXPECT_EQ(signals_.Data().GetData(1, 0), -1) << "the earlier run's folder";
    EXPECT_EQ(signals_.Data().GetData(2, 0), -1) << "the host's memory";
    EXPECT_EQ(signals_.Data().GetData(3, 0), 1) << "the workbench's environment";
}

// A run may not fill the disk its folder is on: past its limit the run is a fault.
TEST_P(BoxEscape, AFileBeyondTheLimitEndsTheRun) {
    TSignal& big = Add("Big",
                       "  F := open('big', 65, 420); for I := 1 to 300 do "
                       "write(F, @Block, SizeOf(Block)); Value := t;");
    big.Lines().insert(big.Lines().begin(),
                       {testing::kOpen,
                        "function write(f: Integer; p: Pointer; n: PtrInt): PtrInt; cdecl; "
                        "external 'c';",
                        "var Block: array[0..1048575] of Byte; F, I: Integer;", ""});
    const TModelOutcome r = Run();
    EXPECT_FALSE(r.Ok);
    EXPECT_NE(
        ErrorText(r).find("Аварийное завершение модели: файл модели больше 256,0 МБ (SIGXFSZ)"),
        std::string::npos)
        << ErrorText(r);
    EXPECT_NE(ErrorText(r).find("TSignal_Big.Make"), std::string::npos) << ErrorText(r);
}

INSTANTIATE_TEST_SUITE_P(Boxes, BoxEscape,
                         ::testing::Values(TBoxKind::Namespaces, TBoxKind::Landlock),
                         testing::BoxName);

// Where the kernel has no Landlock: beside namespaces the box is weaker and says so; without
// them there is no box, and the run is refused with what to enable.
class WithoutLandlock : public testing::BoxFixture {
  protected:
    void SetUp() override {
        ::setenv("KVARIL_MODEL_LANDLOCK", "off", 1);
        BoxFixture::SetUp();
    }
    void TearDown() override {
        BoxFixture::TearDown();
        ::unsetenv("KVARIL_MODEL_LANDLOCK");
    }
};

TEST_P(WithoutLandlock, TheBoxIsWeakerOrThereIsNone) {
    Add("A", "  Value := t;");
    const TModelOutcome r = Run();
    if (GetParam() == TBoxKind::Namespaces) {
        ASSERT_TRUE(r.Ok) << ErrorText(r);
        EXPECT_NE(r.Notice.find("Landlock недоступен"), std::string::npos) << r.Notice;
    } else {
        EXPECT_FALSE(r.Ok);
        EXPECT_EQ(ErrorText(r), kUnconfinedText);
    }
}

INSTANTIATE_TEST_SUITE_P(Boxes, WithoutLandlock,
                         ::testing::Values(TBoxKind::Namespaces, TBoxKind::Landlock),
                         testing::BoxName);

// A run that said it succeeded and then died is no success.
TEST(RunReport, SuccessNeedsAProcessThatEndedNormally) {
    TSignals signals;
    TRunReport report{};
    report.State = TRunState::Succeeded;
    EXPECT_TRUE(InterpretRunReport(report, signals, W_EXITCODE(0, 0)).Ok);
    const TModelOutcome killed = InterpretRunReport(report, signals, SIGKILL);
    EXPECT_FALSE(killed.Ok);
    ASSERT_TRUE(killed.Error);
    EXPECT_NE(killed.Error->Text.find("Процесс модели завершился аварийно"), std::string::npos)
        << killed.Error->Text;
    EXPECT_FALSE(InterpretRunReport(report, signals, W_EXITCODE(3, 0)).Ok);
}

// Kept folders go when the next command runs a model; a killed workbench's go when the next box
// is made, while a live one's stay.
class ScratchFolders : public testing::ModelFixture {
  protected:
    void SetUp() override {
        ModelFixture::SetUp();
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        oldRuntime_ = runtime ? runtime : "";
        runtime_ = dir_ / "runtime";
        fs::create_directories(runtime_);
        ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    }
    void TearDown() override {
        if (oldRuntime_.empty())
            ::unsetenv("XDG_RUNTIME_DIR");
        else
            ::setenv("XDG_RUNTIME_DIR", oldRuntime_.c_str(), 1);
        ModelFixture::TearDown();
    }
    // A box's folder with a file, whose lock a child process holds until `kill` (or not at all).
    pid_t Leftover(const std::string& name, bool alive) {
        fs::create_directories(runtime_ / name);
        std::ofstream(runtime_ / name / "file") << "x";
        int ready[2];
        if (::pipe(ready) != 0) return -1;
        const pid_t child = ::fork();
        if (child == 0) {
            const int fd = ::open((runtime_ / (name + ".lock")).c_str(), O_RDWR | O_CREAT, 0600);
            ::flock(fd, LOCK_EX);
            (void)!::write(ready[1], "x", 1);
            if (alive) ::pause();
            ::_exit(0);
        }
        char c;
        (void)!::read(ready[0], &c, 1);
        ::close(ready[0]);
        ::close(ready[1]);
        if (!alive) ::waitpid(child, nullptr, 0);
        return child;
    }
    fs::path runtime_;
    std::string oldRuntime_;
};

TEST_F(ScratchFolders, KeptFoldersGoWithTheNextRunAndDeadOnesWithTheNextBox) {
    const pid_t live = Leftover("kvaril-scratch-live01", true);
    Leftover("kvaril-scratch-dead01", false);
    TSignal& writes = Add("Writes", "  if t = 0 then Value := open('out.txt', 65, 420);");
    writes.Lines().insert(writes.Lines().begin(), {testing::kOpen, ""});
    const TModelOutcome first = Run();
    ASSERT_TRUE(first.Ok) << ErrorText(first);
    ASSERT_FALSE(first.ModelFolder.empty());
    EXPECT_TRUE(fs::exists(first.ModelFolder + "/out.txt")) << "kept for the user";
    EXPECT_FALSE(fs::exists(runtime_ / "kvaril-scratch-dead01")) << "its process is gone";
    EXPECT_FALSE(fs::exists(runtime_ / "kvaril-scratch-dead01.lock"));
    EXPECT_TRUE(fs::exists(runtime_ / "kvaril-scratch-live01/file")) << "its process lives";

    const TModelOutcome second = Run();
    ASSERT_TRUE(second.Ok) << ErrorText(second);
    EXPECT_FALSE(fs::exists(first.ModelFolder)) << "the earlier run's folder went";
    EXPECT_TRUE(fs::exists(second.ModelFolder + "/out.txt"));
    // The workbench ends: its kept hosts stop, and every folder of theirs goes.
    StopModelHosts();
    RemoveKeptScratchFolders();
    EXPECT_FALSE(fs::exists(fs::path(second.ModelFolder).parent_path()));
    ::kill(live, SIGKILL);
    ::waitpid(live, nullptr, 0);
    // Only the live leftover and its lock are there now.
    int left = 0;
    for (const auto& entry : fs::directory_iterator(runtime_)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name.starts_with("kvaril-scratch-live01")) << name;
        ++left;
    }
    EXPECT_EQ(left, 2);
}

}  // namespace
}  // namespace kvaril
