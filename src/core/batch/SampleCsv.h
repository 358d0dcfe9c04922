#pragma once
// Reading back the samples `kvaril --run --csv` writes, and comparing a run with such a file:
// the regression check of `--against` and the reference traces of `--reference`.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/uCommon.h"
#include "model/RunHistory.h"

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

// Throws ECsvError naming the line and the reason; a header of `t` alone (nothing to compare)
// is refused. A UTF-8 byte order mark and CR LF line ends are accepted.
TSampleTable ParseSamplesCsv(const std::string& text);
// Reads the file a piece at a time, keeping only the numbers: the table takes less memory than
// the file. Throws ECsvError "Файл PATH: reason"; a file that cannot be read, a folder, a device
// or a pipe gets the words of FileErrorText before anything is read.
TSampleTable ReadSamplesCsv(const std::string& path);
// The names of the file's columns after `t`, reading no further than its header: a file that
// cannot be a sample table is refused before a run, as ReadSamplesCsv refuses it.
std::vector<std::string> ReadSamplesCsvHeader(const std::string& path);

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

// Every column of `golden` must be a signal of the run with the same rows and times; columns are
// matched by name, in any order (a name that occurs twice by the signals of that name in order).
TComparison CompareWithTable(const TSignals& signals, const TSampleTable& golden, double tolerance);
// The same comparison made while the file is read a piece at a time: neither its text nor its
// numbers are held, whatever its length. Throws ECsvError as ReadSamplesCsv does.
TComparison CompareWithCsvFile(const TSignals& signals, const std::string& path, double tolerance);

// The table as a stored run to draw behind the run's beams; throws ECsvError when it does
// not fit the run.
TStoredRun RunFromTable(const TSignals& signals, const TSampleTable& table);

}  // namespace kvaril
