// Runs that can be trusted: concurrent runs keep to their own document, integer arithmetic
// wraps, and whatever a model does to escape (processes, sockets, ending the process) comes back
// as a fault of its signal and phase with nothing left behind.

#include <dirent.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "base/ValueStream.h"
#include "batch/BatchRun.h"
#include "model/ModelFixture.h"
#include "model/ModelFolderLock.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

using ModelIsolation = testing::ModelFixture;

std::string ErrorText(const TModelOutcome& r) { return r.Error ? r.Error->Text : ""; }

// A document of `count` signals whose values tell which document and signal made them.
void MakeDocument(TSignals& signals, int count, int tag, bool broken) {
    signals.Clear();
    for (int i = 0; i < count; ++i) {
        auto signal = std::make_unique<TSignal>(signals);
        signal->InitTemplate("S" + std::to_string(i), false);
        auto& lines = signal->Lines();
        lines[lines.size() - 2] = "  Value := " + std::to_string(tag * 100 + i) + " + t;";
        if (broken && i == 2)
            lines[lines.size() - 2] = "  Value := Undeclared" + std::to_string(tag) + ";";
        signals.Insert(std::move(signal), -1);
    }
}

TEST_F(ModelIsolation, TwentyPairsOfConcurrentRunsEachGetTheirOwnResults) {
    for (int pair = 0; pair < 20; ++pair) {
        SCOPED_TRACE("pair " + std::to_string(pair));
        const bool broken = pair % 2 == 1;
        TSignals first, second;
        MakeDocument(first, 3, 1, false);
        MakeDocument(second, 5, 2, broken);
        TModelOutcome a, b;
        std::thread ta([&] { a = RunModel(first, options_, {}); });
        std::thread tb([&] { b = RunModel(second, options_, {}); });
        ta.join();
        tb.join();

        ASSERT_TRUE(a.Ok) << ErrorText(a);
        ASSERT_EQ(first.Data().SignalCount(), 3);
        EXPECT_EQ(first.Data().GetData(2, 0), 102.0);
        if (broken) {
            EXPECT_FALSE(b.Ok);
            EXPECT_NE(ErrorText(b).find("Undeclared2"), std::string::npos) << ErrorText(b);
            ASSERT_TRUE(b.Location);
            EXPECT_EQ(b.Location->SignalIndex, 2);
        } else {
            ASSERT_TRUE(b.Ok) << ErrorText(b);
            ASSERT_EQ(second.Data().SignalCount(), 5);
            EXPECT_EQ(second.Data().GetData(4, 0), 204.0);
        }
    }
}

TEST_F(ModelIsolation, AWaitForTheFolderIsShownAndCanBeCancelled) {
    Add("A", "  Value := t;");
    TModelFolderLock other;
    other.Acquire(binDir_, {});
    ASSERT_TRUE(other.Held());

    std::vector<std::string> statuses;
    int polls = 0;
    hooks_.ShowStatus = [&](const std::string& text) { statuses.push_back(text); };
    hooks_.Cancelled = [&] { return ++polls > 5; };
    TModelOutcome r = Run();
    EXPECT_TRUE(r.Cancelled);
    EXPECT_FALSE(r.Ok);
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses.front(), kWaitingForModelFolder);
    EXPECT_FALSE(std::filesystem::exists(binDir_ + "kvm.pas")) << "nothing written while waiting";

    other.Release();
    hooks_ = {};
    EXPECT_TRUE(Run().Ok);
}

TEST_F(ModelIsolation, ALockLeftByAKilledProcessBlocksNoOne) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        TModelFolderLock lock;
        lock.Acquire(binDir_, {});
        char c = 1;
        (void)!::write(ready[1], &c, 1);
        ::pause();
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    // Held by the child: a try now has to wait.
    int polls = 0;
    TModelFolderLock mine;
    mine.Acquire(binDir_, {nullptr, [&] { return ++polls > 2; }, nullptr});
    EXPECT_FALSE(mine.Held());

    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    mine.Acquire(binDir_, {nullptr, [] { return true; }, nullptr});
    EXPECT_TRUE(mine.Held()) << "the dead holder's lock is gone";
    ::close(ready[0]);
    ::close(ready[1]);
}

