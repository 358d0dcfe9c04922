#include "model/ModelRunner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <csignal>

#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/Interruption.h"
#include "base/uCommon.h"
#include "document/uSignal.h"
#include "model/ChildProcess.h"
#include "model/ModelBox.h"
#include "model/ModelFolderLock.h"
#include "model/ModelGenerator.h"
#include "model/ModelHost.h"
#include "model/ModelOutput.h"
#include "model/RefusedCalls.h"
#include "store/SharedMemory.h"
#include "store/StoreBudget.h"
#include "store/uSignalsData.h"

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

std::string SignalText(int sig) {
    switch (sig) {
        case SIGSEGV:
            return "нарушение доступа к памяти (SIGSEGV)";
        case SIGBUS:
            return "ошибка шины (SIGBUS)";
        case SIGILL:
            return "недопустимая команда (SIGILL)";
        case SIGFPE:
            return "арифметическая ошибка (SIGFPE)";
        case SIGABRT:
            return "вызов abort (SIGABRT)";
        case SIGXCPU:
            return "исчерпан лимит процессорного времени (SIGXCPU)";
        case SIGXFSZ:
            return "файл модели больше " + FormatBytes(kModelFileLimitBytes) + " (SIGXFSZ)";
        default:
            return std::string("сигнал ") + std::to_string(sig) + " (" + strsignal(sig) + ")";
    }
}

}  // namespace

std::string ModelExitText(int code) {
    std::string text =
        "Модель завершила процесс сама (Halt, RunError или exit), код " + std::to_string(code);
    // Free Pascal's run-time errors end the process with their number.
    switch (code) {
        case 201:
            return text + ": ошибка диапазона";
        case 202:
            return text + ": переполнение стека";
        case 203:
            return text + ": недостаточно памяти";
        case 204:
            return text + ": неверный указатель";
        case 215:
            return text + ": арифметическое переполнение";
        case 216:
            return text + ": нарушение доступа к памяти";
        case 217:
            return text + ": необработанное исключение";
        case 232:
            return text + ": потоки в модели не поддерживаются";
        default:
            return text;
    }
}

std::optional<int> FailingQuant(const TRunReport& report, int signalCount, int quantCount) {
    constexpr int kMake = 1;
    if (!report.HasErrorPlace || report.ErrorFactor != kMake || report.ErrorIndex < 0 ||
        report.ErrorIndex >= signalCount || !report.HasLastWritten)
        return std::nullopt;
    // Each quantum runs the signals in list order and writes each one's sample after its Make:
    // a failing signal at or before the last one written is already in the next quantum.
    int quant = 0;
    if (report.LastQuant >= 0)
        quant = report.LastSignal >= report.ErrorIndex ? report.LastQuant + 1 : report.LastQuant;
    if (quant < 0 || quant >= quantCount) return std::nullopt;
    return quant;
}

std::optional<TSourceLocation> PhaseLocation(const TSignals& signals, int signalIndex, int phase) {
    if (signalIndex < 0 || signalIndex >= signals.Count() || phase < 0 || phase > 2)
        return std::nullopt;
    const TSignal& signal = signals.Items(signalIndex);
    if (signal.Lines().empty()) return std::nullopt;
    static constexpr const char* kPhases[] = {"create", "make", "destroy"};
    // "procedure TSignal_A.Make(t: Double);", in any letter case and spacing.
    std::string wanted = "tsignal_" + signal.Name() + "." + kPhases[phase];
    for (char& c : wanted) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (size_t i = 0; i < signal.Lines().size(); ++i) {
        const std::string& line = signal.Lines()[i];
        std::string squeezed;
        std::vector<size_t> from;  // the line's column of each character kept
        for (size_t k = 0; k < line.size(); ++k)
            if (line[k] != ' ' && line[k] != '\t') {
                squeezed += static_cast<char>(std::tolower(static_cast<unsigned char>(line[k])));
                from.push_back(k);
            }
        const size_t at = squeezed.find(wanted);
        if (at == std::string::npos) continue;
        const size_t name = at + wanted.size() - std::strlen(kPhases[phase]);
        return TSourceLocation{signalIndex, static_cast<int>(i) + 1,
                               static_cast<int>(from[name]) + 1};
    }
    return TSourceLocation{signalIndex, 1, 1};
}

