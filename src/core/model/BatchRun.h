#pragma once
// `kvaril --run`: build and run a document without a window, through the same steps the window
// takes, and optionally write the samples as CSV or WAV.

#include <functional>
#include <iosfwd>
#include <string>

#include "analysis/AnalysisCsv.h"
#include "export/DataExport.h"

namespace kvaril {

class TOsc;
class TSignals;

struct TBatchOptions {
    std::string Document;
    std::string CsvPath;       // empty: no CSV
    std::string WavPath;       // empty: no WAV
    TDataSelection Selection;  // the signals and times the CSV, WAV and analyses cover
    std::string AgainstPath;   // empty: no comparison with a stored run
    double Tolerance = 0;
    double TimeoutSeconds = 0;  // 0: none
    std::string BinDir;         // ends with "/"
    TAnalysisRequest Analysis;  // --stats, --spectrum, --window
    // After a successful run, with the oscilloscope synchronised to the document: more work
    // (a picture, say). Returns the exit status; prints its own errors.
    std::function<int(TSignals&, TOsc&, std::ostream& err)> AfterRun;
};

// Exit status: 0 success, 1 failure (the box printed to `err`), 2 stopped by the time limit,
// 3 the run differs from the file of --against. A selection that does not fit the document, or a
// WAV rate the file cannot hold, fails before the model runs, so nothing is written.
int RunBatch(const TBatchOptions& options, std::ostream& out, std::ostream& err);

}  // namespace kvaril
