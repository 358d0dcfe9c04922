#include "batch/BatchRun.h"

#include <chrono>
#include <optional>
#include <ostream>
#include <vector>

#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/Interruption.h"
#include "base/uCommon.h"
#include "batch/SampleCsv.h"
#include "batch/SweepBatch.h"
#include "document/DocumentFile.h"
#include "document/uBeam.h"
#include "document/uSignal.h"
#include "export/DataExportPlan.h"
#include "export/OutputPlan.h"
#include "model/AfterRun.h"
#include "model/ModelFolderLock.h"
#include "model/ModelGenerator.h"
#include "model/ModelRunner.h"
#include "model/RunProgress.h"
#include "osc/MarkLines.h"
#include "osc/OscAnalysis.h"

namespace kvaril {

namespace {

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

// --span as the times of the selection: the interval of the document's first screen (the one
// F9 shows, the default screen when none is stored) that the window's analyses would take.
bool ResolveSpanOption(const TBatchOptions& options, const TSignals& signals, const TOsc& osc,
                       TDataSelection& selection, std::ostream& err) {
    if (options.Span.empty()) return true;
    if (options.Span == "run") return true;  // from start to end
    TOsc shown;
    shown.SyncWithSignals(signals);  // the default screen
    const TView& view =
        osc.FitsSignals(signals) && osc.ViewCount() > 0 ? osc.View(0) : shown.View(0);
    const TCursorPair ab = DefaultCursorTimes(view, signals.QuantTime(), signals.QuantCount());
    const std::pair<double, double> cursors{ab.A, ab.B};
    const std::string text = options.Span == "window" ? kWindowSpan
                             : options.Span == "A..B" ? kCursorSpan
                                                      : options.Span;
    double t0 = 0, t1 = 0;
    if (!ResolveSpan(view, text, t0, t1, nullptr, &cursors)) {
        err << "Интервал --span " << options.Span << ": на первом экране документа меток "
            << view.TimeLabelCount() << "\n";
        return false;
    }
    selection.From = t0;
    selection.To = t1;
    return true;
}

// The signals and quanta every output covers: one selection for the CSV, the WAV and the
// analyses. A selection, window or WAV rate that cannot be honoured fails here, before anything
// is built; times the model refuses are left for the run to report.
bool ResolveOutputs(const TBatchOptions& options, const TSignals& signals, const TOsc& osc,
                    TDataRange& range, std::ostream& err) {
    std::string problem;
    if (!CheckAnalysisRequest(options.Analysis, problem)) {
        err << problem << "\n";
        return false;
    }
    TDataSelection selection = options.Selection;
    if (!ResolveSpanOption(options, signals, osc, selection, err)) return false;
    try {
        if (options.Analysis.Response.Any()) ResponseSignals(signals, options.Analysis.Response);
        CheckMeasurePairs(signals, options.Analysis.Measure);
        if (CheckModelTimes(signals, options.MaxQuanta)) {
            SignalsNamed(signals, options.Selection.SignalNames);
            return true;
        }
        range = ResolveSelection(signals, selection, AnalysisLeast(options.Analysis));
        if (!options.WavPath.empty()) {
            const TDataExportCheck wav = CheckDataExport(signals, range, TDataFormat::Wav);
            if (!wav.Ok()) throw ERangeError(wav.Refusal);
            if (!wav.Warning.empty()) err << "Внимание! " << wav.Warning << "\n";
        }
    } catch (const ERangeError& e) {
        err << e.what() << "\n";
        return false;
    }
    return true;
}

// What the model printed and the files it left, after the run, before its outcome; and the note
// on a weaker box.
void ReportModelOutput(const TModelOutcome& outcome, std::ostream& err) {
    if (!outcome.Notice.empty()) err << outcome.Notice << "\n";
    if (!outcome.ModelOutput.empty()) {
        // Decoded, its control characters made visible (ModelOutputText).
        const std::string& text = outcome.ModelOutput;
        err << "Вывод модели:\n" << text << (text.ends_with('\n') ? "" : "\n");
    }
    if (!outcome.ModelFiles.empty()) {
        err << "Файлы модели (" << outcome.ModelFolder << "):";
        for (const std::string& file : outcome.ModelFiles) err << " " << file;
        err << "\n";
    }
}

// The run's progress on a terminal: one line redrawn in place once the run has taken half a
// second, wiped when it ends. Nothing when the stream is not a terminal.
class TProgressLine {
  public:
    TProgressLine(std::ostream& err, bool enabled) : err_(err), enabled_(enabled) {}
    void Show(int64_t done, int64_t total) {
        if (!enabled_ || total <= 0) return;
        const auto now = std::chrono::steady_clock::now();
        if (!started_) started_ = now;
        const double elapsed = std::chrono::duration<double>(now - *started_).count();
        if (elapsed < 0.5) return;
        err_ << "\r" << ProgressText(done, total, elapsed) << "\x1b[K" << std::flush;
        shown_ = true;
    }
    void Clear() {
        if (shown_) err_ << "\r\x1b[K" << std::flush;
        shown_ = false;
    }

