#pragma once
// `kvaril --run`: build and run a document without a window, through the same steps the window
// takes, and write the samples, analyses and pictures the command asks for: all or none.

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "analysis/AnalysisCsv.h"
#include "export/DataExport.h"
#include "model/ModelRunner.h"
#include "osc/PictureRequest.h"

namespace kvaril {

class TOsc;
class TSignals;
struct TStoredRun;
struct TSweepShown;

// Draws the screens `screens` (0-based) of a finished run into the file `path`, in the format
// that the name `target` asks for, with a sweep's runs over the beams when `sweep` is given.
// Returns the reason it could not, empty on success. Pictures need the program's drawing
// library, so the program supplies it.
using TDrawPicture =
    std::function<std::string(const TPictureRequest& request, const std::vector<int>& screens,
                              const TSignals& signals, const TOsc& osc, const TStoredRun* reference,
                              const TSweepShown* sweep, const std::string& path)>;

struct TBatchOptions {
    std::string Document;
    std::string CsvPath;       // empty: no CSV; "-": standard output
    std::string WavPath;       // empty: no WAV
    TDataSelection Selection;  // the signals and times the CSV, WAV and analyses cover
    std::string AgainstPath;   // empty: no comparison with a stored run
    double Tolerance = 0;
    double TimeoutSeconds = 0;  // 0: none
    std::string BinDir;         // ends with "/"
    TAnalysisRequest Analysis;  // --stats, --spectrum, --window
    TPictureRequest Picture;    // --png and its options
    TDrawPicture DrawPicture;   // needed when Picture.Path is set
    int32_t MaxQuanta = 10000;  // --long: ModelGenerator.h's kLongMaxQuanta
    // The run's progress as one line on `err`, redrawn in place: only when it is a terminal.
    bool ProgressLine = false;
    unsigned long long AvailableMemoryBytes = 0;  // TRunOptions's; 0: the system's
    // --sweep Signal.Name=VALUES, at most two: the document runs once per value set, the CSV
    // and statistics cover every run, and the picture overlays them.
    std::vector<std::string> Sweeps;
    // --span: one of the intervals every analysis of the window offers, on the document's first
    // screen: "window", "run", "A..B" (the cursors where --view cursors draws them), "m1..m2".
    // Empty: --from and --to decide.
    std::string Span;
};

// --timeout as the run's limit; 0 for none.
// What the command line asks of every run, a single run's or a sweep's: the one place its
// options become a run's.
TRunOptions RunRequestOf(const TBatchOptions& options);

inline std::chrono::milliseconds TimeoutOf(const TBatchOptions& options) {
    return std::chrono::milliseconds(static_cast<long long>(options.TimeoutSeconds * 1000));
}

// Exit status: 0 success, 1 failure (the box printed to `err`), 2 stopped by the time limit,
// 3 the run differs from the file of --against. Every output is planned before the model runs
// (OutputPlan.h) and put in place only when all were written: on any failure nothing is. A run
// that differs from --against still writes its outputs. "Ok" goes to `out`, or to `err` when
// an output is standard output (`out`).
int RunBatch(const TBatchOptions& options, std::ostream& out, std::ostream& err);

}  // namespace kvaril
