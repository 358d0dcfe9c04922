#include <charconv>

#include "Errors.h"
#include "document/Cp1251.h"
#include "document/FileStreams.h"
#include "document/uSignal.h"
#include "export/DataExport.h"
#include "model/ModelGenerator.h"
#include "model/uSignalsData.h"

namespace kvaril {

namespace {

std::string Shortest(double value) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

void WriteSamplesCsv(const std::string& path, const TSignals& signals, const TDataRange& range) {
    CheckRangeInData(signals, range);
    const TSignalsData& data = signals.Data();
    std::string text = "t";
    for (int s : range.Signals) text += "," + CsvField(Cp1251ToUtf8(signals.Items(s).Name()));
    text += "\n";
    for (int q = range.FirstQuant; q <= range.LastQuant; ++q) {
        text += Shortest(ModelTime(signals, q));
        for (int s : range.Signals) text += "," + Shortest(data.GetData(s, q));
        text += "\n";
    }
    AtomicFileSink sink(path, true);
    sink.Write(text.data(), text.size());
    sink.Commit();
}

}  // namespace kvaril
