#include "document/BeamSettingText.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "base/uCommon.h"
#include "document/uBeam.h"
#include "store/uSignalsData.h"

namespace kvaril {

namespace {

// The display words of the settings.
constexpr const char* kAuto = "Авто";
constexpr const char* kNoGroup = "Нет";
constexpr const char* kAxisOn = "Есть";
constexpr const char* kAxisOff = "Нет";
struct TInterpolationWord {
    TInterpolation Value;
    const char* Text;
};
constexpr TInterpolationWord kInterpolationWords[] = {
    {TInterpolation::Steps, "Нет"},
    {TInterpolation::Line, "Линия"},
    {TInterpolation::Spline, "Сплайн"},
};

// A decimal integer, optionally signed, and nothing else.
bool ParseInt(const std::string& text, int& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    auto [ptr, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && ptr == last && first != last;
}

}  // namespace

std::string GainText(double gain) { return std::fabs(gain) < 1e-10 ? kAuto : FormatFloat(gain); }
std::string OffsetText(double offset) { return FormatFloat(offset); }
std::string GroupText(int group) { return group == 0 ? kNoGroup : std::to_string(group); }
std::string XAxisText(bool on) { return on ? kAxisOn : kAxisOff; }

std::string InterpolationText(TInterpolation interpolation) {
    for (const TInterpolationWord& w : kInterpolationWords)
        if (w.Value == interpolation) return w.Text;
    return kInterpolationWords[2].Text;
}

std::string InterpolationText(uint8_t stored) {
    return InterpolationText(stored == 0   ? TInterpolation::Steps
                             : stored == 1 ? TInterpolation::Line
                                           : TInterpolation::Spline);
}

double GainFromText(const std::string& text, double current) {
    return text == kAuto ? 0 : StrToFloatDefault(text, current);
}

double OffsetFromText(const std::string& text, double current) {
    return StrToFloatDefault(text, current);
}

int GroupFromText(const std::string& text, int current) {
    if (text == kNoGroup) return 0;
    int group = current;
    return ParseInt(text, group) ? group : current;
}

bool XAxisFromText(const std::string& text) { return text == kAxisOn; }

TInterpolation InterpolationFromText(const std::string& text) {
    // A text that names none (a word half typed) is a spline.
    for (const TInterpolationWord& w : kInterpolationWords)
        if (text == w.Text) return w.Value;
    return TInterpolation::Spline;
}

std::vector<std::string> PickWords(TBeamRow row) {
    switch (row) {
        case TBeamRow::Gain:
            return {kAuto, "1"};
        case TBeamRow::Offset:
            return {"0", "1", "-1"};
        case TBeamRow::Group: {
            std::vector<std::string> words{kNoGroup};
            for (int g = 1; g <= 9; ++g) words.push_back(std::to_string(g));
            return words;
        }
        case TBeamRow::XAxis:
            return {kAxisOn, kAxisOff};
        case TBeamRow::Interpolation: {
            std::vector<std::string> words;
            for (const TInterpolationWord& w : kInterpolationWords) words.push_back(w.Text);
            return words;
        }
    }
    return {};
}

namespace {

bool SameSetting(const TBeam& a, const TBeam& b, TBeamRow row) {
    switch (row) {
        case TBeamRow::Gain:
            return a.Gain() == b.Gain();
        case TBeamRow::Offset:
            return a.Offset() == b.Offset();
        case TBeamRow::Group:
            return a.Group() == b.Group();
        case TBeamRow::XAxis:
            return a.XAxis() == b.XAxis();
        case TBeamRow::Interpolation:
            return a.Interpolation() == b.Interpolation();
    }
    return false;
}

std::string SettingText(const TBeam& beam, TBeamRow row) {
    switch (row) {
        case TBeamRow::Gain:
            return GainText(beam.Gain());
        case TBeamRow::Offset:
            return OffsetText(beam.Offset());
        case TBeamRow::Group:
            return GroupText(beam.Group());
        case TBeamRow::XAxis:
            return XAxisText(beam.XAxis());
        case TBeamRow::Interpolation:
            return InterpolationText(beam.InterpolationKind());
    }
    return {};
}

}  // namespace

TBeamSettingText BeamSettingText(const TView* view, const std::set<int>& selected, TBeamRow row,
                                 const TSignalsData& data) {
    TBeamSettingText result;
    if (!view) return result;

    std::vector<const TBeam*> beams;
    for (int index : selected)
        if (index >= 0 && index < view->BeamCount()) beams.push_back(&view->Beam(index));
    if (beams.empty()) return result;

    if (row == TBeamRow::Gain) {
        const int signal = beams.front()->SignalIndex();
        if (beams.size() > 1)
            result.MaxValueLabel = "";
        else if (signal < data.SignalCount())  // no readout for a signal the last run lacks
            result.MaxValueLabel = "Макс: " + FormatFloat4(data.GetMax(signal)) + " ";
    }
    for (size_t i = 1; i < beams.size(); ++i)
        if (!SameSetting(*beams.front(), *beams[i], row)) return result;
    result.Text = SettingText(*beams.front(), row);
    return result;
}

}  // namespace kvaril
