#pragma once
// Reading back the samples `kvaril --run --csv` writes, and comparing a run with such a file:
// the regression check of `--against` and the reference traces of `--reference`.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/RunHistory.h"
#include "model/uCommon.h"

namespace kvaril {

class TSignals;

struct TSampleTable {
    std::vector<std::string> Names;  // UTF-8, the columns after `t`
    std::vector<double> Times;
    std::vector<std::vector<double>> Columns;  // one per name, Times.size() each
};

// Why a file is no sample table, in words for the user.
class ECsvError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Throws ECsvError naming the line and the reason. A UTF-8 byte order mark and CR LF line
// ends are accepted.
TSampleTable ParseSamplesCsv(const std::string& text);
// Throws ECsvError "Файл PATH: reason", also when the file cannot be read.
TSampleTable ReadSamplesCsv(const std::string& path);

// A tolerance for the comparison: a finite number, not negative.
bool ParseTolerance(const char* text, double& tolerance);

// |a − b| <= tolerance; NaN equals NaN, and infinities of one sign are equal.
bool SamplesMatch(double run, double golden, double tolerance);

struct TComparison {
    std::string StructureError;  // the table does not fit the run: columns, rows or times
    int64_t Differences = 0;
    std::string FirstDifference;  // "Сигнал NAME, t = T: получено A, ожидалось B"
    bool Equal() const { return StructureError.empty() && Differences == 0; }
};

// Every column of `golden` must be a signal of the run with the same rows and times.
TComparison CompareWithTable(const TSignals& signals, const TSampleTable& golden, double tolerance);

// The table as a stored run to draw behind the run's beams; throws ECsvError when it does
// not fit the run.
TStoredRun RunFromTable(const TSignals& signals, const TSampleTable& table);

}  // namespace kvaril
