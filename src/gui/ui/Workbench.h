#pragma once
// The two program-wide objects that live from start-up to exit, before and after every window:
// the document's signal list (with the result store) and the oscilloscope model.

#include "document/uSignal.h"
#include "osc/uBeam.h"

namespace kvaril {

struct TWorkbench {
    TSignals Signals;
    TOsc Osc;
};

}  // namespace kvaril
