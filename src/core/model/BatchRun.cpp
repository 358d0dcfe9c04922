#include "model/BatchRun.h"

#include <chrono>
#include <ostream>

#include "Errors.h"
#include "document/Cp1251.h"
#include "document/DocumentFile.h"
#include "document/FileStreams.h"
#include "document/uSignal.h"
#include "model/ModelGenerator.h"
#include "model/ModelRunner.h"
#include "model/SampleCsv.h"
#include "model/uCommon.h"
#include "model/uSignalsData.h"
#include "osc/uBeam.h"

namespace kvaril {

namespace {

// Box texts use CR LF like the window's boxes; a terminal wants plain line ends.
std::string ForTerminal(std::string text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    return out;
}

}  // namespace

int RunBatch(const TBatchOptions& options, std::ostream& out, std::ostream& err) {
    TSignals signals;
    TOsc osc;
    try {
        ReadDocument(options.Document, signals, osc);
    } catch (const std::exception& e) {
        err << "Файл: " << options.Document << "\n" << e.what() << "\n";
        return 1;
    }
    if (signals.IsEmpty()) {
        err << "В документе нет сигналов\n";
        return 1;
    }
    std::string problem;
    const auto selection = ResolveAnalysis(signals, options.Analysis, options.Selection, problem);
    if (!selection) {
        err << problem << "\n";
        return 1;
    }

    TDataRange range;
    if (!CheckModelTimes(signals)) {  // otherwise the run reports the times
        try {
            range = ResolveSelection(signals, options.Selection);
            if (!options.WavPath.empty()) {
                const TWavRate rate = WavRateOf(signals);
                if (!rate.Refusal.empty()) throw ERangeError(rate.Refusal);
                if (rate.Inexact) err << "Внимание! " << rate.Warning() << "\n";
            }
        } catch (const ERangeError& e) {
            err << e.what() << "\n";
            return 1;
        }
    }

    // A golden file that cannot be used is reported before the model is built.
    TSampleTable golden;
    if (!options.AgainstPath.empty()) {
        try {
            golden = ReadSamplesCsv(options.AgainstPath);
        } catch (const ECsvError& e) {
            err << e.what() << "\n";
            return 1;
        }
    }

    TRunOptions run;
    run.BinDir = options.BinDir;
    run.Timeout = std::chrono::milliseconds(static_cast<long long>(options.TimeoutSeconds * 1000));
    const auto started = std::chrono::steady_clock::now();
    TModelHooks hooks;
    if (run.Timeout.count() > 0) {
        // The whole run, compiling included, stays within the limit.
        hooks.Cancelled = [&] { return std::chrono::steady_clock::now() - started > run.Timeout; };
    }
    TModelOutcome outcome;
    try {
        outcome = RunModel(signals, run, hooks);
    } catch (const std::exception& e) {
        err << "Отладка программы\n" << e.what() << "\n";
        return 1;
    }

    if (outcome.Cancelled) {
        err << "Моделирование остановлено: истекло время (" << options.TimeoutSeconds << " с)\n";
        return 2;
    }
    if (outcome.Error) {
        err << outcome.Error->Title << "\n" << ForTerminal(outcome.Error->Text) << "\n";
        if (outcome.Location)
            err << "Сигнал " << Cp1251ToUtf8(signals.Items(outcome.Location->SignalIndex).Name())
                << ", строка " << outcome.Location->Line << ", позиция " << outcome.Location->Column
                << "\n";
        return 1;
    }
    if (!outcome.Ok) return 1;

    try {
        if (!options.CsvPath.empty()) WriteSamplesCsv(options.CsvPath, signals, range);
        if (!options.WavPath.empty()) WriteSamplesWav(options.WavPath, signals, range);
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        return 1;
    }
    if (options.Analysis.Any() && !WriteAnalysis(signals, options.Analysis, *selection, err))
        return 1;
    if (options.AfterRun) {
        osc.SyncWithSignals(signals);
        signals.Data().CalcMaxima();  // automatic gains scale by them
        if (int status = options.AfterRun(signals, osc, err); status != 0) return status;
    }
    if (!options.AgainstPath.empty()) {
        const TComparison c = CompareWithTable(signals, golden, options.Tolerance);
        if (!c.StructureError.empty()) {
            err << "Файл " << options.AgainstPath << ": " << c.StructureError << "\n";
            return 1;
        }
        if (c.Differences > 0) {
            err << "Отличающихся отсчетов: " << c.Differences << "\n" << c.FirstDifference << "\n";
            return 3;
        }
    }
    out << "Ok\n";
    return 0;
}

}  // namespace kvaril
