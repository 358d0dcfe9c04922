#include "osc/OscAnalysis.h"

#include <algorithm>
#include <cmath>

#include "analysis/SignalStats.h"
#include "base/Cp1251.h"
#include "base/uCommon.h"
#include "document/uBeam.h"
#include "document/uSignal.h"
#include "export/DataRange.h"
#include "model/ModelGenerator.h"
#include "osc/BeamGroups.h"
#include "osc/BeamPalette.h"
#include "osc/ExportSpan.h"
#include "osc/OscTime.h"
#include "plot/Ticks.h"
#include "store/uSignalsData.h"

namespace kvaril {

namespace {

std::string SignalName(const TSignals& signals, int index) {
    return index < signals.Count() ? Cp1251ToUtf8(signals.Items(index).Name()) : std::string();
}

// "mI" at the start of `text` from `pos`; the 0-based index or −1.
int ParseMarker(const std::string& text, size_t& pos) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
    if (pos >= text.size() || (text[pos] != 'm' && text[pos] != 'M')) return -1;
    ++pos;
    size_t digits = 0;
    int n = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 4) {
        n = n * 10 + (text[pos] - '0');
        ++pos;
        ++digits;
    }
    while (pos < text.size() && text[pos] == ' ') ++pos;
    return digits > 0 && n > 0 ? n - 1 : -1;
}

}  // namespace

std::string ReadingText(double v) {
    if (std::fabs(v) < 0.00000001) v = 0;
    return FormatFloat4(v);
}

bool SampleAt(const TSignals& signals, int signal, double t, double& value) {
    const TSignalsData& data = signals.Data();
    if (!(signals.QuantTime() > 0) || signal < 0 || signal >= data.SignalCount() ||
        data.SampleCount() == 0 || !std::isfinite(t))
        return false;
    int64_t k = Round(t / static_cast<long double>(signals.QuantTime()));
    k = std::clamp<int64_t>(k, 0, data.SampleCount() - 1);
    value = data.GetData(signal, static_cast<int32_t>(k));
    return true;
}

double QuantumTimeOf(const TSignals& signals, double t) {
    const double q = signals.QuantTime();
    const int64_t n = signals.Data().SampleCount();
    if (!(q > 0) || n <= 0 || !std::isfinite(t)) return t;
    const int64_t k = std::clamp<int64_t>(Round(t / static_cast<long double>(q)), 0, n - 1);
    return static_cast<double>(k * static_cast<long double>(q));
}

// ---- Δ readout

int ReferenceLabel(const TView& view, double t, int picked) {
    if (picked >= 0 && picked < view.TimeLabelCount()) return picked;
    int found = -1;
    // Labels are kept in time order; the last one not right of the instant.
    for (int i = 0; i < view.TimeLabelCount(); ++i)
        if (view.TimeLabel(i).Time() <= t) found = i;
    return found;
}

TDeltaReadout MakeDeltaReadout(const TBeamGrouping& grouping, const TView* view,
                               const TSignals& signals, double t, int picked) {
    TDeltaReadout out;
    out.Rows.resize(static_cast<size_t>(grouping.RowCount()));
    if (!view) return out;
    out.Reference = ReferenceLabel(*view, t, picked);
    if (out.Reference < 0) return out;
    const double q = signals.QuantTime();
    const double tRef = view->TimeLabel(out.Reference).Time();
    // Δt between the quanta the values come from, not between the pixels' times.
    const double dt = QuantumTimeOf(signals, t) - QuantumTimeOf(signals, tRef);
    out.DeltaTime = FormatOscTime(q, dt);
    // Below half a quantum both instants read the same sample: no frequency to speak of.
    if (std::fabs(dt) >= q / 2 && dt != 0) out.InverseDelta = FormatFloat4(1 / dt);
    out.Header = MarkerName(out.Reference) + "   Δt: " + out.DeltaTime;
    if (!out.InverseDelta.empty()) out.Header += "   1/Δt: " + out.InverseDelta + " Гц";
    for (int r = 0; r < grouping.RowCount(); ++r) {
        const int s = grouping.Row(r)->Beam->SignalIndex();
        double v = 0, vRef = 0;
        if (!SampleAt(signals, s, t, v) || !SampleAt(signals, s, tRef, vRef)) continue;
        TDeltaCells& cells = out.Rows[static_cast<size_t>(r)];
        cells.Reference = ReadingText(vRef);
        cells.Delta = ReadingText(v - vRef);
    }
    return out;
}

