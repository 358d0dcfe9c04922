#pragma once
// One export of samples as both the window and the command line carry it out: the checks made
// before a file is asked for or opened (WAV can hold the rate and the size; the selection is
// known before the run, so the command line checks it before building anything), the warning the
// user hears first, the writing, and the status after.

#include <cstdint>
#include <string>

#include "base/WorkHooks.h"
#include "export/DataRange.h"

namespace kvaril {

class ByteSink;
class TSignals;

enum class TDataFormat { Csv, Wav };

struct TDataExportCheck {
    std::string Refusal;  // why the export cannot be written (UTF-8); empty when it can
    // WAV at a rate that is not the exact one: time would drift, the user hears it first.
    std::string Warning;
    int32_t WavRate = 0;  // the rate a WAV file gets
    bool Ok() const { return Refusal.empty(); }
};

// What refuses `range` of `signals` in `format` before any file is touched; needs the document's
// times, not its samples.
TDataExportCheck CheckDataExport(const TSignals& signals, const TDataRange& range,
                                 TDataFormat format);

// Writes a checked export into `sink` (DataExport.h's writers). Throws as they do.
void WriteDataExport(ByteSink& sink, const TSignals& signals, const TDataRange& range,
                     TDataFormat format, const TWorkHooks& hooks = {});

// "Записано отсчетов: 1000 × 2 в /path/out.csv" (UTF-8).
std::string DataExportStatus(const TDataRange& range, const std::string& path);

}  // namespace kvaril
