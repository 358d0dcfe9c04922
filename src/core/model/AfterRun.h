#pragma once
// What follows every successful run, wherever it ran: the window, the command line and the
// tests' hand-made runs all go through this one step.

#include <ctime>
#include <string>

namespace kvaril {

class TOsc;
class TRunHistory;
class TSignals;

// The store's maxima (automatic gains scale by them), the oscilloscope's beams matched to the
// signals, and, when `history` is given, a copy of the run kept for comparing. A run too large
// to copy is still shown; only comparing with it later is not possible.
// Returns what the status should say about the history (UTF-8), empty when nothing: a run
// beyond the history's memory budget is not kept, and a kept one may push older ones out.
std::string FinishRun(TSignals& signals, TOsc& osc, TRunHistory* history = nullptr,
                      std::time_t when = 0);

}  // namespace kvaril