namespace {

TModelOutcome RunError(const std::string& message, const TRunReport& report,
                       const TSignals& signals) {
    std::string text = message + "\r\n\r\n" + ErrorPlace(report, signals) + "\r\n";
    if (std::optional<int> quant = FailingQuant(report, signals.Count(), signals.QuantCount()))
        text += "Время: t = " + FormatFloat(ModelTime(signals, *quant)) + "\r\n";
    TModelOutcome outcome = TModelOutcome::Failure(kRunErrorTitle, text);
    // The editor shows the signal that failed, marked where the failing phase begins.
    if (report.HasErrorPlace)
        outcome.Location = PhaseLocation(signals, report.ErrorIndex, report.ErrorFactor);
    if (report.HasErrorPlace && report.ErrorIndex >= 0 && report.ErrorIndex < signals.Count()) {
        outcome.FailedSignal = report.ErrorIndex;
        if (report.ErrorFactor >= 0 && report.ErrorFactor <= 2)
            outcome.FailedPhase = report.ErrorFactor;
    }
    return outcome;
}

// The run as the host is asked for it: the model folder's library over the store's rows, in
// the run's scratch folder. Nothing when a path does not fit the request.
std::optional<THostRun> HostRunOf(const TRunOptions& options, const TSignalsData& data,
                                  const std::string& scratch) {
    THostRun run;
    run.SignalCount = data.SignalCount();
    run.SampleCount = static_cast<int32_t>(data.SampleCount());
#if !defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer reserves terabytes of address space; only limit real builds.
    run.MemoryLimitBytes = options.MemoryLimitBytes + data.Rows().Size();
#endif
    run.CpuLimitSeconds = options.CpuLimitSeconds;
    run.FileLimitBytes = kModelFileLimitBytes;
    if (!SetPath(run.Library, options.BinDir + "kvml.dll") || !SetPath(run.Folder, scratch))
        return std::nullopt;
    return run;
}

// What the model printed and the files it left, whatever the outcome.
void AddModelOutput(TModelOutcome& outcome, std::string printed, TScratchFolder& scratch) {
    outcome.ModelOutput = std::move(printed);
    outcome.ModelFiles = scratch.Files();
    // An interrupted command leaves nothing behind, not even what the model wrote.
    if (InterruptingSignal()) outcome.ModelFiles.clear();
    if (!outcome.ModelFiles.empty()) {
        scratch.Keep();
        outcome.ModelFolder = scratch.Path();
    }
}

}  // namespace

TModelOutcome InterpretRunReport(const TRunReport& report, const TSignals& signals,
                                 int waitStatus) {
    const std::string detail = Text(report.Detail, sizeof report.Detail);
    switch (report.State) {
        case TRunState::Succeeded:
            // Only a process that ended normally after its model returned: one killed by a
            // signal (or ended by the model's own hand) after saying so has not succeeded.
            if (WIFEXITED(waitStatus) && WEXITSTATUS(waitStatus) == 0)
                return TModelOutcome::Success();
            return RunError(
                "Процесс модели завершился аварийно (" + DescribeWaitStatus(waitStatus) + ")",
                TRunReport{}, signals);
        case TRunState::Unconfined:
            return TModelOutcome::Failure(kFatalTitle, kUnconfinedText);
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
            return RunError("Аварийное завершение модели: " + SignalText(report.Signal), report,
                            signals);
        case TRunState::Refused:
            return RunError(RefusedCallText(report), report, signals);
        case TRunState::ModelExited:
            return RunError(ModelExitText(report.ExitCode), report, signals);
        default:
            // The host died before it could say anything more.
            return RunError(
                "Процесс модели завершился аварийно (" + DescribeWaitStatus(waitStatus) + ")",
                TRunReport{}, signals);
    }
}

std::optional<TErrorBox> CheckRunMemory(const TSignals& signals, const TRunOptions& options) {
    const int32_t quanta = signals.QuantCount();
    if (quanta <= kClassicMaxQuanta) return std::nullopt;
    unsigned long long available = options.AvailableMemoryBytes;
    if (available == 0) {
        const std::optional<unsigned long long> system = AvailableMemory();
        if (!system) return std::nullopt;  // nothing to tell by: the allocation will say
        available = *system;
    }
    return CheckStoreMemory(signals.Count(), quanta, available);
}

