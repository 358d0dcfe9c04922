#include "osc/BeamSettingText.h"

#include <cmath>
#include <vector>

#include "model/uCommon.h"
#include "model/uSignalsData.h"
#include "osc/uBeam.h"

namespace kvaril {

std::string GainText(double gain) { return std::fabs(gain) < 1e-10 ? "Авто" : FormatFloat(gain); }
std::string OffsetText(double offset) { return FormatFloat(offset); }
std::string GroupText(int group) { return group == 0 ? "Нет" : std::to_string(group); }
std::string XAxisText(bool on) { return on ? "Есть" : "Нет"; }

std::string InterpolationText(uint8_t interpolation) {
    switch (interpolation) {
        case 0:
            return "Нет";
        case 1:
            return "Линия";
        default:
            return "Сплайн";
    }
}

namespace {

bool SameSetting(const TBeam& a, const TBeam& b, TBeamColumn column) {
    switch (column) {
        case TBeamColumn::Gain:
            return a.Gain() == b.Gain();
        case TBeamColumn::Offset:
            return a.Offset() == b.Offset();
        case TBeamColumn::Group:
            return a.Group() == b.Group();
        case TBeamColumn::XAxis:
            return a.XAxis() == b.XAxis();
        case TBeamColumn::Interpolation:
            return a.Interpolation() == b.Interpolation();
    }
    return false;
}

std::string SettingText(const TBeam& beam, TBeamColumn column) {
    switch (column) {
        case TBeamColumn::Gain:
            return GainText(beam.Gain());
        case TBeamColumn::Offset:
            return OffsetText(beam.Offset());
        case TBeamColumn::Group:
            return GroupText(beam.Group());
        case TBeamColumn::XAxis:
            return XAxisText(beam.XAxis());
        case TBeamColumn::Interpolation:
            return InterpolationText(beam.Interpolation());
    }
    return {};
}

}  // namespace

TBeamSettingText BeamSettingText(const TView* view, const std::set<int>& selected, int column,
                                 const TSignalsData& data) {
    TBeamSettingText result;
    if (!view || column < 0 || column > 4) return result;
    const auto col = static_cast<TBeamColumn>(column);

    std::vector<const TBeam*> beams;
    for (int index : selected)
        if (index >= 0 && index < view->BeamCount()) beams.push_back(&view->Beam(index));
    if (beams.empty()) return result;

    if (col == TBeamColumn::Gain) {
        const int signal = beams.front()->SignalIndex();
        if (beams.size() > 1)
            result.MaxValueLabel = "";
        else if (signal < data.SignalCount())  // no readout for a signal the last run lacks
            result.MaxValueLabel = "Макс: " + FormatFloat4(data.GetMax(signal)) + " ";
    }
    for (size_t i = 1; i < beams.size(); ++i)
        if (!SameSetting(*beams.front(), *beams[i], col)) return result;
    result.Text = SettingText(*beams.front(), col);
    return result;
}

}  // namespace kvaril
