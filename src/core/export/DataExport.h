#pragma once
// Samples of the last run written out for other programs: CSV for spreadsheets and scripts, WAV
// for audio tools. Both take a TDataRange (DataRange.h) and write into a sink of an output plan
// (OutputPlan.h); the forms that take a path write that one file through a plan of its own (a
// failed export never leaves half a file, nor destroys the old one). They throw with the reason.
// Their hooks hear how many quanta are written of all, and a stop throws EWorkCancelled.

#include <cstdint>
#include <string>

#include "base/WorkHooks.h"
#include "export/DataRange.h"

namespace kvaril {

class ByteSink;
class TSignals;

// A header row "t" and the signals' names, then one row per quantum: the model time and every
// selected signal's sample, numbers in the shortest text that reads back to the same double.
// Throws EFileError.
void WriteSamplesCsv(ByteSink& sink, const TSignals& signals, const TDataRange& range,
                     const TWorkHooks& hooks = {});
void WriteSamplesCsv(const std::string& path, const TSignals& signals, const TDataRange& range,
                     const TWorkHooks& hooks = {});
inline void WriteSamplesCsv(const std::string& path, const TSignals& signals) {
    WriteSamplesCsv(path, signals, WholeRun(signals));
}

// The sample rate a WAV file gets for the document's quantum: the nearest whole number of hertz.
struct TWavRate {
    int32_t Rate = 0;      // 0 when refused
    double Exact = 0;      // 1 / quantum
    bool Inexact = false;  // Rate differs from Exact by more than a millionth: time would drift
    std::string Refusal;   // why WAV cannot hold this rate (empty when it can)
    std::string Warning() const;  // the text to show the user when Inexact
};
TWavRate WavRateOf(const TSignals& signals);

// Why the selection cannot be one WAV file (too many channels, more than 4 GB of samples);
// empty when it can. Known from the selection alone, before any run.
std::string WavSizeRefusal(const TDataRange& range);

// 32-bit float samples, one channel per selected signal in document order, values as the model
// wrote them (not scaled to [-1, 1]). Written at WavRateOf's rate even when it is inexact: the
// caller asks or warns first. Written as it goes, header first (the sink may be a pipe). Throws
// ERangeError when refused (before writing anything), or what the sink throws.
void WriteSamplesWav(ByteSink& sink, const TSignals& signals, const TDataRange& range,
                     const TWorkHooks& hooks = {});
void WriteSamplesWav(const std::string& path, const TSignals& signals, const TDataRange& range,
                     const TWorkHooks& hooks = {});

// The most channels a WAV file can have here (what the sound libraries that read it take).
inline constexpr int kMaxWavChannels = 1024;

}  // namespace kvaril
