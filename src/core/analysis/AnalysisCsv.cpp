#include "analysis/AnalysisCsv.h"

#include <cmath>
#include <limits>
#include <ostream>

#include "analysis/Measures.h"
#include "analysis/SignalStats.h"
#include "base/Cp1251.h"
#include "base/uCommon.h"
#include "document/uSignal.h"
#include "export/OutputPlan.h"
#include "model/ModelGenerator.h"
#include "store/uSignalsData.h"

namespace kvaril {

namespace {

std::string SignalColumn(const TSignals& signals, int index) {
    return CsvField(Cp1251ToUtf8(signals.Items(index).Name()));
}

std::string StatsText(const TSignals& signals, const TDataRange& range) {
    std::string text = StatsHeader() + "\n";
    for (int index : range.Signals) text += StatsRow(signals, index, range) + "\n";
    return text;
}

std::string SpectrumText(const TSignals& signals, const TDataRange& range, TSpectrumWindow window,
                         std::ostream& warnings) {
    std::vector<TAnalysisColumn> columns;
    for (int index : range.Signals)
        columns.push_back({&signals, index, Cp1251ToUtf8(signals.Items(index).Name())});
    return SpectrumColumnsText(columns, range, window, warnings);
}

std::string PeaksText(const TSignals& signals, const TDataRange& range, TSpectrumWindow window,
                      const TPeakSettings& settings, std::ostream& warnings) {
    std::string text = PeaksHeader() + "\n";
    for (int index : range.Signals)
        text += PeaksRows(signals, index, range, window, settings, warnings, "");
    return text;
}

}  // namespace

std::string SpectrumColumnsText(const std::vector<TAnalysisColumn>& columns,
                                const TDataRange& range, TSpectrumWindow window,
                                std::ostream& warnings) {
    TSpectrumAnalyzer analyzer;
    std::vector<TSpectrum> spectra;
    std::string text = "f";
    double quantTime = 0;
    for (const TAnalysisColumn& column : columns) {
        quantTime = ModelTime(*column.Signals, 1);
        spectra.push_back(analyzer.Compute(column.Signals->Data(), column.Index, range.Quanta(),
                                           quantTime, window));
        text += "," + CsvField(column.Name);
        if (spectra.back().NonFinite)
            warnings << "Сигнал " << column.Name
                     << ": в диапазоне есть NaN или бесконечность, спектр не вычислен\n";
    }
    text += "\n";
    const int n = range.QuantCount();
    for (int k = 0; k <= n / 2 && !columns.empty(); ++k) {
        text += FormatShortest(k / (n * quantTime));
        for (const TSpectrum& s : spectra)
            text += "," + FormatShortest(s.NonFinite ? std::numeric_limits<double>::quiet_NaN()
                                                     : s.Amplitude[static_cast<size_t>(k)]);
        text += "\n";
    }
    return text;
}

std::string PeaksRows(const TSignals& signals, int index, const TDataRange& range,
                      TSpectrumWindow window, const TPeakSettings& settings, std::ostream& warnings,
                      const std::string& prefix) {
    TSpectrumAnalyzer analyzer;
    const TSpectrum s =
        analyzer.Compute(signals.Data(), index, range.Quanta(), ModelTime(signals, 1), window);
    if (s.NonFinite)
        warnings << "Сигнал " << Cp1251ToUtf8(signals.Items(index).Name())
                 << ": в диапазоне есть NaN или бесконечность, пики не найдены\n";
    std::string text;
    int rank = 0;
    for (const TSpectralPeak& p : FindPeaks(s, settings.Count, settings.ThresholdDb)) {
        text += prefix + SignalColumn(signals, index) + "," + std::to_string(++rank);
        for (const TMeasureInfo& m : AllMeasures())
            if (m.Kind == TMeasureKind::Peak) text += "," + FormatShortest(PeakMeasureOf(p, m.Id));
        text += "\n";
    }
    return text;
}

bool PeakSettingsOf(const TAnalysisRequest& request, TPeakSettings& settings) {
    TPeakSettings out;
    if (!request.PeakCount.empty()) {
        const double n = StrToFloatDefault(request.PeakCount, -1);
        if (!(n >= 1 && n <= 1000 && n == std::floor(n))) return false;
        out.Count = static_cast<int>(n);
    }
    if (!request.PeakThreshold.empty()) {
        out.ThresholdDb = StrToFloatDefault(request.PeakThreshold, NAN);
        if (!std::isfinite(out.ThresholdDb)) return false;
    }
    settings = out;
    return true;
}

std::string StatsHeader() { return "signal," + MeasureKeys(TMeasureKind::Statistic); }

std::string PeaksHeader() { return "signal,rank," + MeasureKeys(TMeasureKind::Peak); }

std::string StatsRow(const TSignals& signals, int index, const TDataRange& range) {
    const TSignalStats s = SignalStats(signals.Data(), index, range.Quanta());
    const double quantTime = ModelTime(signals, 1);
    std::string row = SignalColumn(signals, index);
    for (int c = 0; c < kStatisticCount; ++c) {
        const auto measure = static_cast<TMeasure>(c);
        row += ",";
        row += measure == TMeasure::Count ? std::to_string(s.Count)
                                          : FormatShortest(StatisticOf(s, measure, quantTime));
    }
    return row;
}

TOptionParse ParseAnalysisOption(std::string_view option, std::string_view value,
                                 TAnalysisRequest& request) {
    if (option == "--stats")
        request.StatsPath = value;
    else if (option == "--spectrum")
        request.SpectrumPath = value;
    else if (option == "--peaks")
        request.PeaksPath = value;
    else if (option == "--window")
        request.Window = value;
    else if (option == "--peaks-count")
        request.PeakCount = value;
    else if (option == "--threshold")
        request.PeakThreshold = value;
    else if (option == "--segment")
        request.Response.Segment = value;
    else
        return TOptionParse::NotMine;
    return TOptionParse::Ok;
}

bool CheckAnalysisRequest(const TAnalysisRequest& request, std::string& error) {
    if (!SpectrumWindowFromName(request.Window)) {
        error = "Неизвестное окно \"" + request.Window +
                "\": допустимы rect, hann, hamming, blackman-harris";
        return false;
    }
    TPeakSettings settings;
    if (!PeakSettingsOf(request, settings)) {
        error = "Неверное число пиков --peaks-count \"" + request.PeakCount +
                "\" (целое от 1 до 1000) или порог --threshold \"" + request.PeakThreshold +
                "\" (число, дБ)";
        return false;
    }
    int segment = 0;
    if (!ResponseSegmentOf(request.Response, segment)) {
        error = "Неверная длина сегмента --segment \"" + request.Response.Segment +
                "\" (целое от 2 до 1073741824)";
        return false;
    }
    return true;
}

void WriteStatsCsv(ByteSink& sink, const TSignals& signals, const TDataRange& range) {
    const std::string text = StatsText(signals, range);
    sink.Write(text.data(), text.size());
}

void WriteStatsCsv(const std::string& path, const TSignals& signals, const TDataRange& range) {
    WriteOutputFile(path, TOutputKind::Text,
                    [&](ByteSink& sink) { WriteStatsCsv(sink, signals, range); });
}

void WriteSpectrumCsv(ByteSink& sink, const TSignals& signals, const TDataRange& range,
                      TSpectrumWindow window, std::ostream& warnings) {
    const std::string text = SpectrumText(signals, range, window, warnings);
    sink.Write(text.data(), text.size());
}

void WriteSpectrumCsv(const std::string& path, const TSignals& signals, const TDataRange& range,
                      TSpectrumWindow window, std::ostream& warnings) {
    WriteOutputFile(path, TOutputKind::Text, [&](ByteSink& sink) {
        WriteSpectrumCsv(sink, signals, range, window, warnings);
    });
}

void WritePeaksCsv(ByteSink& sink, const TSignals& signals, const TDataRange& range,
                   TSpectrumWindow window, const TPeakSettings& settings, std::ostream& warnings) {
    const std::string text = PeaksText(signals, range, window, settings, warnings);
    sink.Write(text.data(), text.size());
}

bool WriteAnalysis(const TSignals& signals, const TAnalysisRequest& request,
                   const TDataRange& range, std::ostream& err) {
    try {
        TOutputPlan plan;
        const int stats =
            request.StatsPath.empty() ? -1 : plan.Add("", request.StatsPath, TOutputKind::Text);
        const int spectrum = request.SpectrumPath.empty()
                                 ? -1
                                 : plan.Add("", request.SpectrumPath, TOutputKind::Text);
        const int peaks =
            request.PeaksPath.empty() ? -1 : plan.Add("", request.PeaksPath, TOutputKind::Text);
        plan.Prepare();
        if (stats >= 0) WriteStatsCsv(plan.Sink(stats), signals, range);
        if (spectrum >= 0)
            WriteSpectrumCsv(plan.Sink(spectrum), signals, range,
                             *SpectrumWindowFromName(request.Window), err);
        if (peaks >= 0) {
            TPeakSettings settings;
            PeakSettingsOf(request, settings);
            WritePeaksCsv(plan.Sink(peaks), signals, range, *SpectrumWindowFromName(request.Window),
                          settings, err);
        }
        plan.Commit();
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        return false;
    }
    return true;
}

}  // namespace kvaril
