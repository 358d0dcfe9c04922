#pragma once
// Which quanta a span of model time holds. Every output of a run (CSV, WAV, statistics,
// spectra, the oscilloscope's pages and exports) asks this one rule, so that the same T0..T1
// always means the same samples.

namespace kvaril {

// Quanta First..Last inclusive; empty when Last < First.
struct TQuantRange {
    int First = 0;
    int Last = -1;
    int Count() const { return Last >= First ? Last - First + 1 : 0; }
};

// How far a quantum's time may lie outside T0..T1 and still belong to it, in quanta: enough for
// a time typed with a few digits or snapped to a quantum (0.03 s is 300.00000000000006 quanta
// of 0.0001 s), far too little for a quantum between two ranges to fall into both.
inline constexpr double kQuantTolerance = 1e-6;

// The quanta q of 0 .. count-1 whose time q × quantTime lies in [t0, t1] within kQuantTolerance
// of a quantum: ranges that meet at a quantum both hold it, ranges that meet between quanta
// share none. Empty for t1 < t0, a NaN end or a quantization time that is not positive.
TQuantRange QuantsWithin(double quantTime, int count, double t0, double t1);

}  // namespace kvaril
