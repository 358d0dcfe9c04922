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

// Reads the document; one without signals has nothing to run.
bool LoadDocument(const std::string& path, TSignals& signals, TOsc& osc, std::ostream& err) {
    try {
        ReadDocument(path, signals, osc);
    } catch (const std::exception& e) {
        err << "Файл: " << path << "\n" << e.what() << "\n";
        return false;
    }
    if (signals.IsEmpty()) {
        err << "В документе нет сигналов\n";
        return false;
    }
    return true;
}

// The signals and quanta every output covers: one selection for the CSV, the WAV and the
// analyses. A selection, window or WAV rate that cannot be honoured fails here, before anything
// is built; times the model refuses are left for the run to report.
bool ResolveOutputs(const TBatchOptions& options, const TSignals& signals, TDataRange& range,
                    std::ostream& err) {
    std::string problem;
    if (!CheckAnalysisRequest(options.Analysis, problem)) {
        err << problem << "\n";
        return false;
    }
    try {
        if (CheckModelTimes(signals)) {
            SignalsNamed(signals, options.Selection.SignalNames);
            return true;
        }
        range = ResolveSelection(signals, options.Selection, AnalysisLeast(options.Analysis));
        if (!options.WavPath.empty()) {
            const TWavRate rate = WavRateOf(signals);
            if (!rate.Refusal.empty()) throw ERangeError(rate.Refusal);
            if (rate.Inexact) err << "Внимание! " << rate.Warning() << "\n";
        }
    } catch (const ERangeError& e) {
        err << e.what() << "\n";
        return false;
    }
    return true;
}

// A golden file that cannot be used is reported before the model is built.
bool ReadGolden(const std::string& path, TSampleTable& golden, std::ostream& err) {
    if (path.empty()) return true;
    try {
        golden = ReadSamplesCsv(path);
    } catch (const ECsvError& e) {
        err << e.what() << "\n";
        return false;
    }
    return true;
}

// Builds and runs the model; the time limit covers the whole run, compiling included. Returns
// the exit status: 0 when the samples are there.
int BuildAndRun(const TBatchOptions& options, TSignals& signals, std::ostream& err) {
    TRunOptions run;
    run.BinDir = options.BinDir;
    run.Timeout = std::chrono::milliseconds(static_cast<long long>(options.TimeoutSeconds * 1000));
    const auto started = std::chrono::steady_clock::now();
    TModelHooks hooks;
    if (run.Timeout.count() > 0)
        hooks.Cancelled = [&] { return std::chrono::steady_clock::now() - started > run.Timeout; };
    TModelOutcome outcome;
    try {
        outcome = RunModel(signals, run, hooks);
    } catch (const std::exception& e) {
        err << "Отладка программы\n" << e.what() << "\n";
        return 1;
    }

    if (outcome.Cancelled) {
        err << "Моделирование остановлено: истекло время ("
            << FormatShortestPlain(options.TimeoutSeconds) << " с)\n";
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
    return outcome.Ok ? 0 : 1;
}

// The CSV and WAV samples and the analyses of a successful run.
bool WriteOutputs(const TBatchOptions& options, const TSignals& signals, const TDataRange& range,
                  std::ostream& err) {
    try {
        if (!options.CsvPath.empty()) WriteSamplesCsv(options.CsvPath, signals, range);
        if (!options.WavPath.empty()) WriteSamplesWav(options.WavPath, signals, range);
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        return false;
    }
    return !options.Analysis.Any() || WriteAnalysis(signals, options.Analysis, range, err);
}

// The run against the stored one of --against: 0 when they agree, 1 when the file does not fit
// the document, 3 when samples differ.
int CompareWithGolden(const TBatchOptions& options, const TSignals& signals,
                      const TSampleTable& golden, std::ostream& err) {
    if (options.AgainstPath.empty()) return 0;
    const TComparison c = CompareWithTable(signals, golden, options.Tolerance);
    if (!c.StructureError.empty()) {
        err << "Файл " << options.AgainstPath << ": " << c.StructureError << "\n";
        return 1;
    }
    if (c.Differences > 0) {
        err << "Отличающихся отсчетов: " << c.Differences << "\n" << c.FirstDifference << "\n";
        return 3;
    }
    return 0;
}

}  // namespace

int RunBatch(const TBatchOptions& options, std::ostream& out, std::ostream& err) {
    TSignals signals;
    TOsc osc;
    if (!LoadDocument(options.Document, signals, osc, err)) return 1;
    TDataRange range;
    TSampleTable golden;
    if (!ResolveOutputs(options, signals, range, err)) return 1;
    if (!ReadGolden(options.AgainstPath, golden, err)) return 1;

    if (int status = BuildAndRun(options, signals, err); status != 0) return status;
    if (!WriteOutputs(options, signals, range, err)) return 1;
    if (options.AfterRun) {
        osc.SyncWithSignals(signals);
        signals.Data().CalcMaxima();  // automatic gains scale by them
        if (int status = options.AfterRun(signals, osc, err); status != 0) return status;
    }
    if (int status = CompareWithGolden(options, signals, golden, err); status != 0) return status;
    out << "Ok\n";
    return 0;
}

}  // namespace kvaril
