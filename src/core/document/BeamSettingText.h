#pragma once
// The words of the beam settings, both ways: what the beam table shows for one setting over the
// selected beams, and what a typed text sets. Every display word of a setting is in the one
// table of BeamSettingText.cpp. Texts are UTF-8.

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "document/OscEnums.h"

namespace kvaril {

class TSignalsData;
class TView;

std::string GainText(double gain);  // "Авто" for |gain| < 1e-10
std::string OffsetText(double offset);
std::string GroupText(int group);  // "Нет" for 0
std::string XAxisText(bool on);    // "Есть" / "Нет"
std::string InterpolationText(TInterpolation interpolation);
std::string InterpolationText(uint8_t stored);

// A typed text as a setting; texts that mean nothing keep `current`. Words match exactly.
double GainFromText(const std::string& text, double current);
double OffsetFromText(const std::string& text, double current);
int GroupFromText(const std::string& text, int current);
bool XAxisFromText(const std::string& text);
TInterpolation InterpolationFromText(const std::string& text);

// The words offered in the pick list of a row.
std::vector<std::string> PickWords(TBeamRow row);

struct TBeamSettingText {
    std::string Text;  // empty when nothing is selected or the values differ
    // The maximum readout's new text, when this call sets it (only for the gain row).
    std::optional<std::string> MaxValueLabel;
};

TBeamSettingText BeamSettingText(const TView* view, const std::set<int>& selected, TBeamRow row,
                                 const TSignalsData& data);

}  // namespace kvaril
