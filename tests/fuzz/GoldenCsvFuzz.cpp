// A golden file of `--against` or `--reference`: read into a table of whole columns, or refused
// with the line and the reason.

#include <cstdlib>

#include "FuzzText.h"
#include "batch/SampleCsv.h"

using namespace kvaril;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const TSampleTable table = ParseSamplesCsv(fuzz::Text(data, size));
        if (table.Names.empty() || table.Columns.size() != table.Names.size()) std::abort();
        for (const std::vector<double>& column : table.Columns)
            if (column.size() != table.Times.size()) std::abort();
    } catch (const ECsvError& e) {
        if (std::string(e.what()).empty()) std::abort();
    }
    return 0;
}
