#include "analysis/ResponseCsv.h"

#include <algorithm>
#include <cmath>

#include "analysis/Response.h"
#include "base/Errors.h"
#include "base/uCommon.h"
#include "document/uSignal.h"
#include "export/OutputPlan.h"
#include "model/ModelGenerator.h"
#include "store/uSignalsData.h"

namespace kvaril {

namespace {

constexpr int kMaxSegment = 1 << 30;

std::vector<std::string> SplitNames(std::string_view text) {
    std::vector<std::string> names;
    size_t from = 0;
    while (true) {
        const size_t comma = text.find(',', from);
        names.emplace_back(text.substr(from, comma - from));
        if (comma == std::string_view::npos) return names;
        from = comma + 1;
    }
}

}  // namespace

bool ParseResponseSignals(std::string_view text, TResponseRequest& request, std::string& error) {
    const size_t colon = text.find(':');
    const std::vector<std::string> outputs = colon == std::string_view::npos
                                                 ? std::vector<std::string>{}
                                                 : SplitNames(text.substr(colon + 1));
    const bool blank = std::any_of(outputs.begin(), outputs.end(),
                                   [](const std::string& name) { return name.empty(); });
    if (colon == 0 || colon == std::string_view::npos || outputs.empty() || blank) {
        error = "--response задается как Вход:Выход[,Выход2...]: " + std::string(text);
        return false;
    }
    for (size_t i = 0; i < outputs.size(); ++i)
        if (std::find(outputs.begin(), outputs.begin() + static_cast<long>(i), outputs[i]) !=
            outputs.begin() + static_cast<long>(i)) {
            error = "--response: выход \"" + outputs[i] + "\" назван дважды";
            return false;
        }
    request.Input = text.substr(0, colon);
    request.Outputs = outputs;
    return true;
}

bool ResponseSegmentOf(const TResponseRequest& request, int& segment) {
    if (request.Segment.empty()) {
        segment = 0;
        return true;
    }
    const double n = StrToFloatDefault(request.Segment, -1);
    if (!(n >= 2 && n <= kMaxSegment && n == std::floor(n))) return false;
    segment = static_cast<int>(n);
    return true;
}

std::vector<int> ResponseSignals(const TSignals& signals, const TResponseRequest& request) {
    std::vector<int> indices{SignalsNamed(signals, {request.Input}).at(0)};
    for (const std::string& name : request.Outputs)
        indices.push_back(SignalsNamed(signals, {name}).at(0));
    return indices;
}

std::string ResponseText(const std::vector<TResponseRun>& runs, const TResponseRequest& request,
                         const TDataRange& range) {
    int segment = 0;
    if (!ResponseSegmentOf(request, segment))
        throw EKvaril("Неверная длина сегмента --segment: " + request.Segment);
    TSpectrumAnalyzer analyzer;
    std::vector<TResponse> responses;
    std::string text = "f";
    for (const TResponseRun& run : runs) {
        const std::vector<int> indices = ResponseSignals(*run.Signals, request);
        const TSignalsData& data = run.Signals->Data();
        auto at = [&](int index) { return data.Row(index) + range.FirstQuant; };
        std::vector<TResponseSignal> outputs;
        for (size_t o = 0; o < request.Outputs.size(); ++o)
            outputs.push_back({request.Outputs[o] + run.Suffix, at(indices[o + 1])});
        responses.push_back(EstimateResponse(analyzer, {request.Input + run.Suffix, at(indices[0])},
                                             outputs, range.QuantCount(),
                                             ModelTime(*run.Signals, 1), segment));
        const TResponse& r = responses.back();
        if (r.Empty()) throw EKvaril("--response: " + r.Reason);
        if (r.Segment != responses.front().Segment)
            throw EKvaril(
                "--response: у прогонов разная длина сегмента (импульсный вход в одних "
                "и не в других); задайте --segment");
        for (const TResponseCurve& c : r.Outputs)
            for (const char* column : {"_dB", "_deg", "_coh"})
                text += "," + CsvField(c.Name + column);
    }
    text += "\n";
    const TResponse& first = responses.front();
    for (int k = 0; k < first.BinCount(); ++k) {
        text += FormatShortest(first.Frequency(k));
        for (const TResponse& r : responses)
            for (const TResponseCurve& c : r.Outputs) {
                const auto b = static_cast<size_t>(k);
                if (!c.Valid[b]) {
                    text += ",,,";
                    continue;
                }
                text += "," + FormatShortest(ToDecibels(c.Magnitude[b])) + "," +
                        FormatShortest(c.Phase[b]) + "," + FormatShortest(c.Coherence[b]);
            }
        text += "\n";
    }
    return text;
}

void WriteResponseCsv(ByteSink& sink, const std::vector<TResponseRun>& runs,
                      const TResponseRequest& request, const TDataRange& range) {
    const std::string text = ResponseText(runs, request, range);
    sink.Write(text.data(), text.size());
}

}  // namespace kvaril
