#pragma once
// The headless form of the automatic measures: `kvaril --run FILE --measure LIST OUT.csv`, LIST
// being keys of Measures.h's waveform and tone measures ("freq,rise,thd") or `all`, and pairs
// "delay:A,B" and "phase:A,B". One row per signal of the selection; a measure that cannot be
// made is an empty cell, its reason a line on the warnings.

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/Measures.h"
#include "export/DataRange.h"

namespace kvaril {

class ByteSink;
class TSignals;

struct TMeasureItem {
    TMeasure Id = TMeasure::Frequency;
    bool Pair = false;  // delay or phase between A and B (Id: Period for delay, Duty for phase)
    bool Phase = false;
    std::string A, B;    // the pair's signals, UTF-8
    std::string Column;  // as the list names it
};

struct TMeasureRequest {
    std::vector<TMeasureItem> Items;
    std::string Path;  // empty: none asked for; "-": standard output
    bool Any() const { return !Path.empty(); }
};

// LIST into the request's items; false and the reason (UTF-8) for an unknown key or a pair
// without two names.
bool ParseMeasureList(std::string_view list, TMeasureRequest& request, std::string& error);

// The pairs' signals as indices; throws ERangeError for a name the document lacks.
void CheckMeasurePairs(const TSignals& signals, const TMeasureRequest& request);

// `signal` and the items' columns.
std::string MeasureHeader(const TMeasureRequest& request);
// The row (no line end) of signal `index` over `range`, after `prefix`.
std::string MeasureRow(TSpectrumAnalyzer& analyzer, const TSignals& signals, int index,
                       const TDataRange& range, const TMeasureRequest& request,
                       std::ostream& warnings, const std::string& prefix = {});
void WriteMeasureCsv(ByteSink& sink, const TSignals& signals, const TDataRange& range,
                     const TMeasureRequest& request, std::ostream& warnings);

}  // namespace kvaril
