#include "batch/SampleCsv.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <functional>
#include <map>
#include <string_view>

#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/uCommon.h"
#include "document/uSignal.h"
#include "model/ModelGenerator.h"
#include "store/uSignalsData.h"

namespace kvaril {

namespace {

// Splits one line into `fields`, whose strings are reused from line to line so that a row
// costs no allocation; returns how many fields it has. Quotes as the writer makes them ("" inside
// a quoted field).
size_t SplitFields(std::string_view line, int lineNo, std::vector<std::string>& fields) {
    size_t n = 0;
    auto next = [&] {
        if (fields.size() <= n) fields.emplace_back();
        fields[n++].clear();
    };
    next();
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        std::string& field = fields[n - 1];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"' && field.empty()) {
            quoted = true;
        } else if (c == ',') {
            next();
        } else {
            field += c;
        }
    }
    if (quoted) throw ECsvError("строка " + std::to_string(lineNo) + ": кавычка не закрыта");
    return n;
}

double ParseNumber(const std::string& text, int lineNo, size_t column) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end)
        throw ECsvError("строка " + std::to_string(lineNo) + ", столбец " +
                        std::to_string(column + 1) + ": не число \"" + text + "\"");
    return value;
}

// A sample table's text taken a line at a time as it arrives, in pieces that lines may span:
// the header's names go to OnHeader, then each row's numbers (t first) to OnRow. Nothing but
// the line at hand is kept, so a file is never held whole.
class TRowReader {
  public:
    std::function<void(const std::vector<std::string>& names)> OnHeader;
    std::function<void(const std::vector<double>& values)> OnRow;

    void Feed(std::string_view bytes) {
        while (!bytes.empty()) {
            const size_t end = bytes.find('\n');
            if (end == std::string_view::npos) {
                partial_.append(bytes);
                return;
            }
            if (partial_.empty()) {
                Line(bytes.substr(0, end));
            } else {
                partial_.append(bytes.substr(0, end));
                Line(partial_);
                partial_.clear();
            }
            bytes.remove_prefix(end + 1);
        }
    }

    void Finish() {
        if (!partial_.empty()) Line(partial_);
        partial_.clear();
        if (width_ == 0) throw ECsvError("файл пуст");
    }

    bool HeaderRead() const { return width_ > 0; }

