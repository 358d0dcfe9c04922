#include "model/SampleCsv.h"

#include "model/uCommon.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

#include "document/Cp1251.h"
#include "document/uSignal.h"
#include "model/ModelGenerator.h"
#include "model/uSignalsData.h"

namespace kvaril {

namespace {

// One line split into its fields; quotes as the writer makes them ("" inside a quoted field).
std::vector<std::string> SplitFields(const std::string& line, int lineNo) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back() += c;
            }
        } else if (c == '"' && fields.back().empty()) {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    if (quoted) throw ECsvError("строка " + std::to_string(lineNo) + ": кавычка не закрыта");
    return fields;
}

double ParseNumber(const std::string& text, int lineNo, size_t column) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end)
        throw ECsvError("строка " + std::to_string(lineNo) + ", столбец " +
                        std::to_string(column + 1) + ": не число \"" + text + "\"");
    return value;
}

// For each column of the table, the signal of the run; names that occur twice match their
// occurrences in order.
std::vector<int> MatchColumns(const TSignals& signals, const TSampleTable& table,
                              std::string& error) {
    std::vector<int> signalOf;
    std::map<std::string, int> seen;
    for (const std::string& name : table.Names) {
        int occurrence = seen[name]++;
        int found = -1;
        for (int s = 0; s < signals.Count() && found < 0; ++s)
            if (Cp1251ToUtf8(signals.Items(s).Name()) == name && occurrence-- == 0) found = s;
        if (found < 0 && error.empty()) error = "сигнала " + name + " нет в модели";
        signalOf.push_back(found);
    }
    const int samples = signals.Data().SampleCount();
    if (error.empty() && static_cast<int64_t>(table.Times.size()) != samples)
        error = "строк с отсчетами " + std::to_string(table.Times.size()) + ", а в модели " +
                std::to_string(samples);
    for (size_t q = 0; error.empty() && q < table.Times.size(); ++q) {
        const double t = ModelTime(signals, static_cast<int>(q));
        if (table.Times[q] != t)
            error = "строка " + std::to_string(q + 2) + ": t = " + FormatShortest(table.Times[q]) +
                    ", а в модели t = " + FormatShortest(t);
    }
    return signalOf;
}

}  // namespace

TSampleTable ParseSamplesCsv(const std::string& input) {
    std::string_view text(input);
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string line(text.substr(start, end - start));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    if (lines.empty()) throw ECsvError("файл пуст");

    TSampleTable table;
    std::vector<std::string> header = SplitFields(lines[0], 1);
    if (header[0] != "t") throw ECsvError("строка 1: первый столбец должен называться t");
    table.Names.assign(header.begin() + 1, header.end());
    table.Columns.resize(table.Names.size());
    for (size_t i = 1; i < lines.size(); ++i) {
        const int lineNo = static_cast<int>(i) + 1;
        const std::vector<std::string> fields = SplitFields(lines[i], lineNo);
        if (fields.size() != header.size())
            throw ECsvError("строка " + std::to_string(lineNo) + ": полей " +
                            std::to_string(fields.size()) + ", а в заголовке " +
                            std::to_string(header.size()));
        table.Times.push_back(ParseNumber(fields[0], lineNo, 0));
        for (size_t c = 1; c < fields.size(); ++c)
            table.Columns[c - 1].push_back(ParseNumber(fields[c], lineNo, c));
    }
    return table;
}

TSampleTable ReadSamplesCsv(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    if (file) text << file.rdbuf();
    if (!file || file.bad()) throw ECsvError("Файл " + path + ": не удается прочитать");
    try {
        return ParseSamplesCsv(text.str());
    } catch (const ECsvError& e) {
        throw ECsvError("Файл " + path + ": " + e.what());
    }
}

bool ParseTolerance(const char* text, double& tolerance) {
    const char* end = text + std::char_traits<char>::length(text);
    double value = 0;
    const auto result = std::from_chars(text, end, value);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value) || value < 0)
        return false;
    tolerance = value;
    return true;
}

bool SamplesMatch(double run, double golden, double tolerance) {
    if (run == golden) return true;
    if (std::isnan(run) || std::isnan(golden)) return std::isnan(run) && std::isnan(golden);
    return std::fabs(run - golden) <= tolerance;
}

TComparison CompareWithTable(const TSignals& signals, const TSampleTable& golden,
                             double tolerance) {
    TComparison result;
    const std::vector<int> signalOf = MatchColumns(signals, golden, result.StructureError);
    if (!result.StructureError.empty()) return result;
    const TSignalsData& data = signals.Data();
    for (size_t q = 0; q < golden.Times.size(); ++q) {
        for (size_t c = 0; c < golden.Names.size(); ++c) {
            const double a = data.GetData(signalOf[c], static_cast<int32_t>(q));
            const double b = golden.Columns[c][q];
            if (SamplesMatch(a, b, tolerance)) continue;
            if (result.Differences++ == 0)
                result.FirstDifference =
                    "Сигнал " + golden.Names[c] + ", t = " + FormatShortest(golden.Times[q]) +
                    ": получено " + FormatShortest(a) + ", ожидалось " + FormatShortest(b);
        }
    }
    return result;
}

TStoredRun RunFromTable(const TSignals& signals, const TSampleTable& table) {
    std::string error;
    MatchColumns(signals, table, error);
    if (!error.empty()) throw ECsvError(error);
    TStoredRun run;
    run.Label = "эталон";
    run.QuantTime = signals.QuantTime();
    run.SampleCount = static_cast<int>(table.Times.size());
    for (size_t c = 0; c < table.Names.size(); ++c) {
        run.Names.push_back(Utf8ToCp1251(table.Names[c]));
        run.Values.insert(run.Values.end(), table.Columns[c].begin(), table.Columns[c].end());
    }
    return run;
}

}  // namespace kvaril
