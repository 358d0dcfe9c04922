#include "export/DataRange.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "document/Cp1251.h"
#include "document/uSignal.h"
#include "model/ModelGenerator.h"
#include "model/uCommon.h"
#include "model/uSignalsData.h"

namespace kvaril {

namespace {

// A millionth of a quantum: 0.03 typed for quantum 300 of 0.0001 s is 300.00000000000006 quanta.
constexpr double kQuantSlack = 1e-6;

std::string Seconds(double t) { return FormatFloat(t) + " с"; }

bool ParseTime(std::string_view text, std::optional<double>& time) {
    const double value = StrToFloatDefault(text, std::numeric_limits<double>::quiet_NaN());
    if (!std::isfinite(value)) return false;
    time = value;
    return true;
}

bool ParseNames(std::string_view text, std::vector<std::string>& names) {
    names.clear();
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        const std::string_view name = text.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        if (name.empty()) return false;
        names.emplace_back(name);
        if (comma == std::string_view::npos) return true;
        start = comma + 1;
    }
}

}  // namespace

TOptionParse ParseSelectionOption(std::string_view option, std::string_view value,
                                  TDataSelection& selection, std::string& error) {
    bool ok;
    if (option == "--signals") {
        ok = ParseNames(value, selection.SignalNames);
        if (!ok) error = "Неверный список сигналов: \"" + std::string(value) + "\"";
    } else if (option == "--from" || option == "--to") {
        ok = ParseTime(value, option == "--from" ? selection.From : selection.To);
        if (!ok)
            error = "Неверное время " + std::string(option) + ": \"" + std::string(value) + "\"";
    } else {
        return TOptionParse::NotMine;
    }
    return ok ? TOptionParse::Ok : TOptionParse::Bad;
}

TDataRange WholeRun(const TSignals& signals) {
    TDataRange range;
    for (int s = 0; s < signals.Count(); ++s) range.Signals.push_back(s);
    range.LastQuant = signals.QuantCount() - 1;
    return range;
}

void QuantsBetween(const TSignals& signals, double from, double to, int& first, int& last) {
    const double quantTime = ModelTime(signals, 1);
    const int count = signals.QuantCount();
    first = 0;
    last = -1;
    if (!(quantTime > 0) || count <= 0 || !(from <= to)) return;
    // Clamped before the conversion to int, which a huge typed time would overflow.
    const double lo = std::ceil(from / quantTime - kQuantSlack);
    const double hi = std::floor(to / quantTime + kQuantSlack);
    first = static_cast<int>(std::clamp(lo, 0.0, static_cast<double>(count)));
    last = static_cast<int>(std::clamp(hi, -1.0, static_cast<double>(count - 1)));
}

TDataRange RangeOf(const TSignals& signals, std::vector<int> indices, std::optional<double> from,
                   std::optional<double> to) {
    TDataRange range = WholeRun(signals);
    if (!indices.empty()) {
        std::sort(indices.begin(), indices.end());
        indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
        for (int s : indices) KV_ASSERT(s >= 0 && s < signals.Count(), "DataRange");
        range.Signals = std::move(indices);
    }
    if (!from && !to) return range;

    const double end = ModelTime(signals, std::max(0, signals.QuantCount() - 1));
    const double first = from.value_or(0);
    const double last = to.value_or(end);
    if (first > last)
        throw ERangeError("Начало интервала (" + Seconds(first) + ") позже его конца (" +
                          Seconds(last) + ")");
    QuantsBetween(signals, first, last, range.FirstQuant, range.LastQuant);
    if (range.QuantCount() <= 0)
        throw ERangeError("В интервале от " + Seconds(first) + " до " + Seconds(last) +
                          " нет отсчетов: отсчеты модели идут от 0 до " + Seconds(end) + " через " +
                          Seconds(ModelTime(signals, 1)));
    return range;
}

TDataRange ResolveSelection(const TSignals& signals, const TDataSelection& selection) {
    std::vector<int> indices;
    for (const std::string& name : selection.SignalNames) {
        bool found = false;
        for (int s = 0; s < signals.Count(); ++s)
            if (Cp1251ToUtf8(signals.Items(s).Name()) == name) {
                indices.push_back(s);
                found = true;
            }
        if (!found) throw ERangeError("В документе нет сигнала \"" + name + "\"");
    }
    return RangeOf(signals, std::move(indices), selection.From, selection.To);
}

void CheckRangeInData(const TSignals& signals, const TDataRange& range) {
    const TSignalsData& data = signals.Data();
    bool fits = range.QuantCount() > 0 && range.FirstQuant >= 0 &&
                range.LastQuant < data.SampleCount() && !range.Signals.empty();
    for (int s : range.Signals) fits = fits && s >= 0 && s < data.SignalCount();
    if (!fits) throw ERangeError("Нет отсчетов для записи: модель не выполнена после изменений");
}

}  // namespace kvaril
