#pragma once
// `kvaril --run FILE --sweep Signal.Name=VALUES ...`: the document run once per value (or pair
// of values), in parallel, with the command's CSV, statistics, spectra and peaks covering every
// run and its picture overlaying them.

#include <iosfwd>
#include <string>
#include <vector>

#include "analysis/AnalysisCsv.h"
#include "export/DataRange.h"
#include "sweep/SweepRun.h"

namespace kvaril {

class ByteSink;
class TOsc;
class TOutputPlan;
struct TBatchOptions;

// The sweep the --sweep options name, resolved against the document. False, with the reason on
// `err`, when a name or its values cannot be swept: nothing has run yet.
bool ResolveSweep(const std::vector<std::string>& options, const TSignals& signals, TSweep& sweep,
                  std::ostream& err);

// `t`, then one column per selected signal and run, "Signal@Fc=1000", signal by signal.
void WriteSweepCsv(ByteSink& sink, const TSweep& sweep, const TSweepResult& result,
                   const TDataRange& range);

// The swept constants' names, then the statistics' columns; one row per run and signal.
void WriteSweepStatsCsv(ByteSink& sink, const TSweep& sweep, const TSweepResult& result,
                        const TDataRange& range);

// `f`, then one column per selected signal and run, "Signal@Fc=1000", as the CSV names them.
void WriteSweepSpectrumCsv(ByteSink& sink, const TSweep& sweep, const TSweepResult& result,
                           const TDataRange& range, TSpectrumWindow window, std::ostream& warnings);

// The swept constants' names, then the peak table's columns; rows per run and signal.
void WriteSweepPeaksCsv(ByteSink& sink, const TSweep& sweep, const TSweepResult& result,
                        const TDataRange& range, TSpectrumWindow window,
                        const TPeakSettings& settings, std::ostream& warnings);

// Where the planned outputs of a sweep go; −1 for one not asked for.
struct TSweepTargets {
    int Csv = -1;
    int Stats = -1;
    int Picture = -1;
    int Spectrum = -1;
    int Peaks = -1;
    int Response = -1;
    int Measure = -1;
};

// Runs the sweep and writes its outputs, all of them or, after any failed run, none; the
// picture shows `osc`'s screens (the document's). Every failure is listed on `err`. Returns the
// exit status: 0, or 1 after a failure.
int RunSweepBatch(const TBatchOptions& options, const TSignals& signals, TOsc& osc,
                  const TSweep& sweep, const TDataRange& range, TOutputPlan& plan,
                  const TSweepTargets& targets, std::ostream& out, std::ostream& err);

}  // namespace kvaril
