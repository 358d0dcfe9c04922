#include "osc/BeamTable.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "document/Cp1251.h"
#include "document/uSignal.h"
#include "model/uCommon.h"
#include "model/uSignalsData.h"
#include "osc/uBeam.h"

namespace kvaril {

const std::vector<TBeamRow>& BeamRows() {
    static const std::vector<TBeamRow> rows = {
        {"Усил.",
         "Коэффициент, на который будет умножаться значение луча, Авто - автоматическое "
         "масштабирование",
         {"Авто", "1"}},
        {"Смещ.",
         "Смещение, которое будет добавляться к масштабированному значению луча",
         {"0", "1", "-1"}},
        {"Группа",
         "Номер группы 1..N. Нет - не отображать луч",
         {"Нет", "1", "2", "3", "4", "5", "6", "7", "8", "9"}},
        {"Ось Х", "Наличие оси Х", {"Есть", "Нет"}},
        {"Интер.", "Вид интерполяции: нет, линия, сплайн", {"Нет", "Линия", "Сплайн"}},
    };
    return rows;
}

namespace {

// A decimal integer, optionally signed, and nothing else.
bool ParseInt(const std::string& text, int& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    auto [ptr, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && ptr == last && first != last;
}

}  // namespace

bool ApplyBeamEdit(TView& view, const std::set<int>& selected, int row, const std::string& text) {
    for (int index : selected) {
        if (index < 0 || index >= view.BeamCount()) continue;
        TBeam& beam = view.Beam(index);
        switch (row) {
            case 0:
                beam.SetGain(text == "Авто" ? 0 : StrToFloatDefault(text, beam.Gain()));
                break;
            case 1:
                beam.SetOffset(StrToFloatDefault(text, beam.Offset()));
                break;
            case 2: {
                int group = beam.Group();
                if (text == "Нет")
                    group = 0;
                else
                    ParseInt(text, group);
                beam.SetGroup(group);
                break;
            }
            case 3:
                beam.SetXAxis(text == "Есть");
                break;
            case 4:
                beam.SetInterpolation(text == "Нет" ? 0 : text == "Линия" ? 1 : 2);
                break;
            default:
                break;
        }
    }
    return row == 2;
}

void BeamsToOneGroup(TView& view) {
    for (int i = 0; i < view.BeamCount(); ++i) view.Beam(i).SetGroup(1);
}

void BeamsToManyGroups(TView& view) {
    for (int i = 0; i < view.BeamCount(); ++i) view.Beam(i).SetGroup(i + 1);
}

TValueCell ValueCell(const TOsc& osc, const TView* view, const TSignals& signals, int row,
                     int column, double measureTime) {
    TValueCell cell;
    if (!view || row < 0 || row >= osc.RowCount()) return cell;
    const TBeam* beam = osc.BeamAtRow(row);
    if (!beam) return cell;
    cell.ColorIndex = beam->Group() >= 1 ? beam->IndexInGroup : 0;
    switch (column) {
        case 0:
            if (beam->Group() > 0) cell.Text = std::to_string(beam->Group());
            if (beam->Group() < 0) cell.Text.assign(1, 'X');  // = "X" draws a false GCC 12 warning
            break;
        case 1:
            if (beam->SignalIndex() < signals.Count())
                cell.Text = Cp1251ToUtf8(signals.Items(beam->SignalIndex()).Name());
            break;
        case 2: {
            const TSignalsData& data = signals.Data();
            const double t =
                measureTime >= 0 && measureTime < signals.TotalTime() ? measureTime : view->T0();
            if (!(signals.QuantTime() > 0) || beam->SignalIndex() >= data.SignalCount() ||
                data.SampleCount() == 0)
                break;
            int64_t k = Round(t / static_cast<long double>(signals.QuantTime()));
            // Half a quantum below the end rounds to one past the last sample: show the last.
            k = std::clamp<int64_t>(k, 0, data.SampleCount() - 1);
            double v = data.GetData(beam->SignalIndex(), static_cast<int32_t>(k));
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
