#include "model/SampleCsv.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <map>
#include <string_view>

#include "Errors.h"
#include "document/Cp1251.h"
#include "document/uSignal.h"
#include "model/ModelGenerator.h"
#include "model/uCommon.h"
#include "model/uSignalsData.h"

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

// The table, built as its text arrives: a line at a time, keeping only the numbers (a sample
// takes 8 bytes, its text about 20), so a file is never held whole.
class TTableBuilder {
  public:
    // Bytes of the file in any pieces; lines may span them.
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

    TSampleTable Finish() {
        if (!partial_.empty()) Line(partial_);
        if (width_ == 0) throw ECsvError("файл пуст");
        // Blank lines at the end are no rows; what doubling left over goes back.
        table_.Times.shrink_to_fit();
        for (std::vector<double>& column : table_.Columns) column.shrink_to_fit();
        return std::move(table_);
    }

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
            table_.Names.assign(fields_.begin() + 1, fields_.begin() + static_cast<long>(n));
            table_.Columns.resize(n - 1);
            return;
        }
        if (n != width_)
            throw ECsvError("строка " + std::to_string(lineNo) + ": полей " + std::to_string(n) +
                            ", а в заголовке " + std::to_string(width_));
        table_.Times.push_back(ParseNumber(fields_[0], lineNo, 0));
        for (size_t c = 1; c < n; ++c)
            table_.Columns[c - 1].push_back(ParseNumber(fields_[c], lineNo, c));
    }

    TSampleTable table_;
    size_t width_ = 0;  // fields of the header; 0 until it has come
    int lineNo_ = 0;
    int blanks_ = 0, firstBlank_ = 0;  // blank lines not yet known to be the end
    std::string partial_;              // a line that continues in the next piece
    std::vector<std::string> fields_;
};

// Closes the descriptor however the reading ends.
struct TFd {
    int Fd;
    ~TFd() {
        if (Fd >= 0) ::close(Fd);
    }
};

// For each column of the table, the signal of the run; names that occur twice match the
// signals of that name in order, so a document with two signals of one name checks both.
std::vector<int> MatchColumns(const TSignals& signals, const TSampleTable& table,
                              std::string& error) {
    std::vector<int> signalOf;
    std::map<std::string, int> seen;
    for (const std::string& name : table.Names) {
        int occurrence = seen[name]++;
        int found = -1, namesake = 0;
        for (int s = 0; s < signals.Count(); ++s)
            if (Cp1251ToUtf8(signals.Items(s).Name()) == name && namesake++ == occurrence)
                found = s;
        if (found < 0 && error.empty()) {
            if (namesake == 0) {
                error = "сигнала " + name + " нет в модели";
            } else {
                const auto columns = std::count(table.Names.begin(), table.Names.end(), name);
                error = "столбец " + name + " повторяется: в файле столбцов с этим именем " +
                        std::to_string(columns) + ", а в модели сигналов " +
                        std::to_string(namesake);
            }
        }
        signalOf.push_back(found);
    }
    const int samples = signals.Data().SampleCount();
    if (error.empty() && static_cast<int64_t>(table.Times.size()) != samples)
        error = "строк с отсчетами " + std::to_string(table.Times.size()) + ", а в модели " +
                std::to_string(samples);
    for (size_t q = 0; error.empty() && q < table.Times.size(); ++q) {
        const double t = ModelTime(signals, static_cast<int>(q));
        if (table.Times[q] != t)
            error = "строка " + std::to_string(q + 2) + ": t = " + FormatShortest(table.Times[q]) +
                    ", а в модели t = " + FormatShortest(t);
    }
    return signalOf;
}

}  // namespace

TSampleTable ParseSamplesCsv(const std::string& text) {
    TTableBuilder builder;
    builder.Feed(text);
    return builder.Finish();
}

TSampleTable ReadSamplesCsv(const std::string& path) {
    // Without blocking, so that a pipe cannot hold the command before it is refused.
    TFd file{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (file.Fd < 0) throw ECsvError(FileErrorText(TFileOp::Open, path, errno));
    struct stat st {};
    if (::fstat(file.Fd, &st) != 0) throw ECsvError(FileErrorText(TFileOp::Open, path, errno));
    // A folder, a device or a pipe is no stored run, and /dev/zero would never end.
    if (S_ISDIR(st.st_mode)) throw ECsvError(FileErrorText(TFileOp::Open, path, EISDIR));
    if (!S_ISREG(st.st_mode))
        throw ECsvError(FileErrorText(TFileOp::Open, path, 0, TFileNote::NotRegularFile));
    TTableBuilder builder;
    const auto named = [&path](const ECsvError& e) {
        return ECsvError("Файл " + path + ": " + e.what());
    };
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t n = ::read(file.Fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw ECsvError(FileErrorText(TFileOp::Read, path, errno));
        if (n == 0) break;
        try {
            builder.Feed(std::string_view(buffer.data(), static_cast<size_t>(n)));
        } catch (const ECsvError& e) {
            throw named(e);
        }
    }
    try {
        return builder.Finish();
    } catch (const ECsvError& e) {
        throw named(e);
    }
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
                result.FirstDifference =
                    "Сигнал " + golden.Names[c] + ", t = " + FormatShortest(golden.Times[q]) +
                    ": получено " + FormatShortest(a) + ", ожидалось " + FormatShortest(b);
        }
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
