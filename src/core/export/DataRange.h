#pragma once
// Which samples of the last run an export (or a statistic) covers: some of the signals, some of
// the quanta. The command line names them (--signals, --from, --to); the window picks beams and
// markers. Both end in a TDataRange that every writer takes.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Errors.h"

namespace kvaril {

class TSignals;

// A selection that does not fit the document: an unknown signal, an empty or reversed interval.
class ERangeError : public EKvaril {
  public:
    using EKvaril::EKvaril;
    const char* ClassName() const override { return "ERangeError"; }
};

// The selection as the user words it.
struct TDataSelection {
    std::vector<std::string> SignalNames;  // UTF-8; empty: every signal
    std::optional<double> From, To;        // seconds of model time; none: the run's start / end
};

// The selection resolved against a document: what the writers read.
struct TDataRange {
    std::vector<int> Signals;  // indices into the signal list, in document order
    int FirstQuant = 0;
    int LastQuant = -1;  // inclusive
    int QuantCount() const { return LastQuant - FirstQuant + 1; }
};

enum class TOptionParse { NotMine, Ok, Bad };

// One command-line option of the selection: "--signals A,B", "--from T0" or "--to T1". NotMine
// for any other option; Bad (with `error` set) for a value that is no name list or no time.
TOptionParse ParseSelectionOption(std::string_view option, std::string_view value,
                                  TDataSelection& selection, std::string& error);

// Every signal over every quantum of the document's times.
TDataRange WholeRun(const TSignals& signals);

// The signals named (all of a name when several share it) and the quanta whose model time lies
// in [From, To], within a millionth of a quantum so that a time typed or snapped to a quantum
// keeps its sample. An interval reaching beyond the run is cut to it. Throws ERangeError.
TDataRange ResolveSelection(const TSignals& signals, const TDataSelection& selection);

// The window's form: signal indices (any order, repeats ignored; none: every signal) and an
// optional interval, with the rules of ResolveSelection.
TDataRange RangeOf(const TSignals& signals, std::vector<int> indices, std::optional<double> from,
                   std::optional<double> to);

// Throws ERangeError when the range asks for samples the store does not hold (no run yet, or
// the times changed since): writers call it before they read.
void CheckRangeInData(const TSignals& signals, const TDataRange& range);

// Quanta [first, last] whose model times lie in [from, to]; first > last when none does.
void QuantsBetween(const TSignals& signals, double from, double to, int& first, int& last);

}  // namespace kvaril
