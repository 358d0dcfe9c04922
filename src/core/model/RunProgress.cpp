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

namespace {

int Percent(int64_t done, int64_t total) {
    return total > 0 ? static_cast<int>(100 * done / total) : 0;
}

std::string Times(int64_t done, int64_t total, double elapsed) {
    std::string text = "прошло " + FormatDuration(elapsed);
    const double remaining = RemainingSeconds(done, total, elapsed);
    if (remaining >= 0) text += ", осталось " + FormatDuration(remaining);
    return text;
}

}  // namespace

std::string ProgressText(int64_t done, int64_t total, double elapsed) {
    return "Моделирование: " + std::to_string(Percent(done, total)) + "% (" + std::to_string(done) +
           " из " + std::to_string(total) + " квантов), " + Times(done, total, elapsed);
}

std::string WorkProgressText(const std::string& what, int64_t done, int64_t total, double elapsed) {
    return what + ": " + std::to_string(Percent(done, total)) + "%, " + Times(done, total, elapsed);
}

std::string SweepProgressText(int64_t done, int64_t total, double elapsed) {
    const char* runs = total % 10 == 1 && total % 100 != 11 ? "прогона" : "прогонов";
    return "Свип: " + std::to_string(done) + " из " + std::to_string(total) + " " + runs + ", " +
           Times(done, total, elapsed);
}

}  // namespace kvaril
