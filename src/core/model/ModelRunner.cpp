#include "model/ModelRunner.h"

#include <sys/wait.h>

#include <cstring>
#include <new>
#include <optional>

#include "Errors.h"
#include "document/Cp1251.h"
#include "document/uSignal.h"
#include "model/ChildProcess.h"
#include "model/SharedMemory.h"
#include "model/uSignalsData.h"

namespace kvaril {

namespace {

constexpr const char* kFatalTitle = "Фатальная ошибка программы";
constexpr const char* kRunErrorTitle = "Ошибка при выполнении моделирования";
constexpr const char* kUnknownPlace = "не удается определить.";

std::string Text(const char* buffer, size_t size) {
    return std::string(buffer, strnlen(buffer, size));
}

std::string ErrorPlace(const TRunReport& report, const TSignals& signals) {
    if (!report.HasErrorPlace || report.ErrorIndex < 0 || report.ErrorIndex >= signals.Count())
        return kUnknownPlace;
    std::string place =
        "Место ошибки: TSignal_" + Cp1251ToUtf8(signals.Items(report.ErrorIndex).Name()) + ".";
    static constexpr const char* kPhases[] = {"Create", "Make", "Destroy"};
    if (report.ErrorFactor >= 0 && report.ErrorFactor <= 2) place += kPhases[report.ErrorFactor];
    return place;
}

TModelOutcome RunError(const std::string& message, const TRunReport& report,
                       const TSignals& signals) {
    return TModelOutcome::Failure(kRunErrorTitle,
                                  message + "\r\n\r\n" + ErrorPlace(report, signals) + "\r\n");
}

}  // namespace

TModelOutcome InterpretRunReport(const TRunReport& report, const TSignals& signals,
                                 int waitStatus) {
    const std::string detail = Text(report.Detail, sizeof report.Detail);
    switch (report.State) {
        case TRunState::Succeeded:
            return TModelOutcome::Success();
        case TRunState::LoadFailed:
            return TModelOutcome::Failure(kFatalTitle, "Не могу открыть Bin\\kvml.dll: " + detail);
        case TRunState::ExportMissing:
            return TModelOutcome::Failure(kFatalTitle,
                                          "Ошибка главной процедуры Bin\\kvml.dll: " + detail);
        case TRunState::ModelError: {
            std::string message = Cp1251ToUtf8(detail);
            if (message.empty()) message = Text(report.ClassName, sizeof report.ClassName);
            return RunError(message, report, signals);
        }
        case TRunState::Crashed:
            return RunError(std::string("Аварийное завершение модели: ") + strsignal(report.Signal),
                            report, signals);
        default:
            // The host died before it could say anything more.
            return RunError(
                "Процесс модели завершился аварийно (" + DescribeWaitStatus(waitStatus) + ")",
                TRunReport{}, signals);
    }
}

TModelOutcome RunModelLibrary(TSignals& signals, const TRunOptions& options,
                              const TModelHooks& hooks) {
    TSignalsData& data = signals.Data();
    try {
        data.SetSize(signals.Count(), std::max(signals.QuantCount(), 0));
    } catch (const std::bad_alloc&) {
        return TModelOutcome::Failure(kFatalTitle, "Недостаточно памяти для результатов");
    } catch (const EKvaril& e) {
        return TModelOutcome::Failure(kFatalTitle, e.what());
    }

    SharedMemory reportMemory(sizeof(TRunReport));
    auto* report = reinterpret_cast<TRunReport*>(reportMemory.Data());
    const int rowsFd = data.Rows().Fd();

    TSpawnOptions spawn;
    spawn.Argv = {options.BinDir + "kvaril-modelhost",
                  options.BinDir + "kvml.dll",
                  std::to_string(rowsFd),
                  std::to_string(data.SignalCount()),
                  std::to_string(data.SampleCount()),
                  std::to_string(reportMemory.Fd())};
    spawn.WorkDir = options.BinDir;
    spawn.StderrFd = 2;
    spawn.InheritFds = {reportMemory.Fd()};
    if (rowsFd >= 0) spawn.InheritFds.push_back(rowsFd);
#if !defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer reserves terabytes of address space; only limit real builds.
    spawn.MemoryLimitBytes = options.MemoryLimitBytes + data.Rows().Size();
#endif
    spawn.CpuLimitSeconds = options.CpuLimitSeconds;

    std::optional<ChildProcess> host;
    try {
        host.emplace(spawn);
    } catch (const EKvaril& e) {
        return TModelOutcome::Failure(
            kFatalTitle, std::string("Не могу запустить kvaril-modelhost: ") + e.what());
    }
    const auto limit = options.Timeout.count() > 0 ? options.Timeout : std::chrono::hours(24 * 365);
    const TWaitResult waited = host->Wait(limit, hooks.Cancelled);
    if (waited != TWaitResult::Exited) {
        host->Kill();
        TModelOutcome outcome;
        outcome.Cancelled = true;
        outcome.Status = waited == TWaitResult::TimedOut
                             ? "Моделирование остановлено: истекло отведенное время"
                             : "Моделирование прервано";
        return outcome;
    }
    return InterpretRunReport(*report, signals, host->Status());
}

TModelOutcome RunModel(TSignals& signals, const TRunOptions& options, const TModelHooks& hooks) {
    if (signals.IsEmpty()) return {};
    TModelOutcome built = GenerateModel(options.BinDir, signals, hooks);
    if (!built.Ok) return built;
    if (hooks.ShowStatus) hooks.ShowStatus("Выполняется моделирование...");
    TModelOutcome outcome = RunModelLibrary(signals, options, hooks);
    if (!outcome.Cancelled) outcome.Status = "Ok";
    return outcome;
}

}  // namespace kvaril
