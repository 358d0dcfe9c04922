#include "document/LibraryFile.h"

#include "base/FileStreams.h"
#include "base/uCommon.h"

namespace kvaril {

std::vector<std::string> ReadLibraryFile(const std::string& path) {
    FileSource source(path);
    std::string text;
    char buffer[65536];
    for (size_t n; (n = source.Read(buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    return SplitLines(text);
}

void WriteLibraryFile(const std::string& path, const std::vector<std::string>& lines) {
    AtomicFileSink sink(path);
    const std::string text = JoinLines(lines);
    sink.Write(text.data(), text.size());
    sink.Commit();
}

}  // namespace kvaril
