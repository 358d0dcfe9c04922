#pragma once
// What the beam table shows for one setting over the selected beams, and the texts of the
// individual settings. Results are UTF-8 display texts.

#include <cstdint>
#include <optional>
#include <set>
#include <string>

namespace kvaril {

class TSignalsData;
class TView;

enum class TBeamColumn { Gain = 0, Offset = 1, Group = 2, XAxis = 3, Interpolation = 4 };

std::string GainText(double gain);  // "Авто" for |gain| < 1e-10
std::string OffsetText(double offset);
std::string GroupText(int group);                      // "Нет" for 0
std::string XAxisText(bool on);                        // "Есть" / "Нет"
std::string InterpolationText(uint8_t interpolation);  // "Нет", "Линия", "Сплайн"

struct TBeamSettingText {
    std::string Text;  // empty when nothing is selected or the values differ
    // The maximum readout's new text, when this call sets it (only for the gain column).
    std::optional<std::string> MaxValueLabel;
};

TBeamSettingText BeamSettingText(const TView* view, const std::set<int>& selected, int column,
                                 const TSignalsData& data);

}  // namespace kvaril
