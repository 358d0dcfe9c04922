#pragma once
// Signals that make a filter's response easy to measure ("Сигнал → Шаблоны"): an impulse, a
// step, white noise from a fixed seed, a logarithmic chirp and a few tones. Each is an ordinary
// signal text; its settings are constants named after the signal, so two of a kind do not clash
// and a sweep can vary them ("Chirp.Chirp_F1").

#include <string>
#include <vector>

namespace kvaril {

class TSignals;

enum class TExcitation { Impulse, Step, WhiteNoise, Chirp, MultiTone };

struct TExcitationInfo {
    TExcitation Kind;
    const char* Caption;  // the menu's, UTF-8
    const char* Hint;     // UTF-8
    const char* Name;     // the signal's name when the document has none of it
};
const std::vector<TExcitationInfo>& Excitations();

// `base`, or `base` with the smallest number from 2 that no signal of `signals` has.
std::string FreeSignalName(const TSignals& signals, const std::string& base);

// The signal text of `kind` for a signal named `name` (Windows-1251 lines).
std::vector<std::string> ExcitationLines(TExcitation kind, const std::string& name);

}  // namespace kvaril
