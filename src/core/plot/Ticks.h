#pragma once
// Labelled ticks for a time or value scale: steps of 1, 2 or 5 times a power of ten, the
// smallest that keeps neighbouring ticks at least `minSpacing` pixels apart.

#include <string>
#include <string_view>
#include <vector>

namespace kvaril {

inline constexpr int kMinTickSpacing = 60;

struct TTick {
    double Value = 0;
    int Pixel = 0;     // from the axis start, rounded
    std::string Text;  // as few digits as tell the ticks apart
};

// How the ticks' texts are written: plain, with as few digits as tell them apart ("0.005"), or
// in engineering form: a power of a thousand shared by the scale written as a prefix, then the
// unit ("5 мс", "20 к", "1.5 мс"; "0" bare). Numbers of no unit keep the plain digits from 0.01
// up to 1000.
struct TTickFormat {
    bool Engineering = false;
    std::string Unit;  // UTF-8, "с" for times; may be empty
};

struct TTickScale {
    double Step = 0;           // 0 when there are no ticks; may be infinite for scales near DBL_MAX
    std::vector<TTick> Ticks;  // in increasing value
};

// Ticks of an axis that shows `from` at pixel 0 and `to` at pixel `pixels` (`to` may be below
// `from`: a value axis drawn upwards). No ticks for an empty or non-finite range or no pixels.
TTickScale MakeTicks(double from, double to, int pixels, int minSpacing = kMinTickSpacing,
                     const TTickFormat& format = {});

// Characters (code points) of a tick's text, for a layout that sizes it.
int TickTextLength(const std::string& text);

}  // namespace kvaril

namespace kvaril {

// ---- numbers in engineering form: the one formatter of the oscilloscope's and the spectrum's
// scales and readouts. A value is scaled by a power of a thousand and given its Russian prefix
// ("20 к", "1,5 к", "250 м", "3 М"), with a decimal comma and the minus sign U+2212.

// `significant` digits, zeros kept ("19,00 к"); `unit` follows the prefix ("19,00 кГц").
std::string FormatEngineering(double value, int significant, std::string_view unit = {});
// Without a prefix: `decimals` digits after the comma ("−12,04 дБ"), for levels in decibels.
std::string FormatDecimals(double value, int decimals, std::string_view unit = {});
// A tick of a scale with `step` between ticks: as few digits as tell the ticks apart, trailing
// zeros dropped ("0", "500", "1 к", "1,5 к"); `value` within a millionth of a step of zero is "0".
std::string EngineeringTickText(double value, double step, std::string_view unit = {});
// Reads what the three write back, and plain numbers: a decimal comma or point, a minus or
// hyphen, an exponent, a prefix with or without a space before it ("19к", "1,5 М", "2e4");
// `unit`, when given, may follow. False for anything else.
bool ParseEngineering(std::string_view text, double& value, std::string_view unit = {});

}  // namespace kvaril
