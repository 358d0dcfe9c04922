#include "model/RunProgress.h"

#include <cmath>
#include <cstdio>

namespace kvaril {

std::string FormatDuration(double seconds) {
    const long long s = seconds > 0 ? static_cast<long long>(std::llround(seconds)) : 0;
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", s / 60, s % 60);
    return text;
}

double RemainingSeconds(int64_t done, int64_t total, double elapsed) {
    if (done <= 0 || total <= 0 || elapsed <= 0) return -1;
    if (done >= total) return 0;
    return elapsed * static_cast<double>(total - done) / static_cast<double>(done);
}

std::string ProgressText(int64_t done, int64_t total, double elapsed) {
    const int percent = total > 0 ? static_cast<int>(100 * done / total) : 0;
    std::string text = "Моделирование: " + std::to_string(percent) + "% (" + std::to_string(done) +
                       " из " + std::to_string(total) + " квантов), прошло " +
                       FormatDuration(elapsed);
    const double remaining = RemainingSeconds(done, total, elapsed);
    if (remaining >= 0) text += ", осталось " + FormatDuration(remaining);
    return text;
}

std::string SweepProgressText(int64_t done, int64_t total, double elapsed) {
    const char* runs = total % 10 == 1 && total % 100 != 11 ? "прогона" : "прогонов";
    std::string text = "Свип: " + std::to_string(done) + " из " + std::to_string(total) + " " +
                       runs + ", прошло " + FormatDuration(elapsed);
    const double remaining = RemainingSeconds(done, total, elapsed);
    if (remaining >= 0) text += ", осталось " + FormatDuration(remaining);
    return text;
}

}  // namespace kvaril
