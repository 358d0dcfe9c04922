#include "analysis/MeasureCsv.h"

#include <optional>
#include <ostream>

#include "base/Cp1251.h"
#include "base/uCommon.h"
#include "document/uSignal.h"
#include "export/OutputPlan.h"
#include "model/ModelGenerator.h"
#include "store/uSignalsData.h"

namespace kvaril {

namespace {

bool Automatic(const TMeasureInfo& m) {
    return m.Kind == TMeasureKind::Waveform || m.Kind == TMeasureKind::Distortion;
}

int SignalIndex(const TSignals& signals, const std::string& name) {
    return SignalsNamed(signals, {name}).at(0);
}

}  // namespace

bool ParseMeasureList(std::string_view list, TMeasureRequest& request, std::string& error) {
    std::vector<std::string> parts;
    for (size_t from = 0;;) {
        const size_t comma = list.find(',', from);
        parts.emplace_back(list.substr(from, comma - from));
        if (comma == std::string_view::npos) break;
        from = comma + 1;
    }
    std::vector<TMeasureItem> items;
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (part == "all") {
            for (const TMeasureInfo& m : AllMeasures())
                if (Automatic(m)) items.push_back({m.Id, false, false, {}, {}, m.Key});
            continue;
        }
        if (part.starts_with("delay:") || part.starts_with("phase:")) {
            if (i + 1 >= parts.size() || part.size() == 6 || parts[i + 1].empty()) {
                error = "--measure: " + part.substr(0, 5) + " задается как " + part.substr(0, 5) +
                        ":A,B";
                return false;
            }
            TMeasureItem item;
            item.Pair = true;
            item.Phase = part.starts_with("phase:");
            item.A = part.substr(6);
            item.B = parts[++i];
            item.Column = part + "," + item.B;
            items.push_back(item);
            continue;
        }
        bool found = false;
        for (const TMeasureInfo& m : AllMeasures())
            if (Automatic(m) && part == m.Key) {
                items.push_back({m.Id, false, false, {}, {}, m.Key});
                found = true;
            }
        if (!found) {
            error = "--measure: неизвестная мера \"" + part +
                    "\" (freq, period, top, base, amp, "
                    "rise, fall, overshoot, undershoot, width+, width-, duty, thd, snr, sinad, "
                    "enob, sfdr, delay:A,B, phase:A,B или all)";
            return false;
        }
    }
    request.Items = std::move(items);
    return true;
}

void CheckMeasurePairs(const TSignals& signals, const TMeasureRequest& request) {
    for (const TMeasureItem& item : request.Items)
        if (item.Pair) {
            SignalIndex(signals, item.A);
            SignalIndex(signals, item.B);
        }
}

std::string MeasureHeader(const TMeasureRequest& request) {
    std::string header = "signal";
    for (const TMeasureItem& item : request.Items) header += "," + CsvField(item.Column);
    return header;
}

std::string MeasureRow(TSpectrumAnalyzer& analyzer, const TSignals& signals, int index,
                       const TDataRange& range, const TMeasureRequest& request,
                       std::ostream& warnings, const std::string& prefix) {
    const std::string name = Cp1251ToUtf8(signals.Items(index).Name());
    std::string row = prefix + CsvField(name);
    const TSignalsData& data = signals.Data();
    const double quantTime = ModelTime(signals, 1), t0 = ModelTime(signals, range.FirstQuant);
    const double* samples = data.Row(index) + range.FirstQuant;
    const int n = range.QuantCount();
    // Each family measured once, however many of its measures the list names.
    std::optional<TWaveform> waveform;
    std::optional<TDistortion> distortion;
    for (const TMeasureItem& item : request.Items) {
        TMeasured m;
        if (item.Pair) {
            const TPairMeasure pair = MeasurePair(
                data.Row(SignalIndex(signals, item.A)) + range.FirstQuant,
                data.Row(SignalIndex(signals, item.B)) + range.FirstQuant, n, t0, quantTime);
            m = item.Phase ? pair.Phase : pair.Delay;
        } else if (MeasureInfo(item.Id).Kind == TMeasureKind::Waveform) {
            if (!waveform) waveform = MeasureWaveform(samples, n, t0, quantTime);
            m = WaveformMeasureOf(*waveform, item.Id);
        } else {
            if (!distortion) distortion = MeasureDistortion(analyzer, samples, n, quantTime);
            m = DistortionMeasureOf(*distortion, item.Id);
        }
        row += ",";
        if (m.Ok())
            row += FormatShortest(m.Value);
        else
            warnings << "Сигнал " << name << ", " << item.Column << ": " << m.Reason << "\n";
    }
    return row;
}

void WriteMeasureCsv(ByteSink& sink, const TSignals& signals, const TDataRange& range,
                     const TMeasureRequest& request, std::ostream& warnings) {
    TSpectrumAnalyzer analyzer;
    std::string text = MeasureHeader(request) + "\n";
    for (int index : range.Signals)
        text += MeasureRow(analyzer, signals, index, range, request, warnings) + "\n";
    sink.Write(text.data(), text.size());
}

}  // namespace kvaril
