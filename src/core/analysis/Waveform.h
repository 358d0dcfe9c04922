#pragma once
// A bench oscilloscope's automatic measures of one signal over an interval, on the usual
// definitions (IEEE 181 for the levels and transitions):
// - top and base: the two modes of the samples' histogram (256 bins between the lowest and the
//   highest sample), the upper half's and the lower half's, each refined to the mean of the
//   samples in its bin; amplitude = top − base; high and low: the largest and smallest sample.
// - frequency and period: from the upward crossings of the mean, with hysteresis (a crossing
//   counts once the signal has been below halfway between the mean and the lowest sample), each
//   interpolated between quanta; period = (last − first) / (crossings − 1).
// - rise and fall time: between the 10 % and 90 % levels of the amplitude (base + 0.1·amp,
//   base + 0.9·amp) on the first complete edge, interpolated between quanta.
// - overshoot = (high − top) / amp, undershoot = (base − low) / amp, in %.
// - positive and negative pulse width between crossings of the 50 % level; duty = the time above
//   it over whole periods (rising to rising) / their length, in %.
// A measure that cannot be made carries its reason instead of a number.

#include <string>
#include <vector>

namespace kvaril {

struct TMeasured {
    double Value = 0;
    std::string Reason;  // UTF-8; empty: Value holds the number
    bool Ok() const { return Reason.empty(); }
    static TMeasured Of(double value) { return {value, {}}; }
    static TMeasured Not(std::string reason) { return {0, std::move(reason)}; }
};

struct TWaveform {
    TMeasured Frequency, Period, Periods;
    TMeasured Top, Base, Amplitude, High, Low;
    TMeasured Rise, Fall, Overshoot, Undershoot;
    TMeasured WidthPositive, WidthNegative, Duty;
    // Where it measured, for drawing: the 10, 50 and 90 % levels (when there is an amplitude)
    // and the times of the mean-level crossings used for the period.
    bool HasLevels = false;
    double Level10 = 0, Level50 = 0, Level90 = 0;
    std::vector<double> Crossings;
};

// The measures of samples[0 .. n−1], sample i at time t0 + i·quantTime.
TWaveform MeasureWaveform(const double* samples, int n, double t0, double quantTime);

// The first time at or after `from` where the samples cross `level` upward (rising) or
// downward, interpolated between quanta; false when they do not.
bool FirstCrossing(const double* samples, int n, double t0, double quantTime, double level,
                   bool rising, double from, double& at);

// Between two signals over the same quanta: the delay from a's first rising crossing of its
// 50 % level to b's first one after it, and that delay as a phase of a's period in degrees
// (−180 .. 180).
struct TPairMeasure {
    TMeasured Delay, Phase;
};
TPairMeasure MeasurePair(const double* a, const double* b, int n, double t0, double quantTime);

}  // namespace kvaril
