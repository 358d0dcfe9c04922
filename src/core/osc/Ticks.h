#pragma once
// Labelled ticks for a time or value scale: steps of 1, 2 or 5 times a power of ten, the
// smallest that keeps neighbouring ticks at least `minSpacing` pixels apart.

#include <string>
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
