#pragma once
// The headless form of statistics and spectra: `kvaril --run FILE --stats OUT.csv` and
// `--spectrum OUT.csv`, with the signals and the time range they cover.

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/MeasureCsv.h"
#include "analysis/ResponseCsv.h"
#include "analysis/Spectrum.h"
#include "export/DataRange.h"

namespace kvaril {

class ByteSink;
class TSignals;

struct TAnalysisRequest {
    std::string StatsPath;     // empty: no statistics
    std::string SpectrumPath;  // empty: no spectrum
    std::string PeaksPath;     // empty: no peak table
    std::string Window = "hann";
    std::string PeakCount;      // --peaks-count as typed; empty: kDefaultPeakCount
    std::string PeakThreshold;  // --threshold in dB as typed; empty: kDefaultPeakThresholdDb
    TResponseRequest Response;  // --response and --segment
    TMeasureRequest Measure;    // --measure
    bool Any() const {
        return !StatsPath.empty() || !SpectrumPath.empty() || !PeaksPath.empty() ||
               Response.Any() || Measure.Any();
    }
};

// The peak table's settings of a checked request.
struct TPeakSettings {
    int Count = kDefaultPeakCount;
    double ThresholdDb = kDefaultPeakThresholdDb;
};
// False (settings unchanged) when --peaks-count is no whole number from 1 to 1000 or --threshold
// no finite number.
bool PeakSettingsOf(const TAnalysisRequest& request, TPeakSettings& settings);

// --stats, --spectrum, --peaks, --window, --peaks-count, --threshold and --segment with their
// value; the signals and times they cover come from the shared selection options
// (ParseSelectionOption). Windows are checked against the document later.
TOptionParse ParseAnalysisOption(std::string_view option, std::string_view value,
                                 TAnalysisRequest& request);

// The window function the request names: false and a message (UTF-8, one line) when it is
// unknown. The signals and quanta come from ResolveSelection, one selection for every output,
// asked for at least AnalysisLeast(request) quanta.
bool CheckAnalysisRequest(const TAnalysisRequest& request, std::string& error);

// Statistics and spectra need two samples; without them any selection does.
inline int AnalysisLeast(const TAnalysisRequest& request) { return request.Any() ? 2 : 1; }

// The statistics file's header (`signal` and every statistic of Measures.h), and the row (no
// line end) of signal `index` over `range`.
std::string StatsHeader();
std::string StatsRow(const TSignals& signals, int index, const TDataRange& range);

// `signal,n,min,t_min,max,t_max,mean,rms,p2p,std`, one row per signal. Throws EFileError.
void WriteStatsCsv(ByteSink& sink, const TSignals& signals, const TDataRange& range);
void WriteStatsCsv(const std::string& path, const TSignals& signals, const TDataRange& range);

// `f` and one column per signal, one row per bin. A signal with NaN or infinity in the range
// gets "nan" in its column and a line on `warnings`. Throws EFileError.
void WriteSpectrumCsv(ByteSink& sink, const TSignals& signals, const TDataRange& range,
                      TSpectrumWindow window, std::ostream& warnings);
void WriteSpectrumCsv(const std::string& path, const TSignals& signals, const TDataRange& range,
                      TSpectrumWindow window, std::ostream& warnings);

// `signal,rank,f,amplitude,db`: per signal its `settings.Count` highest spectral peaks at
// `settings.ThresholdDb` or above (FindPeaks: refined between bins), largest first, rank from 1.
// A signal with NaN or infinity in the range gets no rows and a line on `warnings`.
void WritePeaksCsv(ByteSink& sink, const TSignals& signals, const TDataRange& range,
                   TSpectrumWindow window, const TPeakSettings& settings, std::ostream& warnings);

// One column of an analysis over several runs: a signal of one run's document, and its column's
// name (UTF-8, "Out@Fc=1000").
struct TAnalysisColumn {
    const TSignals* Signals;
    int Index;
    std::string Name;
};

// `f` and one column per entry of `columns`, one row per bin, as WriteSpectrumCsv writes it; the
// columns' documents share their times.
std::string SpectrumColumnsText(const std::vector<TAnalysisColumn>& columns,
                                const TDataRange& range, TSpectrumWindow window,
                                std::ostream& warnings);

// The peak table's header (`signal,rank` and every peak measure of Measures.h), and the rows of
// signal `index` (each with `prefix` first).
std::string PeaksHeader();
std::string PeaksRows(const TSignals& signals, int index, const TDataRange& range,
                      TSpectrumWindow window, const TPeakSettings& settings, std::ostream& warnings,
                      const std::string& prefix);

// Every output the request asks for, after a successful run, both or neither; false (message on
// `err`) when a file cannot be written or both name the same file.
bool WriteAnalysis(const TSignals& signals, const TAnalysisRequest& request,
                   const TDataRange& range, std::ostream& err);

}  // namespace kvaril
