// dcc32: the model compiler the workbench starts as "<BinDir>dcc32 kvml.dpr" in BinDir, with
// standard output going into the log. It builds kvml.dll from kvm.pas with Free Pascal and
// prints Free Pascal's diagnostics in the form "kvm.pas(LINE) Kind: text".

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/uCommon.h"
#include "model/ChildProcess.h"
#include "model/FpcBuild.h"
#include "model/FpcDiagnostics.h"

namespace fs = std::filesystem;
using namespace kvaril;

namespace {

// One line of the log; Russian texts in the log are Windows-1251 like everything the workbench
// reads from the model directory.
void Say(const std::string& utf8) { std::cout << Utf8ToCp1251(utf8) << "\r\n"; }

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EKvaril("не могу прочитать " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    if (!out.flush()) throw EKvaril("не могу записать " + path.string());
}

// Work folders of builds whose compiler is gone (killed after a time-out, say).
void RemoveStaleWorkDirs(const fs::path& objDir) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(objDir, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("build-", 0) != 0) continue;
        const pid_t pid = static_cast<pid_t>(std::atol(name.c_str() + 6));
        if (pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM)) continue;
        fs::remove_all(entry.path(), ec);
    }
}

// A work folder of this build under obj/, so that two builds never share Free Pascal's files.
fs::path MakeWorkDir(const fs::path& binDir) {
    const fs::path objDir = binDir / "obj";
    fs::create_directories(objDir);
    RemoveStaleWorkDirs(objDir);
    const fs::path work = objDir / ("build-" + std::to_string(::getpid()));
    fs::remove_all(work);
    fs::create_directories(work / "units");
    return work;
}

struct TFpcRun {
    int Status = 0;      // as from waitpid
    std::string Output;  // standard output and errors together
};

TFpcRun RunFreePascal(const std::string& compiler, const std::string& project,
                      const fs::path& work) {
    const fs::path log = work / "fpc.log";
    FILE* logFile = std::fopen(log.c_str(), "w");
    if (!logFile) throw EKvaril("не могу создать " + log.string());
    TSpawnOptions options;
    options.Argv = FpcArguments(compiler, project);
    options.WorkDir = work.string();
    options.StdoutFd = ::fileno(logFile);
    options.StderrFd = ::fileno(logFile);
    options.NewProcessGroup = false;  // the driver stops the whole group on a time-out
    ChildProcess fpc(options);
    fpc.Wait(std::chrono::hours(24));
    std::fclose(logFile);
    return {fpc.Status(), ReadFile(log)};
}

// Never lets a failed build without diagnostics look clean: says what Free Pascal did.
void SayWhyFailed(const TFpcRun& fpc) {
    std::string last;
    for (const std::string& line : SplitLines(fpc.Output))
        if (!line.empty()) last = line;
    Say("dcc32 Fatal: Free Pascal завершился с ошибкой (" + DescribeWaitStatus(fpc.Status) + ")" +
        (last.empty() ? "" : ": " + last));
}

// A new file under a new name, then renamed: a process holding the old library keeps it.
// Removed first: a symbolic link under that name must not have its target overwritten.
void InstallLibrary(const fs::path& built, const fs::path& binDir) {
    const fs::path temp = binDir / ".kvml.dll.new";
    fs::remove(temp);
    fs::copy_file(built, temp);
    fs::rename(temp, binDir / "kvml.dll");
}

int Build(const std::string& project) {
    const fs::path binDir = fs::current_path();
    const std::optional<std::string> compiler = FindFreePascal();
    if (!compiler) {
        Say("dcc32 Fatal: Не найден компилятор Free Pascal (ppcx64). Установите пакет "
            "fp-compiler.");
        return 1;
    }

    const fs::path work = MakeWorkDir(binDir);
    const std::vector<std::string> unit = SplitLines(ReadFile(binDir / "kvm.pas"));
    WriteFile(work / "kvm.pas", JoinLines(PatchUnitForFpc(unit)));
    fs::copy_file(binDir / project, work / project);
    fs::copy_file(binDir / "uSignalsData.pas", work / "uSignalsData.pas");

    const TFpcRun fpc = RunFreePascal(*compiler, project, work);
    std::vector<std::string> diagnostics = RewriteFpcOutput(fpc.Output, unit);
    for (const std::string& line : diagnostics) std::cout << line << "\r\n";

    const fs::path built = work / "kvml.dll";
    const bool ok = WIFEXITED(fpc.Status) && WEXITSTATUS(fpc.Status) == 0 && fs::exists(built);
    if (!ok && diagnostics.empty()) SayWhyFailed(fpc);
    if (ok) InstallLibrary(built, binDir);
    std::error_code ec;
    fs::remove_all(work, ec);
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::cout << "Kvaril dcc32 over Free Pascal\r\n";
    if (argc != 2) {
        Say("dcc32 Fatal: Использование: dcc32 kvml.dpr");
        return 2;
    }
    try {
        return Build(argv[1]);
    } catch (const std::exception& e) {
        Say(std::string("dcc32 Fatal: ") + e.what());
        return 1;
    }
}