  private:
    void Line(std::string_view line) {
        ++lineNo_;
        if (lineNo_ == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        // A blank line ends the file only when nothing follows it.
        if (line.empty()) {
            if (blanks_++ == 0) firstBlank_ = lineNo_;
            return;
        }
        if (blanks_ > 0) {
            Take("", firstBlank_);
            blanks_ = 0;
        }
        Take(line, lineNo_);
    }

    void Take(std::string_view line, int lineNo) {
        const size_t n = SplitFields(line, lineNo, fields_);
        if (width_ == 0) {
            if (fields_[0] != "t") throw ECsvError("строка 1: первый столбец должен называться t");
            if (n < 2) throw ECsvError("строка 1: в файле нет столбцов сигналов, только t");
            width_ = n;
            if (OnHeader)
                OnHeader(std::vector<std::string>(fields_.begin() + 1,
                                                  fields_.begin() + static_cast<long>(n)));
            return;
        }
        if (n != width_)
            throw ECsvError("строка " + std::to_string(lineNo) + ": полей " + std::to_string(n) +
                            ", а в заголовке " + std::to_string(width_));
        values_.resize(n);
        for (size_t c = 0; c < n; ++c) values_[c] = ParseNumber(fields_[c], lineNo, c);
        if (OnRow) OnRow(values_);
    }

    size_t width_ = 0;  // fields of the header; 0 until it has come
    int lineNo_ = 0;
    int blanks_ = 0, firstBlank_ = 0;  // blank lines not yet known to be the end
    std::string partial_;              // a line that continues in the next piece
    std::vector<std::string> fields_;
    std::vector<double> values_;
};

// The table the rows make, keeping only the numbers (a sample takes 8 bytes, its text about 20).
TSampleTable ReadTable(TRowReader& reader, const std::function<void()>& read) {
    TSampleTable table;
    reader.OnHeader = [&table](const std::vector<std::string>& names) {
        table.Names = names;
        table.Columns.resize(names.size());
    };
    reader.OnRow = [&table](const std::vector<double>& values) {
        table.Times.push_back(values[0]);
        for (size_t c = 1; c < values.size(); ++c) table.Columns[c - 1].push_back(values[c]);
    };
    read();
    // What doubling left over goes back.
    table.Times.shrink_to_fit();
    for (std::vector<double>& column : table.Columns) column.shrink_to_fit();
    return table;
}

// Closes the descriptor however the reading ends.
struct TFd {
    int Fd;
    ~TFd() {
        if (Fd >= 0) ::close(Fd);
    }
};

// For each name, the signal of the run; names that occur twice match the signals of that name
// in order, so a document with two signals of one name checks both.
std::vector<int> MatchNames(const TSignals& signals, const std::vector<std::string>& names,
                            std::string& error) {
    std::vector<int> signalOf;
    std::map<std::string, int> seen;
    for (const std::string& name : names) {
        int occurrence = seen[name]++;
        int found = -1, namesake = 0;
        for (int s = 0; s < signals.Count(); ++s)
            if (Cp1251ToUtf8(signals.Items(s).Name()) == name && namesake++ == occurrence)
                found = s;
        if (found < 0 && error.empty()) {
            if (namesake == 0) {
                error = "сигнала " + name + " нет в модели";
            } else {
                const auto columns = std::count(names.begin(), names.end(), name);
                error = "столбец " + name + " повторяется: в файле столбцов с этим именем " +
                        std::to_string(columns) + ", а в модели сигналов " +
                        std::to_string(namesake);
            }
        }
        signalOf.push_back(found);
    }
    return signalOf;
}

std::string RowCountError(int64_t rows, int samples) {
    return "строк с отсчетами " + std::to_string(rows) + ", а в модели " + std::to_string(samples);
}

// Row `q` (0-based, after the header) holds time `t` where the model has another.
std::string TimeError(int64_t q, double t, double model) {
    return "строка " + std::to_string(q + 2) + ": t = " + FormatShortest(t) +
           ", а в модели t = " + FormatShortest(model);
}

// For each column of the table, the signal of the run; the names, then the number of rows,
// then their times must fit, and `error` says the first that does not.
std::vector<int> MatchColumns(const TSignals& signals, const TSampleTable& table,
                              std::string& error) {
    const std::vector<int> signalOf = MatchNames(signals, table.Names, error);
    const int samples = signals.Data().SampleCount();
    if (error.empty() && static_cast<int64_t>(table.Times.size()) != samples)
        error = RowCountError(static_cast<int64_t>(table.Times.size()), samples);
    for (size_t q = 0; error.empty() && q < table.Times.size(); ++q) {
        const double t = ModelTime(signals, static_cast<int>(q));
        if (table.Times[q] != t) error = TimeError(static_cast<int64_t>(q), table.Times[q], t);
    }
    return signalOf;
}

// The words of a difference, as the command prints the first one.
std::string DifferenceText(const std::string& name, double t, double run, double golden) {
    return "Сигнал " + name + ", t = " + FormatShortest(t) + ": получено " + FormatShortest(run) +
           ", ожидалось " + FormatShortest(golden);
}

}  // namespace

TSampleTable ParseSamplesCsv(const std::string& text) {
    TRowReader reader;
    return ReadTable(reader, [&] {
        reader.Feed(text);
        reader.Finish();
    });
}

namespace {

// Feeds the file at `path` to `reader` a piece at a time, until its end or until `enough`.
// Errors name the file.
void ReadCsvFile(const std::string& path, TRowReader& reader,
                 const std::function<bool()>& enough = nullptr) {
    // Without blocking, so that a pipe cannot hold the command before it is refused.
    TFd file{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (file.Fd < 0) throw ECsvError(FileErrorText(TFileOp::Open, path, errno));
    struct stat st {};
    if (::fstat(file.Fd, &st) != 0) throw ECsvError(FileErrorText(TFileOp::Open, path, errno));
    // A folder, a device or a pipe is no stored run, and /dev/zero would never end.
    if (S_ISDIR(st.st_mode)) throw ECsvError(FileErrorText(TFileOp::Open, path, EISDIR));
    if (!S_ISREG(st.st_mode))
        throw ECsvError(FileErrorText(TFileOp::Open, path, 0, TFileNote::NotRegularFile));
    const auto named = [&path](const ECsvError& e) {
        return ECsvError("Файл " + path + ": " + e.what());
    };
    std::vector<char> buffer(1 << 16);
    while (!(enough && enough())) {
        const ssize_t n = ::read(file.Fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw ECsvError(FileErrorText(TFileOp::Read, path, errno));
        if (n == 0) break;
        try {
            reader.Feed(std::string_view(buffer.data(), static_cast<size_t>(n)));
        } catch (const ECsvError& e) {
            throw named(e);
        }
    }
    if (enough && enough()) return;
    try {
        reader.Finish();
    } catch (const ECsvError& e) {
        throw named(e);
    }
}

}  // namespace

TSampleTable ReadSamplesCsv(const std::string& path) {
    TRowReader reader;
    return ReadTable(reader, [&] { ReadCsvFile(path, reader); });
}

std::vector<std::string> ReadSamplesCsvHeader(const std::string& path) {
    TRowReader reader;
    std::vector<std::string> names;
    reader.OnHeader = [&names](const std::vector<std::string>& header) { names = header; };
    ReadCsvFile(path, reader, [&reader] { return reader.HeaderRead(); });
    return names;
}

bool ParseTolerance(const char* text, double& tolerance) {
    const char* end = text + std::char_traits<char>::length(text);
    double value = 0;
    const auto result = std::from_chars(text, end, value);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value) || value < 0)
        return false;
    tolerance = value;
    return true;
}

