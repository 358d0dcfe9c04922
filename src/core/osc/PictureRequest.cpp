#include "osc/PictureRequest.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace kvaril {

namespace {

bool ParseInt(std::string_view text, int& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

}  // namespace

bool ParsePictureSize(std::string_view text, int& width, int& height) {
    const size_t x = text.find_first_of("xX");
    int w = 0, h = 0;
    if (x == std::string_view::npos || !ParseInt(text.substr(0, x), w) ||
        !ParseInt(text.substr(x + 1), h))
        return false;
    if (w < 1 || h < 1 || w > kMaxPictureSide || h > kMaxPictureSide) return false;
    width = w;
    height = h;
    return true;
}

bool ParsePictureScreen(std::string_view text, int& screen) {
    if (text == "all") {
        screen = 0;
        return true;
    }
    int value = 0;
    if (!ParseInt(text, value) || value < 1 || value > 1000000) return false;
    screen = value;
    return true;
}

bool ParsePictureView(std::string_view text, TPictureRequest& request) {
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view choice = text.substr(start, comma - start);
        if (choice == "grid")
            request.Grid = true;
        else if (choice == "legend")
            request.Legend = true;
        else if (choice == "shared")
            request.SharedGroupScale = true;
        else if (choice == "colors")
            request.BeamColors = true;
        else if (choice == "cursors")
            request.Cursors = true;
        else
            return false;
        start = comma + 1;
    }
    return true;
}

std::string CheckSheetSize(int width, int height) {
    if (width >= kMinPictureWidth && height >= kMinPictureHeight) return {};
    return "Неверный размер --size: " + std::to_string(width) + "x" + std::to_string(height) +
           " (не меньше " + std::to_string(kMinPictureWidth) + "x" +
           std::to_string(kMinPictureHeight) + ")";
}

std::vector<int> ScreensOf(const TPictureRequest& request, int screenCount) {
    std::vector<int> screens;
    if (request.Screen == 0)
        for (int i = 0; i < screenCount; ++i) screens.push_back(i);
    else
        screens.push_back(request.Screen - 1);
    return screens;
}

std::string CheckPictureScreens(const std::vector<int>& screens, int screenCount, int width,
                                int height) {
    if (screens.empty()) return "Нет экранов для рисунка";
    for (int screen : screens)
        if (screen < 0 || screen >= screenCount)
            return "Нет экрана " + std::to_string(screen + 1) + ": экранов в документе " +
                   std::to_string(screenCount);
    const int64_t whole = int64_t(height) * int64_t(screens.size());
    if (width < kMinPictureWidth || height < kMinPictureHeight || width > kMaxPictureSide ||
        whole > kMaxPictureSide)
        return "Недопустимый размер рисунка " + std::to_string(width) + "x" +
               std::to_string(whole) + ": от " + std::to_string(kMinPictureWidth) + "x" +
               std::to_string(kMinPictureHeight) + ", всего не более " +
               std::to_string(kMaxPictureSide) + " точек по каждой стороне";
    return {};
}

}  // namespace kvaril
