// The words after `kvaril --run`, one per line: whatever they are, the command line is taken or
// refused with a reason, and a refused one says why.

#include <cstdlib>

#include "FuzzText.h"
#include "batch/RunCommand.h"

using namespace kvaril;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> words = fuzz::Lines(fuzz::Text(data, size));
    TBatchOptions options;
    const std::string refused = ParseRunCommand(
        words, options, [](std::string_view name) { return name.ends_with(".png"); });
    if (refused.empty() && options.Document.empty() && !words.empty() && !words[0].empty())
        std::abort();  // a taken command line runs a document
    return 0;
}
