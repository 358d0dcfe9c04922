// Feeds arbitrary bytes to the document reader. Whatever the bytes, reading must end in a
// document or an EKvaril error; a document that was read must write, read back and write
// again to the same bytes.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/Errors.h"
#include "base/ValueStream.h"
#include "document/DocumentFile.h"
#include "document/uBeam.h"
#include "document/uSignal.h"
#include "osc/BeamGroups.h"

using namespace kvaril;

namespace {

std::string Write(TSignals& signals, TOsc& osc) {
    MemorySink sink;
    WriteDocumentTo(sink, signals, osc);
    return sink.bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TSignals signals;
    TOsc osc;
    MemorySource source(std::string(reinterpret_cast<const char*>(data), size));
    try {
        ReadDocumentFrom(source, signals, osc);
    } catch (const EReadError&) {
        return 0;
    }
    // Touch what a window would show.
    for (int v = 0; v < osc.ViewCount(); ++v) {
        const TBeamGrouping grouping(osc.View(v));
        for (int r = 0; r < grouping.RowCount(); ++r)
            if (!grouping.Row(r)->Beam) std::abort();
    }

    const std::string first = Write(signals, osc);
    TSignals signals2;
    TOsc osc2;
    MemorySource again(first);
    ReadDocumentFrom(again, signals2, osc2);
    if (Write(signals2, osc2) != first) std::abort();
    return 0;
}