// Whether another process could take the folder now.
bool FolderFree(const std::string& binDir) {
    TModelFolderLock probe;
    probe.Acquire(binDir, {nullptr, [] { return true; }, nullptr});
    return probe.Held();
}

TEST_F(ModelIsolation, TheFolderStaysLockedUntilTheHostHasLoadedTheLibrary) {
    // About a second of work per run, so the run goes on well after the library is loaded.
    Add("A",
        "  Value := 0; I := 0;"
        "  while I < 100000 do begin Value := Value + Sin(I * t); I := I + 1; end;")
        .Lines()[4] = "    I: Integer;";
    // The host behind a script that says it started (in its scratch folder, the one place it
    // may write) and waits before it loads anything.
    const std::string host = binDir_ + "kvaril-modelhost";
    std::filesystem::rename(host, host + ".real");
    std::ofstream(host) << "#!/bin/sh\ntouch started\nsleep 1\nexec \"$0.real\" \"$@\"\n";
    ::chmod(host.c_str(), 0755);
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string oldRuntime = runtime ? runtime : "";
    ::setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);  // the scratch folders go there
    const auto started = [&] {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(dir_, ec))
            if (std::filesystem::exists(entry.path() / "started", ec)) return true;
        return false;
    };

    std::atomic<bool> done{false};
    TModelOutcome outcome;
    std::thread run([&] {
        outcome = Run();
        done = true;
    });
    const auto waitFor = [&](const std::function<bool()>& what) {
        for (int i = 0; i < 3000 && !done && !what(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return what();
    };
    const bool hostStarted = waitFor(started);
    const bool heldBeforeLoading = !FolderFree(binDir_);
    const bool freeWhileRunning = waitFor([&] { return FolderFree(binDir_); }) && !done;
    run.join();
    if (runtime)
        ::setenv("XDG_RUNTIME_DIR", oldRuntime.c_str(), 1);
    else
        ::unsetenv("XDG_RUNTIME_DIR");
    ASSERT_TRUE(hostStarted) << ErrorText(outcome);
    EXPECT_TRUE(heldBeforeLoading) << "the library is built but not yet loaded";
    EXPECT_TRUE(freeWhileRunning) << "the folder is free while the loaded model still runs";
    EXPECT_TRUE(outcome.Ok) << ErrorText(outcome);
}

TEST_F(ModelIsolation, AModelThatShrinksTheStoreChangesNothing) {
    // The store and the report are among the first descriptors the host holds.
    std::string shrink;
    for (int fd = 3; fd <= 9; ++fd) shrink += "  ftruncate(" + std::to_string(fd) + ", 0);";
    TSignal& s = Add("Shrinks", "  Value := t;", shrink);
    s.Lines().insert(s.Lines().begin(),
                     {"function ftruncate(f, l: Int64): Integer; cdecl; external 'c';", ""});
    TModelOutcome r = Run();
    ASSERT_TRUE(r.Ok) << ErrorText(r);
    EXPECT_DOUBLE_EQ(signals_.Data().GetData(0, 100), 100 * signals_.QuantTime());
}

TEST_F(ModelIsolation, IntegerArithmeticWrapsToThirtyTwoBits) {
    TSignal& noise = Add("Noise", "  Seed := Seed * 1103515245 + 12345;\n  Value := Seed;");
    noise.Lines().insert(noise.Lines().begin(), {"var Seed: Integer = 1;", ""});
    TSignal& ring = Add("Ring", "  Inc(B, 100); Inc(W, 30000); Value := B + W * 1000.0;");
    ring.Lines().insert(ring.Lines().begin(), {"var B: Byte = 0; W: Word = 0;", ""});
    TSignal& sum = Add("Sum", "  S := S + 2147483000; Value := S;");
    sum.Lines().insert(sum.Lines().begin(), {"var S: Integer = 0;", ""});
    TModelOutcome r = Run();
    ASSERT_TRUE(r.Ok) << ErrorText(r);

    uint32_t seed = 1;
    uint8_t b = 0;
    uint16_t w = 0;
    uint32_t s = 0;
    for (int q = 0; q < signals_.Data().SampleCount(); ++q) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<uint8_t>(b + 100);
        w = static_cast<uint16_t>(w + 30000);
        s += 2147483000u;
        ASSERT_EQ(signals_.Data().GetData(0, q), static_cast<int32_t>(seed)) << "quantum " << q;
        ASSERT_EQ(signals_.Data().GetData(1, q), b + w * 1000.0) << "quantum " << q;
        ASSERT_EQ(signals_.Data().GetData(2, q), static_cast<int32_t>(s)) << "quantum " << q;
    }
}

