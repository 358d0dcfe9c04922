#pragma once
// A filter's frequency response estimated from its own run: the input x and one or more outputs
// y over the same quanta. Welch's H1 = Pxy / Pxx averages the cross and input power spectra of
// Hann segments that overlap by half, so noise in y that x does not explain averages out of H;
// the coherence γ² = |Pxy|² / (Pxx · Pyy) says at each frequency how much of y x explains.
// An impulse input is transformed whole, without a window, as one segment: H = Y / X.

#include <optional>
#include <string>
#include <vector>

#include "analysis/Spectrum.h"
#include "base/WorkHooks.h"

namespace kvaril {

struct TResponseSignal {
    std::string Name;  // UTF-8, for the reasons given
    const double* Samples = nullptr;
};

// One output's estimate, bin by bin (bins 0 .. Segment/2).
struct TResponseCurve {
    std::string Name;
    std::vector<double> Magnitude;   // |H|, linear
    std::vector<double> Phase;       // degrees, unwrapped from the lowest bin up
    std::vector<double> GroupDelay;  // seconds: −dφ/dω
    std::vector<double> Coherence;   // γ², 0 .. 1; 1 for a single segment
    // Bins where the input has power; elsewhere H is undefined and the values above are 0.
    std::vector<char> Valid;
};

struct TResponse {
    std::string Reason;  // why there is no estimate (UTF-8); empty when there is one
    int N = 0;           // quanta estimated from
    int Segment = 0;     // quanta per segment
    int Segments = 0;
    bool Impulse = false;  // the input is an impulse: one segment, no window
    double QuantTime = 0;
    std::vector<TResponseCurve> Outputs;

    bool Empty() const { return Outputs.empty(); }
    int BinCount() const { return Segment / 2 + 1; }
    double Frequency(int bin) const { return bin / (Segment * QuantTime); }
    // A single segment: the coherence is 1 by construction and says nothing.
    bool CoherenceKnown() const { return Segments > 1; }
};

// The default segment of n quanta: the largest power of two that gives at least 8 half-
// overlapping segments (at least 16 quanta); where even those are too long, the largest power
// of two within n.
int DefaultResponseSegment(int n);
// Half-overlapping segments of `segment` quanta that fit in n.
int ResponseSegments(int n, int segment);

// Whether the samples are an impulse: every non-zero sample lies within 4 consecutive quanta.
bool IsImpulse(const double* samples, int n);

// Estimates the response of each output to `input` over samples 0 .. n−1. `segment` 0 picks
// DefaultResponseSegment; an impulse input always takes one segment of all n quanta. No
// estimate, with its Reason, for fewer than two quanta, a segment that does not fit, NaN or
// infinity in any signal, or an input that is zero throughout. `hooks` hear of segments done.
TResponse EstimateResponse(TSpectrumAnalyzer& analyzer, const TResponseSignal& input,
                           const std::vector<TResponseSignal>& outputs, int n, double quantTime,
                           int segment = 0, const TWorkHooks& hooks = {});

// ---- what the window marks on a curve
// Levels in dB of |H|; only bins that are valid and whose coherence is at least
// kTrustedCoherence count.
inline constexpr double kTrustedCoherence = 0.5;
inline constexpr double kHalfPowerDb = -3.0102999566398120;  // 10·log10(1/2)

struct TResponseMarks {
    bool Any = false;  // false: no trusted bin
    double PassbandDb = 0;
    double PassbandFrequency = 0;
    // Where the level crosses the passband level − 3 dB (half power), interpolated in dB
    // between bins, lowest first.
    std::vector<double> HalfPowerFrequencies;
};
TResponseMarks ResponseMarks(const TResponse& response, int output);

// The level at `frequency` relative to the passband (negative: attenuated), interpolated in dB
// between the trusted bins around it; none outside them.
std::optional<double> AttenuationAt(const TResponse& response, int output, double frequency);

bool TrustedBin(const TResponse& response, int output, int bin);

}  // namespace kvaril
