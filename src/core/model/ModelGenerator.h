#pragma once
// Turns the document into the Pascal unit KVM ("kvm.pas"): a fixed header, every signal's text
// unchanged, and the main routine that drives all signals through the time quanta.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/ModelOutcome.h"

namespace kvaril {

class TSignals;

// The most quanta a run may have: the classic limit, and the one of "Моделирование → Длинные
// прогоны" (a choice of the user's settings, or --long). The limit is handed down from there
// to every check; nothing keeps it globally.
inline constexpr int32_t kClassicMaxQuanta = 10000;
inline constexpr int32_t kLongMaxQuanta = 10000000;

// The first failing time check as its error box, or nothing when the times can be built.
std::optional<TErrorBox> CheckModelTimes(const TSignals& signals,
                                         int32_t maxQuanta = kClassicMaxQuanta);

// What the parameters dialog would make of the typed texts (UTF-8), as its live line: the
// quanta and the sampling rate they give, or, beyond what a build accepts, the allowed range;
// beyond the classic limit while only that one applies, how to lift it.
struct TQuantaPreview {
    int32_t QuantCount = 0;
    bool Allowed = false;
    std::string Text;
};
TQuantaPreview PreviewQuanta(const std::string& quantText, const std::string& totalText,
                             double quantTime, double totalTime,
                             int32_t maxQuanta = kClassicMaxQuanta);

// The time of quantum `quant` as the model computes it: the unit holds QuantTime as a 15-digit
// constant, which is not always the document's value (1/3, say).
double ModelTime(const TSignals& signals, int quant);

// The unit's lines (Windows-1251); sets StartLine of every signal that has text.
std::vector<std::string> GenerateUnit(TSignals& signals);

// Writes the lines with CR LF; throws EFileError "Cannot create file %s".
void SaveUnit(const std::vector<std::string>& lines, const std::string& path);

}  // namespace kvaril
