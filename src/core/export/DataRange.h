#pragma once
// Which samples of the last run an output covers: some of the signals, some of the quanta. The
// command line names them (--signals, --from, --to); the window picks beams and a span of its
// screen. Both are resolved here, by one rule, into the TDataRange that CSV, WAV, statistics and
// spectra all take, so that one command or one span always means the same samples.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Errors.h"
#include "store/QuantRange.h"

namespace kvaril {

class TSignals;

// A selection that does not fit the document: an unknown or repeated signal, a reversed
// interval, too few samples.
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
    TQuantRange Quanta() const { return {FirstQuant, LastQuant}; }
};

enum class TOptionParse { NotMine, Ok, Bad };

// One command-line option of the selection: "--signals A,B", "--from T0" or "--to T1". NotMine
// for any other option; Bad (with `error` set) for a value that is no name list or no time.
TOptionParse ParseSelectionOption(std::string_view option, std::string_view value,
                                  TDataSelection& selection, std::string& error);

// Every signal over every quantum of the document's times.
TDataRange WholeRun(const TSignals& signals);

// The quanta of the document's times in [from, to] by the rule of QuantsWithin, with the
// quantum the model computes with (the times of the CSV's `t` column). `count` quanta: the
// document's by default; a view of stored samples passes how many the store holds.
TQuantRange QuantsOfRun(const TSignals& signals, double from, double to, int count = -1);

// The indices of the signals named (UTF-8), every signal of a name when several share it, in
// document order. Throws ERangeError for an unknown name or one given twice.
std::vector<int> SignalsNamed(const TSignals& signals, const std::vector<std::string>& names);

// The one resolver: the signals named (every signal when none is) and the quanta of [From, To]
// (QuantsOfRun; an interval reaching beyond the run is cut to it). Throws ERangeError for a bad
// name, From after To, or an interval holding fewer than `least` quanta (the analyses need two).
TDataRange ResolveSelection(const TSignals& signals, const TDataSelection& selection,
                            int least = 1);

// The window's form: signal indices (any order, repeats ignored; none: every signal) and an
// optional interval, resolved like ResolveSelection.
TDataRange RangeOf(const TSignals& signals, std::vector<int> indices, std::optional<double> from,
                   std::optional<double> to);

// Throws ERangeError when the range asks for samples the store does not hold (no run yet, or
// the times changed since): writers call it before they read.
void CheckRangeInData(const TSignals& signals, const TDataRange& range);

}  // namespace kvaril
