#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/uCommon.h"
#include "document/uSignal.h"
#include "export/DataExport.h"
#include "export/OutputPlan.h"
#include "model/ModelGenerator.h"
#include "store/uSignalsData.h"

namespace kvaril {

namespace {

// Shortest round-trip text of `value` at `out` (as FormatShortest writes it); the end.
inline char* PutShortest(char* out, double value) {
    if (std::isnan(value)) {
        std::memcpy(out, "nan", 3);
        return out + 3;
    }
    return std::to_chars(out, out + 32, value).ptr;
}

}  // namespace

// Streamed: the rows go out in pieces of about a megabyte, each number written in place by
// std::to_chars (shortest round trip), so a long run needs no text of its whole size.
void WriteSamplesCsv(ByteSink& sink, const TSignals& signals, const TDataRange& range,
                     const TWorkHooks& hooks) {
    CheckRangeInData(signals, range);
    const TSignalsData& data = signals.Data();
    std::string text = "t";
    for (int s : range.Signals) text += "," + CsvField(Cp1251ToUtf8(signals.Items(s).Name()));
    text += "\n";
    sink.Write(text.data(), text.size());
    std::vector<const double*> rows;
    for (int s : range.Signals) rows.push_back(data.Row(s));
    // ModelTime's quantum time, once: the unit's 15-digit constant.
    const double quantTime = ModelTime(signals, 1);
    constexpr size_t kPiece = 1 << 20;
    const size_t rowMost = 32 * (rows.size() + 1) + 1;
    std::vector<char> buffer(kPiece + rowMost);
    char* out = buffer.data();
    for (int q = range.FirstQuant; q <= range.LastQuant; ++q) {
        out = PutShortest(out, q * quantTime);
        for (const double* row : rows) {
            *out++ = ',';
            out = PutShortest(out, row[q]);
        }
        *out++ = '\n';
        if (static_cast<size_t>(out - buffer.data()) >= kPiece) {
            sink.Write(buffer.data(), static_cast<size_t>(out - buffer.data()));
            out = buffer.data();
            hooks.Step(q - range.FirstQuant + 1, range.QuantCount());
        }
    }
    if (out != buffer.data()) sink.Write(buffer.data(), static_cast<size_t>(out - buffer.data()));
}

void WriteSamplesCsv(const std::string& path, const TSignals& signals, const TDataRange& range,
                     const TWorkHooks& hooks) {
    WriteOutputFile(path, TOutputKind::Text,
                    [&](ByteSink& sink) { WriteSamplesCsv(sink, signals, range, hooks); });
}

}  // namespace kvaril
