#pragma once
// A tone's quality from the spectrum of the interval (Blackman-Harris window, whose side lobes
// lie 92 dB down): the fundamental is the largest peak away from DC; each line's power is the sum
// of the squared bins of its main lobe (±kToneLobe bins about its highest bin), so a tone between
// bins counts whole. Harmonics 2..N are looked for at whole multiples of the fundamental below
// the Nyquist frequency. Noise is every bin left: not DC, the fundamental or a harmonic.
// - THD = harmonics / fundamental (dB of power, and % of amplitude);
// - SNR = fundamental / noise, SINAD = fundamental / (noise + harmonics), in dB;
// - ENOB = (SINAD − 1.76) / 6.02 bits; SFDR = fundamental over the largest other line, in dB.

#include "analysis/Spectrum.h"
#include "analysis/Waveform.h"

namespace kvaril {

inline constexpr int kToneLobe = 5;
inline constexpr int kDefaultHarmonics = 10;

struct TDistortion {
    double Fundamental = 0;  // Hz, refined between bins; 0 without one
    TMeasured ThdDb, ThdPercent, Snr, Sinad, Enob, Sfdr;
};

TDistortion MeasureDistortion(TSpectrumAnalyzer& analyzer, const double* samples, int n,
                              double quantTime, int harmonics = kDefaultHarmonics);

}  // namespace kvaril