bool SamplesMatch(double run, double golden, double tolerance) {
    if (run == golden) return true;
    if (std::isnan(run) || std::isnan(golden)) return std::isnan(run) && std::isnan(golden);
    return std::fabs(run - golden) <= tolerance;
}

TComparison CompareWithTable(const TSignals& signals, const TSampleTable& golden,
                             double tolerance) {
    TComparison result;
    const std::vector<int> signalOf = MatchColumns(signals, golden, result.StructureError);
    if (!result.StructureError.empty()) return result;
    const TSignalsData& data = signals.Data();
    for (size_t q = 0; q < golden.Times.size(); ++q) {
        for (size_t c = 0; c < golden.Names.size(); ++c) {
            const double a = data.GetData(signalOf[c], static_cast<int32_t>(q));
            const double b = golden.Columns[c][q];
            if (SamplesMatch(a, b, tolerance)) continue;
            if (result.Differences++ == 0)
                result.FirstDifference = DifferenceText(golden.Names[c], golden.Times[q], a, b);
        }
    }
    return result;
}

TComparison CompareWithCsvFile(const TSignals& signals, const std::string& path, double tolerance) {
    const TSignalsData& data = signals.Data();
    const int samples = data.SampleCount();
    TComparison result;
    std::string namesError, timeError;
    std::vector<std::string> names;
    std::vector<int> signalOf;
    int64_t rows = 0;
    TRowReader reader;
    reader.OnHeader = [&](const std::vector<std::string>& header) {
        names = header;
        signalOf = MatchNames(signals, names, namesError);
    };
    reader.OnRow = [&](const std::vector<double>& values) {
        const int64_t q = rows++;
        if (!namesError.empty() || !timeError.empty() || q >= samples) return;
        const auto quant = static_cast<int32_t>(q);
        const double t = ModelTime(signals, quant);
        if (values[0] != t) {
            timeError = TimeError(q, values[0], t);
            return;
        }
        for (size_t c = 0; c < names.size(); ++c) {
            const double a = data.GetData(signalOf[c], quant);
            if (SamplesMatch(a, values[c + 1], tolerance)) continue;
            if (result.Differences++ == 0)
                result.FirstDifference = DifferenceText(names[c], values[0], a, values[c + 1]);
        }
    };
    ReadCsvFile(path, reader);
    // The same order of complaints as CompareWithTable: names, rows, times.
    if (!namesError.empty())
        result.StructureError = namesError;
    else if (rows != samples)
        result.StructureError = RowCountError(rows, samples);
    else
        result.StructureError = timeError;
    if (!result.StructureError.empty()) {
        result.Differences = 0;
        result.FirstDifference.clear();
    }
    return result;
}

TStoredRun RunFromTable(const TSignals& signals, const TSampleTable& table) {
    std::string error;
    MatchColumns(signals, table, error);
    if (!error.empty()) throw ECsvError(error);
    TStoredRun run;
    run.Label = "эталон";
    run.QuantTime = signals.QuantTime();
    run.SampleCount = static_cast<int>(table.Times.size());
    for (size_t c = 0; c < table.Names.size(); ++c) {
        run.Names.push_back(Utf8ToCp1251(table.Names[c]));
        run.Values.insert(run.Values.end(), table.Columns[c].begin(), table.Columns[c].end());
    }
    return run;
}

}  // namespace kvaril