TEST_F(ModelIsolation, ASignalThatAsksForRangeChecksGetsThemWithItsPlace) {
    Add("Plain", "  Value := t;");
    TSignal& checked = Add("Checked", "  I := I + 1; A[I] := t; Value := A[I];");
    checked.Lines().insert(checked.Lines().begin(),
                           {"{$R+}", "var A: array[0..9] of Double; I: Integer = 0;", ""});
    TModelOutcome r = Run();
    EXPECT_EQ(
        ErrorText(r),
        "Range check error\r\n\r\nМесто ошибки: TSignal_Checked.Make\r\nВремя: t = 0.0009\r\n")
        << "the tenth call: quantum 9";
}

bool SomeProcessHas(const std::string& marker) {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
        std::ifstream in(entry.path() / "cmdline", std::ios::binary);
        const std::string cmdline(std::istreambuf_iterator<char>(in), {});
        if (cmdline.find(marker) != std::string::npos) return true;
    }
    return false;
}

struct EscapeCase {
    const char* Name;
    const char* Declaration;
    const char* Make;
    const char* Create;
    const char* Message;
    const char* Place;
};

void PrintTo(const EscapeCase& c, std::ostream* os) { *os << c.Name; }

class ModelEscape : public ModelIsolation, public ::testing::WithParamInterface<EscapeCase> {};

TEST_P(ModelEscape, IsAFaultOfItsSignalAndPhaseAndLeavesNothing) {
    const EscapeCase& c = GetParam();
    Add("Before", "  Value := t;");
    // The signal declares the C library routine it calls in its own text.
    TSignal& escape = Add("Escape", c.Make, c.Create);
    escape.Lines().insert(escape.Lines().begin(), {c.Declaration, ""});
    TModelOutcome r = Run();
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.Status, "Ok");
    // The model escapes at once: in Make that is the first quantum's time.
    const std::string time = std::string(c.Place).ends_with(".Make") ? "Время: t = 0\r\n" : "";
    EXPECT_EQ(ErrorText(r),
              std::string(c.Message) + "\r\n\r\nМесто ошибки: " + c.Place + "\r\n" + time);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(SomeProcessHas("kvaril-escape-marker")) << "a process of the model survived";
}

constexpr const char* kProcesses = "Модели запрещено запускать процессы и программы (вызов clone)";
// Raw system calls, as a model can make them without the C library's wrappers.
constexpr const char* kSyscall = "function syscall(n, a, b, c: Int64): Int64; cdecl; external 'c';";

