#include "export/DataExportPlan.h"

#include "export/DataExport.h"

namespace kvaril {

TDataExportCheck CheckDataExport(const TSignals& signals, const TDataRange& range,
                                 TDataFormat format) {
    TDataExportCheck check;
    if (format != TDataFormat::Wav) return check;
    const TWavRate rate = WavRateOf(signals);
    check.WavRate = rate.Rate;
    check.Refusal = !rate.Refusal.empty() ? rate.Refusal : WavSizeRefusal(range);
    if (check.Ok() && rate.Inexact) check.Warning = rate.Warning();
    return check;
}

void WriteDataExport(ByteSink& sink, const TSignals& signals, const TDataRange& range,
                     TDataFormat format, const TWorkHooks& hooks) {
    if (format == TDataFormat::Wav)
        WriteSamplesWav(sink, signals, range, hooks);
    else
        WriteSamplesCsv(sink, signals, range, hooks);
}

std::string DataExportStatus(const TDataRange& range, const std::string& path) {
    return "Записано отсчетов: " + std::to_string(range.QuantCount()) + " × " +
           std::to_string(range.Signals.size()) + " в " + path;
}

}  // namespace kvaril
