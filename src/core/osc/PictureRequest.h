#pragma once
// What a picture of the oscilloscope's screens is asked to be, and the checks it must pass: the
// command line's --png, --size, --screen and --view, and the window's picture export alike.

#include <string>
#include <string_view>
#include <vector>

namespace kvaril {

// One screen's picture may not go below this (the traces keep some rows) ...
inline constexpr int kMinPictureWidth = 60, kMinPictureHeight = 60;
// ... nor any side of the whole picture beyond this.
inline constexpr int kMaxPictureSide = 20000;

struct TPictureRequest {
    std::string Path;       // empty: no picture
    std::string Reference;  // a CSV drawn behind the beams
    int Width = 800, Height = 400;
    int Screen = 1;  // from 1; 0: every screen, stacked
    // The oscilloscope's View menu choices; off, the picture is the classic one.
    bool Grid = false, Legend = false, SharedGroupScale = false;
    bool BeamColors = false;  // "colors": "Вид → Цвета по лучам"
    // "cursors": the A/B cursors at a third and two thirds of each screen's window.
    bool Cursors = false;
};

// "WxH" (or "WXH"), each side from 1 to kMaxPictureSide.
bool ParsePictureSize(std::string_view text, int& width, int& height);
// "N" (from 1) or "all" (0).
bool ParsePictureScreen(std::string_view text, int& screen);
// "grid,legend,shared,colors,cursors", any of them in any order.
bool ParsePictureView(std::string_view text, TPictureRequest& request);

// The reason a sheet of `width` × `height` is too small for a picture, or empty.
std::string CheckSheetSize(int width, int height);

// The screens (0-based) the request draws, of a document with `screenCount` screens.
std::vector<int> ScreensOf(const TPictureRequest& request, int screenCount);

// Whether `screens` of a document with `screenCount` screens, each `width` × `height`, can be
// drawn: the screens exist and the stacked picture fits. The reason, or empty.
std::string CheckPictureScreens(const std::vector<int>& screens, int screenCount, int width,
                                int height);

}  // namespace kvaril
