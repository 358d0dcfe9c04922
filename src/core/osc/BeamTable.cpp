#include "osc/BeamTable.h"

#include <algorithm>
#include <cmath>

#include "base/Cp1251.h"
#include "base/uCommon.h"
#include "document/BeamSettingText.h"
#include "document/uBeam.h"
#include "document/uSignal.h"
#include "osc/BeamGroups.h"
#include "osc/BeamPalette.h"
#include "store/uSignalsData.h"

namespace kvaril {

const TBeamRowText& BeamRowText(TBeamRow row) {
    static const TBeamRowText rows[kBeamRowCount] = {
        {"Усил.",
         "Коэффициент, на который будет умножаться значение луча, Авто - автоматическое "
         "масштабирование",
         PickWords(TBeamRow::Gain)},
        {"Смещ.", "Смещение, которое будет добавляться к масштабированному значению луча",
         PickWords(TBeamRow::Offset)},
        {"Группа", "Номер группы 1..N. Нет - не отображать луч", PickWords(TBeamRow::Group)},
        {"Ось Х", "Наличие оси Х", PickWords(TBeamRow::XAxis)},
        {"Интер.", "Вид интерполяции: нет, линия, сплайн", PickWords(TBeamRow::Interpolation)},
    };
    return rows[static_cast<int>(row)];
}

void ApplyBeamEdit(TView& view, const std::set<int>& selected, TBeamRow row,
                   const std::string& text) {
    for (int index : selected) {
        if (index < 0 || index >= view.BeamCount()) continue;
        TBeam& beam = view.Beam(index);
        switch (row) {
            case TBeamRow::Gain:
                beam.SetGain(GainFromText(text, beam.Gain()));
                break;
            case TBeamRow::Offset:
                beam.SetOffset(OffsetFromText(text, beam.Offset()));
                break;
            case TBeamRow::Group:
                beam.SetGroup(GroupFromText(text, beam.Group()));
                break;
            case TBeamRow::XAxis:
                beam.SetXAxis(XAxisFromText(text));
                break;
            case TBeamRow::Interpolation:
                beam.SetInterpolation(InterpolationFromText(text));
                break;
        }
    }
}

void BeamsToOneGroup(TView& view) {
    for (int i = 0; i < view.BeamCount(); ++i) view.Beam(i).SetGroup(1);
}

void BeamsToOneGroup(TView& view, const std::set<int>& selected) {
    std::vector<int> beams;
    for (int index : selected)
        if (index >= 0 && index < view.BeamCount()) beams.push_back(index);
    if (beams.size() < 2) {
        BeamsToOneGroup(view);
        return;
    }
    // They join the first group one of them is shown in, so the rest of the screen stays put.
    int group = 0;
    for (int index : beams) {
        const int g = view.Beam(index).Group();
        if (g > 0 && (group == 0 || g < group)) group = g;
    }
    if (group == 0) group = 1;
    for (int index : beams) view.Beam(index).SetGroup(group);
}

void BeamsToManyGroups(TView& view) {
    for (int i = 0; i < view.BeamCount(); ++i) view.Beam(i).SetGroup(i + 1);
}

TValueCell ValueCell(const TBeamGrouping& grouping, const TView* view, const TSignals& signals,
                     int row, int column, double measureTime,
                     const std::vector<const double*>* reference, bool beamColors) {
    TValueCell cell;
    const TBeamRowRef* ref = grouping.Row(row);
    if (!view || !ref) return cell;
    const TBeam* beam = ref->Beam;
    cell.ColorIndex = BeamColorIndex(*ref, beamColors);
    switch (column) {
        case 0:
            if (beam->Group() > 0) cell.Text = std::to_string(beam->Group());
            if (beam->Group() < 0) cell.Text.assign(1, 'X');  // = "X" draws a false GCC 12 warning
            break;
        case 1:
            if (beam->SignalIndex() < signals.Count())
                cell.Text = Cp1251ToUtf8(signals.Items(beam->SignalIndex()).Name());
            break;
        case 2:
        case 3:
        case 4: {
            const TSignalsData& data = signals.Data();
            const double t =
                measureTime >= 0 && measureTime < signals.TotalTime() ? measureTime : view->T0();
            if (!(signals.QuantTime() > 0) || beam->SignalIndex() >= data.SignalCount() ||
                data.SampleCount() == 0)
                break;
            const auto s = static_cast<size_t>(beam->SignalIndex());
            const double* other = reference && s < reference->size() ? (*reference)[s] : nullptr;
            if (column > 2 && !other) break;
            int64_t k = Round(t / static_cast<long double>(signals.QuantTime()));
            // Half a quantum below the end rounds to one past the last sample: show the last.
            k = std::clamp<int64_t>(k, 0, data.SampleCount() - 1);
            const double current = data.GetData(beam->SignalIndex(), static_cast<int32_t>(k));
            double v = column == 2 ? current : column == 3 ? other[k] : current - other[k];
            if (std::fabs(v) < 0.00000001) v = 0;
            cell.Text = FormatFloat4(v);
            break;
        }
        default:
            break;
    }
    return cell;
}

}  // namespace kvaril
