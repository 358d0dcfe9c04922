#include "model/CompilerDriver.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "base/Errors.h"
#include "base/uCommon.h"
#include "model/ChildProcess.h"
#include "model/CompilerLog.h"
#include "model/LibraryStamp.h"
#include "model/ModelFolderLock.h"
#include "model/ModelGenerator.h"

namespace kvaril {

namespace {

constexpr const char* kFileErrorTitle = "Файловая ошибка при компиляции";

void Status(const TModelHooks& hooks, const std::string& text) {
    if (hooks.ShowStatus) hooks.ShowStatus(text);
}

std::string ReadAll(int fd) {
    std::string text;
    char buffer[65536];
    ::lseek(fd, 0, SEEK_SET);
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<size_t>(n));
    }
    return text;
}

class FdGuard {
  public:
    explicit FdGuard(int fd) : fd_(fd) {}
    ~FdGuard() {
        if (fd_ >= 0) ::close(fd_);
    }
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    int Get() const { return fd_; }

  private:
    int fd_;
};

// The unit as it was compiled: a message about an unknown identifier suggests the closest of
// its identifiers. Nothing when it cannot be read; the message is shown all the same.
std::vector<std::string> ReadUnitLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return SplitLines(std::string(std::istreambuf_iterator<char>(in), {}));
}

}  // namespace

TModelOutcome BuildModelLibrary(const std::string& binDir, const TSignals& signals,
                                const TModelHooks& hooks, std::chrono::milliseconds timeout) {
    const std::string logPath = binDir + "kvml.err";
    // The same unit, project and compiler as the library in the folder: compiling again would
    // give the same library. The user sees what a successful compile leaves.
    const std::optional<std::string> inputs = BuildInputsFingerprint(binDir);
    if (inputs && LibraryIsUpToDate(binDir, *inputs)) {
        Status(hooks, "Выполняется компиляция...");
        ::unlink(logPath.c_str());
        return TModelOutcome::Success();
    }
    RemoveLibraryStamp(binDir);

    const std::string library = binDir + "kvml.dll";
    if (::unlink(library.c_str()) != 0 && errno != ENOENT)
        return TModelOutcome::Failure(
            kFileErrorTitle, std::string("Ошибка удаления Bin\\kvml.dll: ") + std::strerror(errno));

    FdGuard log(::open(logPath.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666));
    if (log.Get() < 0)
        return TModelOutcome::Failure(
            kFileErrorTitle, std::string("Ошибка создания Bin\\kvml.err: ") + std::strerror(errno));

    Status(hooks, "Выполняется компиляция...");
    TSpawnOptions options;
    options.Argv = {binDir + "dcc32", "kvml.dpr"};
    options.WorkDir = binDir;
    options.StdoutFd = log.Get();
    std::optional<ChildProcess> compiler;
    try {
        compiler.emplace(options);
    } catch (const EKvaril& e) {
        return TModelOutcome::Failure("Ошибка старта компилятора", e.what());
    }

    switch (compiler->Wait(timeout, hooks.Cancelled)) {
        case TWaitResult::Exited:
            break;
        case TWaitResult::TimedOut:
            // Stopped, not left running: it would write into the next build's files.
            compiler->Kill();
            return TModelOutcome::Failure("Ошибка при компиляции", "Таймаут выполнения компиляции");
        case TWaitResult::Cancelled: {
            compiler->Kill();
            TModelOutcome outcome;
            outcome.Cancelled = true;
            return outcome;
        }
    }

    struct stat st {};
    if (::fstat(log.Get(), &st) != 0 || st.st_size == 0)
        return TModelOutcome::Failure(kFileErrorTitle, "Ошибка записи Bin\\kvml.err");

    TModelOutcome outcome =
        ParseCompilerLog(ReadAll(log.Get()), signals, ReadUnitLines(binDir + "kvm.pas"));
    if (outcome.Ok) {
        ::unlink(logPath.c_str());
        if (inputs) WriteLibraryStamp(binDir, *inputs);
    }
    return outcome;
}

std::optional<TErrorBox> CheckModelFolderFiles(const std::string& binDir) {
    for (const char* name :
         {"kvm.pas", "kvml.err", "kvml.dll", ".kvml.dll.new", kLibraryStampName, "obj"}) {
        struct stat st {};
        if (::lstat((binDir + name).c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            return TErrorBox{
                kFileErrorTitle,
                std::string("Файл Bin/") + name +
                    " в папке модели - символическая ссылка. Сборка через ссылку "
                    "перезаписала бы файл, на который она указывает; удалите ссылку (" +
                    binDir + name + ")."};
    }
    // The toolchain runs with the user's rights: a compiler or host that someone else may
    // change would run their code. (A model cannot change them: its box keeps Bin/ read-only.)
    for (const char* name : {"dcc32", "kvaril-modelhost", "kvml.dpr", "uSignalsData.pas"}) {
        struct stat st {};
        if (::lstat((binDir + name).c_str(), &st) != 0) continue;  // reported where it is used
        const bool ours = st.st_uid == ::geteuid() || st.st_uid == 0;
        if (S_ISREG(st.st_mode) && ours && (st.st_mode & S_IWOTH) == 0) continue;
        return TErrorBox{kFileErrorTitle,
                         std::string("Файл Bin/") + name +
                             " в папке модели не защищен: это не обычный файл, его владелец - "
                             "другой пользователь или его может изменить любой. Сборка не "
                             "начата; восстановите файл из установленной программы (" +
                             binDir + name + ")."};
    }
    return std::nullopt;
}

TModelOutcome GenerateModel(const std::string& binDir, TSignals& signals, const TModelHooks& hooks,
                            std::chrono::milliseconds timeout, int32_t maxQuanta) {
    TModelFolderLock lock;
    lock.Acquire(binDir, hooks);
    if (!lock.Held()) {
        TModelOutcome outcome;
        outcome.Cancelled = true;
        return outcome;
    }
    return GenerateModelLocked(binDir, signals, hooks, timeout, maxQuanta);
}

TModelOutcome GenerateModelLocked(const std::string& binDir, TSignals& signals,
                                  const TModelHooks& hooks, std::chrono::milliseconds timeout,
                                  int32_t maxQuanta) {
    Status(hooks, "Создается программа...");
    if (std::optional<TErrorBox> error = CheckModelTimes(signals, maxQuanta)) {
        TModelOutcome outcome;
        outcome.Error = *error;
        return outcome;
    }
    if (std::optional<TErrorBox> error = CheckModelFolderFiles(binDir)) {
        TModelOutcome outcome;
        outcome.Error = *error;
        return outcome;
    }
    SaveUnit(GenerateUnit(signals), binDir + "kvm.pas");
    return BuildModelLibrary(binDir, signals, hooks, timeout);
}

}  // namespace kvaril
