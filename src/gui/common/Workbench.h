#pragma once
// The program-wide objects that live from start-up to exit, before and after every window:
// the document's signal list (with the result store), the oscilloscope model, the results of
// the last runs and the document's file.

#include <string>

#include "document/uBeam.h"
#include "document/uSignal.h"
#include "model/RunHistory.h"

namespace kvaril {

struct TWorkbench {
    TSignals Signals;
    TOsc Osc;
    TRunHistory Runs;  // the last runs of the open document, for comparing
    // The document's file (UTF-8), which no export may replace; empty for a new document.
    std::string DocumentFile;
};

}  // namespace kvaril