// ---- spans

const char* const kWindowSpan = "Окно";
const char* const kWholeRunSpan = "Весь запуск";
const char* const kCursorSpan = "A..B";

std::vector<std::string> SpanSuggestions(const TView& view, bool cursors) {
    std::vector<std::string> out{kWindowSpan, kWholeRunSpan};
    const int n = std::min(view.TimeLabelCount(), 12);  // a pick list, not an enumeration
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j) out.push_back(MarkerName(i) + ".." + MarkerName(j));
    if (cursors) out.push_back(kCursorSpan);
    return out;
}

bool ResolveSpan(const TView& view, const std::string& text, double& t0, double& t1,
                 const TSignals* signals, const std::pair<double, double>* cursors) {
    const TSpanTimes window = SpanTimesOf(&view, TExportSpan::Window);
    t0 = *window.From;
    t1 = *window.To;
    if (text.empty() || text == kWindowSpan) return true;
    if (text == kWholeRunSpan) {
        const int samples = signals ? signals->Data().SampleCount() : 0;
        if (samples <= 0) return false;
        t0 = 0;
        t1 = ModelTime(*signals, samples - 1);
        return true;
    }
    if (text == kCursorSpan) {
        if (!cursors) return false;
        const TSpanTimes ab = SpanTimesOf(&view, TExportSpan::Cursors, -1, -1, cursors);
        t0 = *ab.From;
        t1 = *ab.To;
        return true;
    }
    size_t pos = 0;
    const int a = ParseMarker(text, pos);
    if (a < 0 || text.compare(pos, 2, "..") != 0) return false;
    pos += 2;
    const int b = ParseMarker(text, pos);
    if (b < 0 || pos != text.size() || a >= view.TimeLabelCount() || b >= view.TimeLabelCount())
        return false;
    const TSpanTimes markers = SpanTimesOf(&view, TExportSpan::Markers, a, b);
    t0 = *markers.From;
    t1 = *markers.To;
    return true;
}

// ---- statistics

std::string MeasureText(TMeasure measure, double value, double quantTime) {
    const TMeasureInfo& m = MeasureInfo(measure);
    switch (m.Unit) {
        case TMeasureUnit::Count:
            return std::to_string(static_cast<long>(value));
        case TMeasureUnit::Time:
            return FormatOscTime(quantTime, value);
        case TMeasureUnit::Hertz:
            return FormatEngineering(value, 5, "Гц");
        case TMeasureUnit::Decibel:
            return FormatDecimals(value, 2, "дБ");
        case TMeasureUnit::Percent:
            return FormatDecimals(value, 2, "%");
        case TMeasureUnit::Bits:
            return FormatDecimals(value, 2, "бит");
        case TMeasureUnit::Value:
            break;
    }
    return m.Kind == TMeasureKind::Statistic ? ReadingText(value) : FormatEngineering(value, 4);
}

int64_t AnalysisQuanta(const TSignals& signals, double t0, double t1) {
    return QuantsOfRun(signals, t0, t1, signals.Data().SampleCount()).Count();
}

