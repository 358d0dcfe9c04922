#pragma once
// Where a cursor dragged with Ctrl lands: the nearest local maximum or minimum of a beam.
//
// An extremum is a plateau of equal samples (often a single one) whose neighbours on both sides
// are lower (a maximum) or higher (a minimum); the cursor goes to the plateau's middle quantum
// (the left one of two middles). A flat stretch inside a rise or a fall, or a step, is no
// extremum, and neither is a plateau that runs out of the window (what lies beyond it is not
// shown) or that borders NaN or infinity.

#include <cstdint>

#include "store/QuantRange.h"

namespace kvaril {

// The extremum of `row` (`n` samples) nearest quantum `k` among the quanta `shown`: measured to
// the plateau's nearest quantum, the earlier one on a tie; `k` itself when there is none.
int64_t NearestExtremum(const double* row, int64_t n, int64_t k, TQuantRange shown);

}  // namespace kvaril
