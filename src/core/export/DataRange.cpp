#include "export/DataRange.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/Cp1251.h"
#include "base/uCommon.h"
#include "document/uSignal.h"
#include "model/ModelGenerator.h"
#include "store/uSignalsData.h"

namespace kvaril {

namespace {

std::string Seconds(double t) { return FormatShortestPlain(t) + " с"; }

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

TQuantRange QuantsOfRun(const TSignals& signals, double from, double to, int count) {
    return QuantsWithin(ModelTime(signals, 1), count < 0 ? signals.QuantCount() : count, from, to);
}

std::vector<int> SignalsNamed(const TSignals& signals, const std::vector<std::string>& names) {
    std::vector<int> indices;
    for (size_t n = 0; n < names.size(); ++n) {
        const std::string& name = names[n];
        // One column per signal: a name twice would be asked twice for the same samples.
        if (std::find(names.begin(), names.begin() + n, name) != names.begin() + n)
            throw ERangeError("Сигнал \"" + name + "\" назван в списке дважды");
        bool found = false;
        for (int s = 0; s < signals.Count(); ++s)
            if (Cp1251ToUtf8(signals.Items(s).Name()) == name) {
                indices.push_back(s);
                found = true;
            }
        if (!found) throw ERangeError("В документе нет сигнала \"" + name + "\"");
    }
    std::sort(indices.begin(), indices.end());
    return indices;
}

namespace {

TDataRange Resolve(const TSignals& signals, std::vector<int> indices, std::optional<double> from,
                   std::optional<double> to, int least) {
    KV_ASSERT(least == 1 || least == 2, "DataRange");
    TDataRange range = WholeRun(signals);
    if (!indices.empty()) {
        std::sort(indices.begin(), indices.end());
        indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
        for (int s : indices) KV_ASSERT(s >= 0 && s < signals.Count(), "DataRange");
        range.Signals = std::move(indices);
    }
    if (from && to && *from > *to)
        throw ERangeError("Начало интервала (" + Seconds(*from) + ") позже его конца (" +
                          Seconds(*to) + ")");
    if (from || to) {
        const TQuantRange quanta =
            QuantsOfRun(signals, from.value_or(-std::numeric_limits<double>::infinity()),
                        to.value_or(std::numeric_limits<double>::infinity()));
        range.FirstQuant = quanta.First;
        range.LastQuant = quanta.Last;
    }
    // The whole run of a document without quanta is left to CheckRangeInData, which says why.
    if ((from || to || least > 1) && range.QuantCount() < least)
        throw ERangeError("В интервале от " + (from ? Seconds(*from) : "начала") + " до " +
                          (to ? Seconds(*to) : "конца") +
                          (least == 1 ? " нет отсчетов" : " меньше двух отсчетов") +
                          ": отсчеты модели идут от 0 до " +
                          Seconds(ModelTime(signals, std::max(0, signals.QuantCount() - 1))) +
                          " через " + Seconds(ModelTime(signals, 1)));
    return range;
}

}  // namespace

TDataRange RangeOf(const TSignals& signals, std::vector<int> indices, std::optional<double> from,
                   std::optional<double> to) {
    return Resolve(signals, std::move(indices), from, to, 1);
}

TDataRange ResolveSelection(const TSignals& signals, const TDataSelection& selection, int least) {
    return Resolve(signals, SignalsNamed(signals, selection.SignalNames), selection.From,
                   selection.To, least);
}

void CheckRangeInData(const TSignals& signals, const TDataRange& range) {
    const TSignalsData& data = signals.Data();
    bool fits = range.QuantCount() > 0 && range.FirstQuant >= 0 &&
                range.LastQuant < data.SampleCount() && !range.Signals.empty();
    for (int s : range.Signals) fits = fits && s >= 0 && s < data.SignalCount();
    if (!fits) throw ERangeError("Нет отсчетов для записи: модель не выполнена после изменений");
}

}  // namespace kvaril
