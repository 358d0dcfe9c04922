#pragma once
// Time helpers of the oscilloscope. `quantTime` is the oscilloscope's copy of the document's
// quantization time (TOsc::QuantTime).

#include <string>

namespace kvaril {

// The time with one decimal more than the quantization step has, in the general format.
std::string FormatOscTime(double quantTime, double t);

// The nearest multiple of the quantization time, cleaned to six decimals; `t` unchanged when
// the quantization time is below the minimum, or `t` too large to count in quanta.
double SnapToQuant(double quantTime, double t);

// "m1", "m2", ... for the label indices 0, 1, ...
std::string MarkerName(int index);

// The 0-based label index of "m" and one or two digits (m1 -> 0, m12 -> 11). Other texts give
// some number that callers check against the label count.
int MarkerIndex(const std::string& name);

}  // namespace kvaril