INSTANTIATE_TEST_SUITE_P(
    Kinds, ModelEscape,
    ::testing::Values(
        EscapeCase{"Fork", "function fork: Integer; cdecl; external 'c';",
                   "  if fork = 0 then while True do Value := 1;", "", kProcesses,
                   "TSignal_Escape.Make"},
        EscapeCase{"Shell", "function system(c: PAnsiChar): Integer; cdecl; external 'c';",
                   "  system('sleep 30 # kvaril-escape-marker');", "",
                   "Модели запрещено запускать процессы и программы (вызов system)",
                   "TSignal_Escape.Make"},
        EscapeCase{"DaemonInCreate",
                   "function daemon(a, b: Integer): Integer; cdecl; external 'c';", "  Value := t;",
                   "  daemon(0, 0);", kProcesses, "TSignal_Escape.Create"},
        EscapeCase{"Socket", "function socket(d, t, p: Integer): Integer; cdecl; external 'c';",
                   "  socket(2, 1, 0);", "",
                   "Модели запрещено открывать сетевые соединения (вызов socket)",
                   "TSignal_Escape.Make"},
        EscapeCase{
            "LocalSocket", "function socket(d, t, p: Integer): Integer; cdecl; external 'c';",
            "  socket(1, 1, 0);", "",
            "Модели запрещено открывать сетевые соединения (вызов socket)", "TSignal_Escape.Make"},
        EscapeCase{"KillTheWorkbench",
                   "function kill(p, s: Integer): Integer; cdecl; external 'c';\n"
                   "function getppid: Integer; cdecl; external 'c';",
                   "  kill(getppid, 9);", "",
                   "Модели запрещено управлять другими процессами (вызов kill)",
                   "TSignal_Escape.Make"},
        EscapeCase{"KillEveryone", "function kill(p, s: Integer): Integer; cdecl; external 'c';",
                   "  kill(-1, 9);", "",
                   "Модели запрещено управлять другими процессами (вызов kill)",
                   "TSignal_Escape.Make"},
        EscapeCase{"WriteAnothersMemory", kSyscall, "  syscall(311, 1, 0, 1);", "",
                   "Модели запрещено управлять другими процессами (вызов process_vm_writev)",
                   "TSignal_Escape.Make"},
        EscapeCase{"IoUring", kSyscall, "  syscall(425, 8, 0, 0);", "",
                   "Модели запрещено такое обращение к системе (вызов io_uring_setup)",
                   "TSignal_Escape.Make"},
        EscapeCase{"ThreadExit", kSyscall, "  syscall(60, 0, 0, 0);", "",
                   "Модель завершила свой поток сама (вызов exit)", "TSignal_Escape.Make"},
        EscapeCase{"Int80", "", "  asm movl $20, %eax; int $0x80 end;", "",
                   "Модели запрещены системные вызовы других архитектур (int 0x80, x32; вызов "
                   "getpid)",
                   "TSignal_Escape.Make"},
        EscapeCase{"X32", kSyscall, "  syscall($40000000 + 39, 0, 0, 0);", "",
                   "Модели запрещены системные вызовы других архитектур (int 0x80, x32; вызов "
                   "getpid)",
                   "TSignal_Escape.Make"}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace kvaril

namespace kvaril {
namespace {

struct ExitCase {
    const char* Name;
    const char* Declaration;
    const char* Make;
    const char* Message;
    const char* Time = "0";  // of the quantum it quits in
};

void PrintTo(const ExitCase& c, std::ostream* os) { *os << c.Name; }

class ModelExit : public ModelIsolation, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(ModelExit, NamesTheSignalAndPhaseAndPrintsNothing) {
    const ExitCase& c = GetParam();
    Add("Before", "  Value := t;");
    TSignal& quits = Add("Quits", c.Make);
    quits.Lines().insert(quits.Lines().begin(), {c.Declaration, ""});
    // The host's output must not reach the workbench's own: watch what lands on stderr.
    ::testing::internal::CaptureStderr();
    ::testing::internal::CaptureStdout();
    TModelOutcome r = Run();
    const std::string printed =
        ::testing::internal::GetCapturedStderr() + ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(ErrorText(r), std::string(c.Message) +
                                "\r\n\r\nМесто ошибки: TSignal_Quits.Make\r\nВремя: t = " + c.Time +
                                "\r\n");
    EXPECT_EQ(printed, "");
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ModelExit,
    ::testing::Values(
        // 100 quanta of 0.0001 lie just above 0.01 in binary: it quits at quantum 100.
        ExitCase{"SystemHalt", "", "  if t > 0.01 then System.Halt(3);",
                 "Модель завершила процесс сама (Halt, RunError или exit), код 3", "0.01"},
        ExitCase{"SystemRunError", "", "  System.RunError(201);",
                 "Модель завершила процесс сама (Halt, RunError или exit), код 201: ошибка "
                 "диапазона"},
        ExitCase{"Thread", "function Work(p: Pointer): PtrInt;\nbegin\n  Result := 0;\nend;",
                 "  BeginThread(@Work);",
                 "Модель завершила процесс сама (Halt, RunError или exit), код 232: потоки в "
                 "модели не поддерживаются"},
        ExitCase{"LibcAbort", "procedure abort; cdecl; external 'c';", "  abort;",
                 "Аварийное завершение модели: вызов abort (SIGABRT)"},
        ExitCase{"LibcExit", "procedure exit(code: Integer); cdecl; external 'c';", "  exit(0);",
                 "Модель завершила процесс сама (Halt, RunError или exit), код 0"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ModelIsolation, AModelFolderFileThatIsALinkIsRefusedAndItsTargetKept) {
    namespace fs = std::filesystem;
    Add("A", "  Value := t;");
    const fs::path victim = dir_ / "victim.txt";
    for (const char* name : {"kvml.err", "kvm.pas", "kvml.dll", ".kvml.dll.new"}) {
        SCOPED_TRACE(name);
        std::ofstream(victim) << "precious";
        fs::remove(binDir_ + name);
        fs::create_symlink(victim, binDir_ + name);
        TModelOutcome r = Run();
        EXPECT_FALSE(r.Ok);
        ASSERT_TRUE(r.Error);
        EXPECT_EQ(r.Error->Title, "Файловая ошибка при компиляции");
        EXPECT_NE(r.Error->Text.find(std::string("Bin/") + name), std::string::npos)
            << r.Error->Text;
        std::ifstream in(victim);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "precious");
        fs::remove(binDir_ + name);
    }
    EXPECT_TRUE(Run().Ok) << "without the links the folder builds again";
}

TEST_F(ModelIsolation, AToolchainFileAnyoneMayChangeIsRefusedBeforeTheBuild) {
    namespace fs = std::filesystem;
    Add("A", "  Value := t;");
    for (const char* name : {"dcc32", "kvaril-modelhost", "kvml.dpr"}) {
        SCOPED_TRACE(name);
        const fs::path file = binDir_ + name;
        const fs::perms before = fs::status(file).permissions();
        fs::permissions(file, fs::perms::others_write, fs::perm_options::add);
        TModelOutcome r = Run();
        EXPECT_FALSE(r.Ok);
        ASSERT_TRUE(r.Error);
        EXPECT_NE(r.Error->Text.find(std::string("Bin/") + name + " в папке модели не защищен"),
                  std::string::npos)
            << r.Error->Text;
        EXPECT_FALSE(fs::exists(binDir_ + "kvm.pas")) << "nothing was built";
        fs::permissions(file, before);
    }
    EXPECT_TRUE(Run().Ok) << "with the rights restored the folder builds again";
}

}  // namespace
}  // namespace kvaril

namespace kvaril {
namespace {

TEST_F(ModelIsolation, TheCsvTimeIsTheTimeTheModelUsed) {
    // A third of a second cannot come from the setters (they round to microseconds): read it.
    MemorySink sink;
    {
        TValueWriter w(sink);
        w.WriteFloat(1.0L / 3);
        w.WriteFloat(20.0L / 3);
        w.WriteListBegin();
        w.WriteListEnd();
        w.FlushBuffer();
    }
    MemorySource source(sink.bytes);
    TValueReader reader(source);
    signals_.ReadFrom(reader, 4);
    Add("T", "  Value := t;");
    ASSERT_TRUE(Run().Ok);

    const std::string csv = (dir_ / "t.csv").string();
    WriteSamplesCsv(csv, signals_);
    std::ifstream in(csv);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "t,T");
    int rows = 0;
    while (std::getline(in, line)) {
        const size_t comma = line.find(',');
        ASSERT_NE(comma, std::string::npos);
        EXPECT_EQ(line.substr(0, comma), line.substr(comma + 1)) << "row " << rows;
        ++rows;
    }
    EXPECT_EQ(rows, 20);
}

}  // namespace
}  // namespace kvaril