  private:
    std::ostream& err_;
    bool enabled_;
    bool shown_ = false;
    std::optional<std::chrono::steady_clock::time_point> started_;
};

// Builds and runs the model. The time limit guards against a model that never ends: it counts
// from the model's start (the build has its own limit). Returns the exit status: 0 when the
// samples are there.
int BuildAndRun(const TBatchOptions& options, TSignals& signals, std::ostream& err) {
    const TRunOptions run = RunRequestOf(options);
    bool waiting = false;
    TModelHooks hooks;
    // A run that waits for the model folder says so once.
    hooks.ShowStatus = [&](const std::string& text) {
        if (text == kWaitingForModelFolder && !waiting) err << text << std::endl;
        waiting = text == kWaitingForModelFolder;
    };
    hooks.Cancelled = [] { return InterruptingSignal() != 0; };
    TProgressLine line(err, options.ProgressLine);
    hooks.Progress = [&line](int64_t done, int64_t total) { line.Show(done, total); };
    TModelOutcome outcome;
    try {
        outcome = RunModel(signals, run, hooks);
    } catch (const std::exception& e) {
        line.Clear();
        err << "Отладка программы\n" << e.what() << "\n";
        return 1;
    }
    line.Clear();

    ReportModelOutput(outcome, err);
    if (const int signal = InterruptingSignal()) return 128 + signal;  // the caller says so
    if (outcome.Cancelled) {
        err << "Моделирование остановлено: истекло время выполнения модели ("
            << FormatShortestPlain(options.TimeoutSeconds) << " с)\n";
        return 2;
    }
    if (outcome.Error) {
        err << outcome.Error->Title << "\n" << WithPlainLineEnds(outcome.Error->Text) << "\n";
        if (outcome.Location)
            err << "Сигнал " << Cp1251ToUtf8(signals.Items(outcome.Location->SignalIndex).Name())
                << ", строка " << outcome.Location->Line << ", позиция " << outcome.Location->Column
                << "\n";
        return 1;
    }
    return outcome.Ok ? 0 : 1;
}

// The picture's screens exist and fit, known from the document before anything runs: the
// screens F9 would show, the default one for a document never opened in the oscilloscope.
bool CheckPicture(const TPictureRequest& picture, const TSignals& signals, const TOsc& osc,
                  std::ostream& err) {
    if (picture.Path.empty()) return true;
    const int screens = osc.ViewCountAfterSync(signals);
    const std::string problem =
        CheckPictureScreens(ScreensOf(picture, screens), screens, picture.Width, picture.Height);
    if (problem.empty()) return true;
    err << problem << "\n";
    return false;
}

// The files a run reads besides the document: the golden run and the picture's reference. One
// that cannot be used is reported before the model is built.
bool ReadTable(const std::string& path, TSampleTable& table, std::ostream& err) {
    if (path.empty()) return true;
    try {
        table = ReadSamplesCsv(path);
    } catch (const ECsvError& e) {
        err << e.what() << "\n";
        return false;
    }
    return true;
}

// The golden file is read while it is compared, after the run, so that none of it is held; a file
// that cannot be a sample table is refused before the run all the same.
bool CheckTableHeader(const std::string& path, std::ostream& err) {
    if (path.empty()) return true;
    try {
        ReadSamplesCsvHeader(path);
    } catch (const ECsvError& e) {
        err << e.what() << "\n";
        return false;
    }
    return true;
}

// Where each output of the command goes; -1 for one not asked for.
struct TBatchTargets {
    int Csv = -1, Wav = -1, Stats = -1, Spectrum = -1, Peaks = -1, Picture = -1, Response = -1,
        Measure = -1;
};

// Every target resolved and checked, with its temporary file open, before the model runs.
bool PlanOutputs(const TBatchOptions& options, TOutputPlan& plan, TBatchTargets& targets,
                 std::ostream& err) {
    plan.Protect("документ", options.Document);
    plan.Protect("эталон --against", options.AgainstPath);
    plan.Protect("эталон --reference", options.Picture.Reference);
    const auto add = [&](const char* role, const std::string& path, TOutputKind kind) {
        return path.empty() ? -1 : plan.Add(role, path, kind);
    };
    targets.Csv = add("--csv", options.CsvPath, TOutputKind::Text);
    targets.Wav = add("--wav", options.WavPath, TOutputKind::Binary);
    targets.Stats = add("--stats", options.Analysis.StatsPath, TOutputKind::Text);
    targets.Spectrum = add("--spectrum", options.Analysis.SpectrumPath, TOutputKind::Text);
    targets.Peaks = add("--peaks", options.Analysis.PeaksPath, TOutputKind::Text);
    targets.Picture = add("--png", options.Picture.Path, TOutputKind::Binary);
    targets.Response = add("--response", options.Analysis.Response.Path, TOutputKind::Text);
    targets.Measure = add("--measure", options.Analysis.Measure.Path, TOutputKind::Text);
    try {
        plan.Prepare();
    } catch (const EKvaril& e) {
        err << e.what() << "\n";
        return false;
    }
    return true;
}

// Every output of a successful run, written to its temporary and then, all of them, put in
// place.
bool WriteOutputs(const TBatchOptions& options, const TSignals& signals, const TOsc& osc,
                  const TDataRange& range, const TSampleTable& reference, TOutputPlan& plan,
                  const TBatchTargets& targets, std::ostream& err) {
    std::vector<std::function<void(ByteSink&)>> writers(plan.Count());
    if (targets.Csv >= 0)
        writers[targets.Csv] = [&](ByteSink& sink) {
            WriteDataExport(sink, signals, range, TDataFormat::Csv);
        };
    if (targets.Wav >= 0)
        writers[targets.Wav] = [&](ByteSink& sink) {
            WriteDataExport(sink, signals, range, TDataFormat::Wav);
        };
    if (targets.Stats >= 0)
        writers[targets.Stats] = [&](ByteSink& sink) { WriteStatsCsv(sink, signals, range); };
    if (targets.Spectrum >= 0)
        writers[targets.Spectrum] = [&](ByteSink& sink) {
            WriteSpectrumCsv(sink, signals, range, *SpectrumWindowFromName(options.Analysis.Window),
                             err);
        };
    if (targets.Peaks >= 0)
        writers[targets.Peaks] = [&](ByteSink& sink) {
            TPeakSettings settings;
            PeakSettingsOf(options.Analysis, settings);
            WritePeaksCsv(sink, signals, range, *SpectrumWindowFromName(options.Analysis.Window),
                          settings, err);
        };
    if (targets.Measure >= 0)
        writers[targets.Measure] = [&](ByteSink& sink) {
            WriteMeasureCsv(sink, signals, range, options.Analysis.Measure, err);
        };
    if (targets.Response >= 0)
        writers[targets.Response] = [&](ByteSink& sink) {
            WriteResponseCsv(sink, {{&signals, ""}}, options.Analysis.Response, range);
        };
    if (targets.Picture >= 0)
        writers[targets.Picture] = [&](ByteSink&) {
            const TPictureRequest& picture = options.Picture;
            std::optional<TStoredRun> run;
            if (!picture.Reference.empty()) {
                try {
                    run = RunFromTable(signals, reference);
                } catch (const ECsvError& e) {
                    throw EKvaril("Файл " + picture.Reference + ": " + e.what());
                }
            }
            const std::string problem = options.DrawPicture(
                picture, ScreensOf(picture, osc.ViewCount()), signals, osc, run ? &*run : nullptr,
                nullptr, plan.TemporaryPath(targets.Picture));
            if (!problem.empty()) throw EKvaril(problem);
        };
    try {
        for (int output : plan.WriteOrder()) writers[output](plan.Sink(output));
        plan.Commit();
    } catch (const std::exception& e) {
        if (!InterruptingSignal()) err << e.what() << "\n";
        return false;
    }
    return true;
}

}  // namespace

TRunOptions RunRequestOf(const TBatchOptions& options) {
    TRunOptions run;
    run.BinDir = options.BinDir;
    run.MaxQuanta = options.MaxQuanta;
    run.AvailableMemoryBytes = options.AvailableMemoryBytes;
    run.Timeout = TimeoutOf(options);
    return run;
}

int RunBatch(const TBatchOptions& options, std::ostream& out, std::ostream& err) {
    TSignals signals;
    TOsc osc;
    if (!LoadDocument(options.Document, signals, osc, err)) return 1;
    TDataRange range;
    TSampleTable reference;
    if (!ResolveOutputs(options, signals, osc, range, err)) return 1;
    if (!CheckPicture(options.Picture, signals, osc, err)) return 1;
    if (!CheckTableHeader(options.AgainstPath, err)) return 1;
    if (!ReadTable(options.Picture.Reference, reference, err)) return 1;
    TSweep sweep;
    if (!ResolveSweep(options.Sweeps, signals, sweep, err)) return 1;
    TOutputPlan plan(&out);
    TBatchTargets targets;
    if (!PlanOutputs(options, plan, targets, err)) return 1;
    if (!sweep.Parameters.empty())
        return RunSweepBatch(options, signals, osc, sweep, range, plan,
                             {targets.Csv, targets.Stats, targets.Picture, targets.Spectrum,
                              targets.Peaks, targets.Response, targets.Measure},
                             out, err);

    if (int status = BuildAndRun(options, signals, err); status != 0) return status;
    FinishRun(signals, osc);
    // A golden file that does not fit is a failure; one that differs is what the user wants to
    // see, outputs included.
    std::optional<TComparison> comparison;
    if (!options.AgainstPath.empty()) {
        try {
            comparison = CompareWithCsvFile(signals, options.AgainstPath, options.Tolerance);
        } catch (const ECsvError& e) {
            err << e.what() << "\n";
            return 1;
        }
        if (!comparison->StructureError.empty()) {
            err << "Файл " << options.AgainstPath << ": " << comparison->StructureError << "\n";
            return 1;
        }
    }
    if (!WriteOutputs(options, signals, osc, range, reference, plan, targets, err))
        return InterruptingSignal() ? 128 + InterruptingSignal() : 1;
    if (comparison && comparison->Differences > 0) {
        err << "Отличающихся отсчетов: " << comparison->Differences << "\n"
            << comparison->FirstDifference << "\n";
        return 3;
    }
    (plan.AnyStandardOutput() ? err : out) << "Ok\n";
    return 0;
}

}  // namespace kvaril
