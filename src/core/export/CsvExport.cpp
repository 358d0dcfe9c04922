#include "Errors.h"
#include "document/Cp1251.h"
#include "document/uSignal.h"
#include "export/DataExport.h"
#include "export/OutputPlan.h"
#include "model/ModelGenerator.h"
#include "model/uCommon.h"
#include "model/uSignalsData.h"

namespace kvaril {

void WriteSamplesCsv(ByteSink& sink, const TSignals& signals, const TDataRange& range) {
    CheckRangeInData(signals, range);
    const TSignalsData& data = signals.Data();
    std::string text = "t";
    for (int s : range.Signals) text += "," + CsvField(Cp1251ToUtf8(signals.Items(s).Name()));
    text += "\n";
    for (int q = range.FirstQuant; q <= range.LastQuant; ++q) {
        text += FormatShortest(ModelTime(signals, q));
        for (int s : range.Signals) text += "," + FormatShortest(data.GetData(s, q));
        text += "\n";
    }
    sink.Write(text.data(), text.size());
}

void WriteSamplesCsv(const std::string& path, const TSignals& signals, const TDataRange& range) {
    WriteOutputFile(path, TOutputKind::Text,
                    [&](ByteSink& sink) { WriteSamplesCsv(sink, signals, range); });
}

}  // namespace kvaril
