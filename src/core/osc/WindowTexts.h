#pragma once
// The three texts under a screen's traces: its start, its width and its end, as the window and
// every picture of the screen show them.

#include <string>

namespace kvaril {

class TView;

struct TWindowTexts {
    std::string T0, Width, T1;  // UTF-8
};

TWindowTexts WindowTextsOf(const TView& view, double quantTime);

}  // namespace kvaril
