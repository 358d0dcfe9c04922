#pragma once
// The options of `kvaril --run FILE ...`, declared once: each with the value it takes and what
// it sets in TBatchOptions, then the rules that tie options together.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/BatchRun.h"

namespace kvaril {

// `arguments` are the words after `--run`: the document, then pairs of option and value.
// `pictureFormatKnown` tells whether a --png name's extension is a format the program draws.
// Returns the reason the command line is malformed, empty when it is not.
std::string ParseRunCommand(const std::vector<std::string>& arguments, TBatchOptions& options,
                            const std::function<bool(std::string_view)>& pictureFormatKnown);

}  // namespace kvaril
