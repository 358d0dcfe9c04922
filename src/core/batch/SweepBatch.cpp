#include "batch/SweepBatch.h"

#include <functional>
#include <ostream>

#include "analysis/AnalysisCsv.h"
#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/Interruption.h"
#include "base/uCommon.h"
#include "batch/BatchRun.h"
#include "document/uBeam.h"
#include "document/uSignal.h"
#include "export/OutputPlan.h"
#include "model/ModelGenerator.h"
#include "store/uSignalsData.h"
#include "sweep/SweepRun.h"
#include "sweep/SweepShown.h"

namespace kvaril {

bool ResolveSweep(const std::vector<std::string>& options, const TSignals& signals, TSweep& sweep,
                  std::ostream& err) {
    for (const std::string& option : options) {
        std::string error;
        if (!AddSweepParameter(signals, option, sweep, error)) {
            err << "--sweep: " << error << "\n";
            return false;
        }
    }
    return true;
}

void WriteSweepCsv(ByteSink& sink, const TSweep& sweep, const TSweepResult& result,
                   const TDataRange& range) {
    const TSignals& first = *result.Runs.at(0).Signals;
    for (const TSweepRun& run : result.Runs) CheckRangeInData(*run.Signals, range);
    std::string text = "t";
    for (int s : range.Signals)
        for (int run = 0; run < sweep.RunCount(); ++run)
            text += "," + CsvField(Cp1251ToUtf8(first.Items(s).Name()) + "@" + sweep.RunLabel(run));
    text += "\n";
    for (int q = range.FirstQuant; q <= range.LastQuant; ++q) {
        text += FormatShortest(ModelTime(first, q));
        for (int s : range.Signals)
            for (const TSweepRun& run : result.Runs)
                text += "," + FormatShortest(run.Signals->Data().GetData(s, q));
        text += "\n";
    }
    sink.Write(text.data(), text.size());
}

namespace {

// A table with the swept names as leading columns: `header` after them, then for each run and
// selected signal what `rows` gives (lines ending in a newline), each line led by the run's
// values.
using TRunRows =
    std::function<std::string(const TSignals& signals, int signal, const std::string& values)>;
void WriteSweptTable(ByteSink& sink, const TSweep& sweep, const TSweepResult& result,
                     const TDataRange& range, const std::string& header, const TRunRows& rows) {
    std::string text;
    for (const TSweepParameter& parameter : sweep.Parameters)
        text += CsvField(parameter.Label) + ",";
    text += header + "\n";
    for (int run = 0; run < sweep.RunCount(); ++run) {
        const TSignals& signals = *result.Runs.at(static_cast<size_t>(run)).Signals;
        CheckRangeInData(signals, range);
        std::string values;
        for (double value : sweep.ValuesOf(run)) values += SweepLiteral(value) + ",";
        for (int s : range.Signals) text += rows(signals, s, values);
    }
    sink.Write(text.data(), text.size());
}

}  // namespace

void WriteSweepStatsCsv(ByteSink& sink, const TSweep& sweep, const TSweepResult& result,
                        const TDataRange& range) {
    WriteSweptTable(sink, sweep, result, range, StatsHeader(),
                    [&](const TSignals& signals, int s, const std::string& values) {
                        return values + StatsRow(signals, s, range) + "\n";
                    });
}

void WriteSweepSpectrumCsv(ByteSink& sink, const TSweep& sweep, const TSweepResult& result,
                           const TDataRange& range, TSpectrumWindow window,
                           std::ostream& warnings) {
    std::vector<TAnalysisColumn> columns;
    for (int s : range.Signals)
        for (int run = 0; run < sweep.RunCount(); ++run) {
            const TSignals& signals = *result.Runs.at(static_cast<size_t>(run)).Signals;
            CheckRangeInData(signals, range);
            columns.push_back(
                {&signals, s, Cp1251ToUtf8(signals.Items(s).Name()) + "@" + sweep.RunLabel(run)});
        }
    const std::string text = SpectrumColumnsText(columns, range, window, warnings);
    sink.Write(text.data(), text.size());
}

void WriteSweepPeaksCsv(ByteSink& sink, const TSweep& sweep, const TSweepResult& result,
                        const TDataRange& range, TSpectrumWindow window,
                        const TPeakSettings& settings, std::ostream& warnings) {
    WriteSweptTable(sink, sweep, result, range, PeaksHeader(),
                    [&](const TSignals& signals, int s, const std::string& values) {
                        return PeaksRows(signals, s, range, window, settings, warnings, values);
                    });
}

namespace {

// Every failed run, then how many; true when there was none.
bool ReportFailures(const TSweepResult& result, int runs, std::ostream& err) {
    for (const TSweepFailure& failure : result.Failures) {
        err << "Прогон " << failure.Values << ": ";
        if (!failure.Signal.empty()) err << "сигнал " << failure.Signal << ", ";
        err << failure.Phase << "\n" << failure.Message << "\n";
    }
    if (result.Failures.empty()) return true;
    err << "Прогонов с ошибкой: " << result.Failures.size() << " из " << runs << "\n";
    return false;
}

// What the models printed, run by run, and the note on a weaker box once.
void ReportModelOutput(const TSweep& sweep, const TSweepResult& result, std::ostream& err) {
    for (size_t run = 0; run < result.Runs.size(); ++run) {
        const TModelOutcome& outcome = result.Runs[run].Outcome;
        if (run == 0 && !outcome.Notice.empty()) err << outcome.Notice << "\n";
        if (outcome.ModelOutput.empty()) continue;
        const std::string& text = outcome.ModelOutput;
        err << "Вывод модели (" << sweep.RunLabel(static_cast<int>(run)) << "):\n"
            << text << (text.ends_with('\n') ? "" : "\n");
    }
}

// The runs overlaid on the document's screens, drawn with the first run's samples as the
// current ones (every run has the document's signals and times).
void DrawSweepPicture(const TBatchOptions& options, TOsc& osc, const TSweepShown& shown,
                      const std::string& path) {
    const TSignals& first = *shown.Result.Runs.at(0).Signals;
    osc.SyncWithSignals(first);
    const TPictureRequest& picture = options.Picture;
    const std::string problem = options.DrawPicture(picture, ScreensOf(picture, osc.ViewCount()),
                                                    first, osc, nullptr, &shown, path);
    if (!problem.empty()) throw EKvaril(problem);
}

}  // namespace

int RunSweepBatch(const TBatchOptions& options, const TSignals& signals, TOsc& osc,
                  const TSweep& sweep, const TDataRange& range, TOutputPlan& plan,
                  const TSweepTargets& targets, std::ostream& out, std::ostream& err) {
    // Times the model refuses, or stores beyond the memory, fail every run alike: said once.
    if (const std::optional<TErrorBox> box =
            CheckSweepRuns(signals, sweep.RunCount(), RunRequestOf(options))) {
        err << box->Title << "\n" << WithPlainLineEnds(box->Text) << "\n";
        return 1;
    }
    TSweepOptions sweepOptions;
    sweepOptions.Run = RunRequestOf(options);
    TSweepShown shown{sweep, {}};
    TSweepResult& result = shown.Result;
    TSweepHooks hooks;
    hooks.Cancelled = [] { return InterruptingSignal() != 0; };
    try {
        result = RunSweep(signals, sweep, sweepOptions, hooks);
    } catch (const std::exception& e) {
        err << "Отладка программы\n" << e.what() << "\n";
        return 1;
    }
    if (const int signal = InterruptingSignal()) return 128 + signal;  // the caller says so
    ReportModelOutput(sweep, result, err);
    if (!ReportFailures(result, sweep.RunCount(), err)) return 1;
    try {
        std::vector<int> order = plan.WriteOrder();
        for (int output : order) {
            if (output == targets.Csv) WriteSweepCsv(plan.Sink(output), sweep, result, range);
            if (output == targets.Stats)
                WriteSweepStatsCsv(plan.Sink(output), sweep, result, range);
            if (output == targets.Picture)
                DrawSweepPicture(options, osc, shown, plan.TemporaryPath(output));
            const TSpectrumWindow window = *SpectrumWindowFromName(options.Analysis.Window);
            if (output == targets.Spectrum)
                WriteSweepSpectrumCsv(plan.Sink(output), sweep, result, range, window, err);
            if (output == targets.Peaks) {
                TPeakSettings settings;
                PeakSettingsOf(options.Analysis, settings);
                WriteSweepPeaksCsv(plan.Sink(output), sweep, result, range, window, settings, err);
            }
            if (output == targets.Measure) {
                TSpectrumAnalyzer analyzer;
                const TMeasureRequest& request = options.Analysis.Measure;
                WriteSweptTable(
                    plan.Sink(output), sweep, result, range, MeasureHeader(request),
                    [&](const TSignals& run, int s, const std::string& values) {
                        return MeasureRow(analyzer, run, s, range, request, err, values) + "\n";
                    });
            }
            if (output == targets.Response) {
                std::vector<TResponseRun> runs;
                for (size_t run = 0; run < result.Runs.size(); ++run)
                    runs.push_back({result.Runs[run].Signals.get(),
                                    "@" + sweep.RunLabel(static_cast<int>(run))});
                for (const TResponseRun& run : runs) CheckRangeInData(*run.Signals, range);
                WriteResponseCsv(plan.Sink(output), runs, options.Analysis.Response, range);
            }
        }
        plan.Commit();
    } catch (const std::exception& e) {
        if (const int signal = InterruptingSignal()) return 128 + signal;
        err << e.what() << "\n";
        return 1;
    }
    (plan.AnyStandardOutput() ? err : out) << "Ok\n";
    return 0;
}

}  // namespace kvaril
