#pragma once
// How far a long run has come, as the window's progress bar and the command line's progress
// line both say it.

#include <cstdint>
#include <string>

namespace kvaril {

// "0:07", "1:02:03": whole seconds.
std::string FormatDuration(double seconds);

// The seconds still to go when `done` of `total` took `elapsed`; negative while nothing tells.
double RemainingSeconds(int64_t done, int64_t total, double elapsed);

// "Моделирование: 45% (4500000 из 10000000 квантов), прошло 0:03, осталось 0:04".
std::string ProgressText(int64_t done, int64_t total, double elapsed);

// "Свип: 3 из 8 прогонов, прошло 0:03, осталось 0:05".
std::string SweepProgressText(int64_t done, int64_t total, double elapsed);

// The same for other long work, named by `what` (UTF-8): "Экспорт данных: 45%, прошло 0:03,
// осталось 0:04".
std::string WorkProgressText(const std::string& what, int64_t done, int64_t total, double elapsed);

}  // namespace kvaril
