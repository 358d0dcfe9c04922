#pragma once
// The headless form of a frequency response: `kvaril --run FILE --response X:Y[,Y2...] OUT.csv
// [--segment N]` writes `f`, then per output `Y_dB`, `Y_deg` and `Y_coh`, one row per bin.

#include <string>
#include <string_view>
#include <vector>

#include "export/DataRange.h"

namespace kvaril {

class ByteSink;
class TSignals;

struct TResponseRequest {
    std::string Input;                 // x, UTF-8
    std::vector<std::string> Outputs;  // y, y2, ...
    std::string Path;                  // empty: none asked for; "-": standard output
    std::string Segment;               // --segment as typed; empty: the default rule
    bool Any() const { return !Path.empty(); }
};

// "X:Y[,Y2...]" into the request's input and outputs; false and the reason (UTF-8, one line)
// for another form.
bool ParseResponseSignals(std::string_view text, TResponseRequest& request, std::string& error);

// The segment asked for (0: the default rule); false for --segment that is no whole number
// from 2 to 2^30.
bool ResponseSegmentOf(const TResponseRequest& request, int& segment);

// The columns of one run: its document, and what its columns' names end with ("@Fc=1000" for
// a sweep's run, empty for a single run).
struct TResponseRun {
    const TSignals* Signals;
    std::string Suffix;
};

// The signals of the request, input first, as indices into `signals`; throws ERangeError for a
// name the document lacks.
std::vector<int> ResponseSignals(const TSignals& signals, const TResponseRequest& request);

// The text over the quanta of `range` for each run; throws EKvaril with the reason when a run
// gives no estimate (a zero input, NaN) or the runs' segments differ. Bins where the input has
// no power have empty cells.
std::string ResponseText(const std::vector<TResponseRun>& runs, const TResponseRequest& request,
                         const TDataRange& range);
void WriteResponseCsv(ByteSink& sink, const std::vector<TResponseRun>& runs,
                      const TResponseRequest& request, const TDataRange& range);

}  // namespace kvaril