TModelOutcome RunModelLibrary(TSignals& signals, const TRunOptions& options,
                              const TModelHooks& hooks, TModelFolderLock* folderLock,
                              TModelHost* host) {
    TSignalsData& data = signals.Data();
    if (std::optional<TErrorBox> refusal = CheckRunMemory(signals, options)) {
        TModelOutcome outcome;
        outcome.Error = *refusal;
        return outcome;
    }
    try {
        data.SetSize(signals.Count(), std::max(signals.QuantCount(), 0));
    } catch (const std::bad_alloc&) {
        return TModelOutcome::Failure(kFatalTitle, "Недостаточно памяти для результатов");
    } catch (const EKvaril& e) {
        return TModelOutcome::Failure(kFatalTitle, e.what());
    }

    // Without a host of the caller's, one of the pool that sweeps use: its box is made once and
    // F9 after F9 only forks a run in it. It goes back when the run is done, unless it stopped.
    std::unique_ptr<TModelHost> pooled;
    if (!host) pooled = TakeModelHost(options.BinDir + "kvaril-modelhost");
    const struct TGiveBack {
        std::unique_ptr<TModelHost>& Host;
        ~TGiveBack() { GiveBackModelHost(std::move(Host)); }
    } giveBack{pooled};
    TModelHost& boxed = host ? *host : *pooled;
    SharedMemory reportMemory(sizeof(TRunReport));
    auto* report = reinterpret_cast<TRunReport*>(reportMemory.Data());
    report->CurrentQuant = -1;
    std::optional<TScratchFolder> scratch;
    int output[2] = {-1, -1};
    try {
        scratch.emplace(boxed.Folder());
        if (::pipe2(output, O_CLOEXEC) != 0)
            throw EKvaril(std::string("pipe: ") + std::strerror(errno));
    } catch (const EKvaril& e) {
        return TModelOutcome::Failure(kFatalTitle, e.what());
    }
    TOutputReader printed(output[0]);
    try {
        const std::optional<THostRun> request = HostRunOf(options, data, scratch->Path());
        if (!request) throw EKvaril("слишком длинный путь к папке модели");
        boxed.Start(*request, {reportMemory.Fd(), output[1], data.Rows().Fd()});
    } catch (const EKvaril& e) {
        ::close(output[1]);
        return TModelOutcome::Failure(
            kFatalTitle, std::string("Не могу запустить kvaril-modelhost: ") + e.what());
    }
    ::close(output[1]);
    const auto limit = options.Timeout.count() > 0 ? options.Timeout : std::chrono::hours(24 * 365);
    const auto hostHasLoaded = [report] {
        const auto state = static_cast<TRunState>(
            __atomic_load_n(reinterpret_cast<const int32_t*>(&report->State), __ATOMIC_ACQUIRE));
        return state != TRunState::NotStarted && state != TRunState::Loading;
    };
    const int64_t total = data.SampleCount();
    int status = 0;
    const TWaitResult waited = boxed.Wait(
        limit,
        [&] {
            if (folderLock && folderLock->Held() && hostHasLoaded()) folderLock->Release();
            if (hooks.Progress && hostHasLoaded()) {
                const int32_t quant = __atomic_load_n(&report->CurrentQuant, __ATOMIC_RELAXED);
                hooks.Progress(quant < 0 ? 0 : std::min<int64_t>(quant, total), total);
            }
            return hooks.Cancelled && hooks.Cancelled();
        },
        status);
    TModelOutcome outcome;
    if (waited != TWaitResult::Exited) {
        outcome.Cancelled = true;
        outcome.Status = waited == TWaitResult::TimedOut
                             ? "Моделирование остановлено: истекло отведенное время"
                             : "Моделирование прервано";
    } else {
        outcome = InterpretRunReport(*report, signals, status);
        outcome.ModelSeconds = static_cast<double>(report->ModelNanoseconds) * 1e-9;
    }
    AddModelOutput(outcome, printed.Finish(), *scratch);
    const bool ran =
        report->State != TRunState::NotStarted && report->State != TRunState::Unconfined;
    outcome.Notice = BoxNotice(AvailableBox(), !ran || report->Confined != 0);
    return outcome;
}

TModelOutcome RunModel(TSignals& signals, const TRunOptions& options, const TModelHooks& hooks) {
    if (signals.IsEmpty()) return {};
    RemoveKeptScratchFolders();  // what the last command's model wrote
    TModelFolderLock lock;
    lock.Acquire(options.BinDir, hooks);
    if (!lock.Held()) {
        TModelOutcome cancelled;
        cancelled.Cancelled = true;
        return cancelled;
    }
    // Times beyond the limit are the build's to report; a store too large for the memory is
    // refused before the build and before anything is allocated.
    if (!CheckModelTimes(signals, options.MaxQuanta))
        if (std::optional<TErrorBox> refusal = CheckRunMemory(signals, options)) {
            TModelOutcome outcome;
            outcome.Error = *refusal;
            return outcome;
        }
    TModelOutcome built =
        GenerateModelLocked(options.BinDir, signals, hooks, kCompileTimeout, options.MaxQuanta);
    if (!built.Ok) return built;
    if (hooks.ShowStatus) hooks.ShowStatus("Выполняется моделирование...");
    TModelOutcome outcome = RunModelLibrary(signals, options, hooks, &lock);
    if (!outcome.Cancelled) outcome.Status = "Ok";
    // A long run's store is large: the status says how large.
    if (outcome.Ok && signals.QuantCount() > kClassicMaxQuanta)
        outcome.Status =
            "Ok. Результаты: " + FormatBytes(StoreBytes(signals.Count(), signals.QuantCount()));
    return outcome;
}

}  // namespace kvaril
