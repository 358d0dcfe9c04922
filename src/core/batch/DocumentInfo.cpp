#include "batch/DocumentInfo.h"

#include <sstream>

#include "base/Cp1251.h"
#include "base/uCommon.h"
#include "document/BeamSettingText.h"
#include "document/uBeam.h"
#include "document/uSignal.h"

namespace kvaril {

namespace {

std::string SchemeText(int scheme) {
    switch (scheme) {
        case 0:
            return "0 (серая)";
        case 1:
            return "1 (белая)";
        case 2:
            return "2 (черная)";
        default:
            return std::to_string(scheme) + " (неизвестная, показывается как серая)";
    }
}

void DescribeView(std::ostringstream& out, const TOsc& osc, int index) {
    const TView& view = osc.View(index);
    out << "  Экран " << index + 1 << ": \"" << Cp1251ToUtf8(view.Name())
        << "\", T0 = " << FormatFloat(view.T0()) << ", T1 = " << FormatFloat(view.T1()) << "\n";
    for (int b = 0; b < view.BeamCount(); ++b) {
        const TBeam& beam = view.Beam(b);
        out << "    Луч " << b + 1;
        if (static_cast<size_t>(b) < osc.SignalNames.size())
            out << " (" << Cp1251ToUtf8(osc.SignalNames[static_cast<size_t>(b)]) << ")";
        out << ": усиление " << GainText(beam.Gain()) << ", смещение " << OffsetText(beam.Offset())
            << ", группа " << GroupText(beam.Group()) << ", нулевая линия "
            << XAxisText(beam.XAxis()) << ", интерполяция "
            << InterpolationText(beam.Interpolation()) << "\n";
    }
    if (view.TimeLabelCount() > 0) {
        out << "    Метки:";
        for (int l = 0; l < view.TimeLabelCount(); ++l)
            out << (l ? ", " : " ") << "m" << l + 1 << " = "
                << FormatFloat(view.TimeLabel(l).Time());
        out << "\n";
    }
}

}  // namespace

std::string DescribeDocument(const TSignals& signals, const TOsc& osc) {
    std::ostringstream out;
    out << "Время квантования: " << FormatFloat(signals.QuantTime()) << " с\n"
        << "Время моделирования: " << FormatFloat(signals.TotalTime()) << " с\n"
        << "Число квантов: " << signals.QuantCount() << "\n"
        << "Сигналы: " << signals.Count() << "\n";
    for (int i = 0; i < signals.Count(); ++i) {
        const TSignal& signal = signals.Items(i);
        out << "  " << i + 1 << ". " << Cp1251ToUtf8(signal.Name())
            << " (строк: " << signal.Lines().size() << ")\n";
    }

    out << "Осциллограф:\n"
        << "  Время квантования: " << FormatFloat(osc.QuantTime) << " с\n"
        << "  Время моделирования: " << FormatFloat(osc.TotalTime) << " с\n"
        << "  Сигналы:";
    for (size_t i = 0; i < osc.SignalNames.size(); ++i)
        out << (i ? ", " : " ") << Cp1251ToUtf8(osc.SignalNames[i]);
    out << "\n"
        << "  Цветовая схема: " << SchemeText(osc.ColorScheme()) << "\n"
        << "  Экраны: " << osc.ViewCount() << "\n";
    for (int v = 0; v < osc.ViewCount(); ++v) DescribeView(out, osc, v);
    return out.str();
}

}  // namespace kvaril

#include <ostream>

#include "base/Errors.h"
#include "document/DocumentFile.h"

namespace kvaril {

int PrintDocumentInfo(const std::string& path, std::ostream& out, std::ostream& err) {
    TSignals signals;
    TOsc osc;
    try {
        ReadDocument(path, signals, osc);
    } catch (const std::exception& e) {
        err << "Файл: " << path << "\n" << e.what() << "\n";
        return 1;
    }
    out << DescribeDocument(signals, osc);
    return 0;
}

}  // namespace kvaril