std::vector<TStatsRow> StatsRows(const TBeamGrouping& grouping, const TView* view,
                                 const TSignals& signals, double t0, double t1, bool beamColors,
                                 const TWorkHooks& hooks) {
    std::vector<TStatsRow> rows;
    if (!view) return rows;
    const double q = signals.QuantTime();
    const TSignalsData& data = signals.Data();
    const TQuantRange range = QuantsOfRun(signals, t0, t1, data.SampleCount());
    const int64_t perRow = range.Count(), total = perRow * grouping.RowCount();
    for (int r = 0; r < grouping.RowCount(); ++r) {
        if (r > 0) hooks.Step(r * perRow, total);
        // A row's own progress, told as part of all rows'.
        TWorkHooks rowHooks{nullptr, hooks.Cancelled};
        if (hooks.Progress)
            rowHooks.Progress = [&hooks, r, perRow, total](int64_t done, int64_t) {
                hooks.Progress(r * perRow + done, total);
            };
        const TBeamRowRef& ref = *grouping.Row(r);
        TStatsRow row;
        const int s = ref.Beam->SignalIndex();
        row.Name = SignalName(signals, s);
        row.ColorIndex = BeamColorIndex(ref, beamColors);
        if (s < data.SignalCount()) {
            const TSignalStats st = SignalStats(data, s, range, rowHooks);
            // Without samples only their count shows; a time shows where its extreme is.
            for (int c = 0; c < kStatisticCount; ++c) {
                const auto measure = static_cast<TMeasure>(c);
                const double v = StatisticOf(st, measure, q);
                if (measure != TMeasure::Count &&
                    (st.Count == 0 ||
                     (MeasureInfo(measure).Unit == TMeasureUnit::Time && std::isnan(v))))
                    continue;
                row.Cells[c] = MeasureText(measure, v, q);
            }
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

// ---- spectra

std::vector<TBeamChoice> ChooseBeams(const TBeamGrouping& grouping, const std::set<int>& chosen,
                                     bool beamColors) {
    std::vector<TBeamChoice> out;
    auto colorOf = [&grouping, beamColors](int r) {
        return BeamColorIndex(*grouping.Row(r), beamColors);
    };
    if (chosen.empty()) {
        for (int r = 0; r < grouping.RowCount(); ++r)
            out.push_back({grouping.Row(r)->Beam->SignalIndex(), colorOf(r)});
        return out;
    }
    for (int signal : chosen) {
        TBeamChoice c{signal, 0};
        for (int r = 0; r < grouping.RowCount(); ++r)
            if (grouping.Row(r)->Beam->SignalIndex() == signal) c.ColorIndex = colorOf(r);
        out.push_back(c);
    }
    return out;
}

std::vector<TBeamSpectrum> BeamSpectra(TSpectrumAnalyzer& analyzer, const TSignals& signals,
                                       const std::vector<TBeamChoice>& beams, double t0, double t1,
                                       TSpectrumWindow window, const TWorkHooks& hooks) {
    std::vector<TBeamSpectrum> out;
    const double q = signals.QuantTime();
    const TSignalsData& data = signals.Data();
    const TQuantRange range = QuantsOfRun(signals, t0, t1, data.SampleCount());
    const auto count = static_cast<int64_t>(beams.size());
    for (int64_t i = 0; i < count; ++i) {
        if (i > 0) hooks.Step(i, count);
        const TBeamChoice& c = beams[static_cast<size_t>(i)];
        if (c.Signal < 0 || c.Signal >= data.SignalCount()) continue;
        TBeamSpectrum b;
        b.Name = SignalName(signals, c.Signal);
        b.ColorIndex = c.ColorIndex;
        b.Spectrum = analyzer.Compute(data, c.Signal, range, q, window);
        b.Peak = FindLargestPeak(b.Spectrum);
        b.Peaks = FindPeaks(b.Spectrum);
        out.push_back(std::move(b));
    }
    return out;
}

void FindBeamPeaks(std::vector<TBeamSpectrum>& spectra, int count, double thresholdDb) {
    for (TBeamSpectrum& b : spectra) b.Peaks = FindPeaks(b.Spectrum, count, thresholdDb);
}

// ---- the spectrum's intervals

std::vector<TSpectrumInterval> SpectrumIntervals(const TView& view, const TSignals& signals,
                                                 const std::pair<double, double>* cursors) {
    // The one list of every analysis; A..B is listed without the cursors too, not to be chosen.
    std::vector<TSpectrumInterval> out;
    for (const std::string& text : SpanSuggestions(view, true)) {
        TSpectrumInterval i;
        i.Caption = text;
        i.Available = ResolveSpan(view, text, i.T0, i.T1, &signals, cursors);
        if (!i.Available) i.T0 = i.T1 = 0;
        out.push_back(std::move(i));
    }
    return out;
}

bool ChooseInterval(TSpectrumRequest& request, int index) {
    if (index < 0 || index >= static_cast<int>(request.Intervals.size())) return false;
    const TSpectrumInterval& i = request.Intervals[static_cast<size_t>(index)];
    if (!i.Available) return false;
    request.Interval = index;
    request.T0 = i.T0;
    request.T1 = i.T1;
    request.Span = i.Caption;
    return true;
}

int FindInterval(const TSpectrumRequest& request, const std::string& caption) {
    for (size_t i = 0; i < request.Intervals.size(); ++i)
        if (request.Intervals[i].Caption == caption && request.Intervals[i].Available)
            return static_cast<int>(i);
    return -1;
}

}  // namespace kvaril
