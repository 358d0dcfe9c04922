#pragma once
// The program-wide objects that live from start-up to exit, before and after every window:
// the document's signal list (with the result store), the oscilloscope model and the results
// of the last runs.

#include "document/uSignal.h"
#include "model/RunHistory.h"
#include "osc/uBeam.h"

namespace kvaril {

struct TWorkbench {
    TSignals Signals;
    TOsc Osc;
    TRunHistory Runs;  // the last runs of the open document, for comparing
};

}  // namespace kvaril
