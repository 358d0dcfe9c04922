#pragma once
// A sweep: one or two constants of the document, each with its values, and the runs they make
// (every combination, the first constant's value changing slowest). Each run is the document
// with that run's literals written over the constants' values; the document itself never
// changes.

#include <string>
#include <vector>

#include "sweep/SweepConstants.h"
#include "sweep/SweepValues.h"

namespace kvaril {

class TSignals;

inline constexpr int kMaxSweepParameters = 2;

struct TSweepParameter {
    TSweepConstant Constant;
    TSweepValues Values;
    std::string Label;  // UTF-8: the constant's name, or "Signal.Name" when two would read alike
};

struct TSweep {
    std::vector<TSweepParameter> Parameters;

    int RunCount() const;
    // The value of each parameter in run `run` (0-based).
    std::vector<double> ValuesOf(int run) const;
    // "Fc=1000", or "Fc=1000@Q=0.5" for two parameters: how columns and legends name the run.
    std::string RunLabel(int run) const;
    // "Fc = 1000", or "Fc = 1000, Q = 0.5": how the oscilloscope's legend and columns name it.
    std::string DisplayLabel(int run) const;
};

// "Signal.Name=VALUES" (UTF-8) resolved against the document and added to `sweep`. False with
// the reason when the constant cannot be swept, is swept already, the values are malformed, or
// the runs would be too many.
bool AddSweepParameter(const TSignals& signals, const std::string& option, TSweep& sweep,
                       std::string& error);

// `copy` becomes the document's times and signals (names and texts) with run `run`'s literals in
// place; its result store is its own.
void SweepDocument(const TSignals& document, const TSweep& sweep, int run, TSignals& copy);

}  // namespace kvaril
