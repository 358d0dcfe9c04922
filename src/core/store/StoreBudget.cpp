#include "store/StoreBudget.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace kvaril {

unsigned long long StoreBytes(int32_t signals, int32_t quanta) {
    if (signals <= 0 || quanta <= 0) return 0;
    return static_cast<unsigned long long>(signals) * static_cast<unsigned long long>(quanta) * 8;
}

std::optional<unsigned long long> ParseMemAvailable(const std::string& meminfo) {
    std::istringstream in(meminfo);
    std::string line;
    while (std::getline(in, line)) {
        unsigned long long kb = 0;
        if (std::sscanf(line.c_str(), "MemAvailable: %llu kB", &kb) == 1) return kb * 1024;
    }
    return std::nullopt;
}

std::optional<unsigned long long> AvailableMemory() {
    std::ifstream file("/proc/meminfo");
    if (!file) return std::nullopt;
    std::stringstream text;
    text << file.rdbuf();
    return ParseMemAvailable(text.str());
}

std::string FormatBytes(unsigned long long bytes) {
    static constexpr const char* kUnits[] = {"КБ", "МБ", "ГБ", "ТБ"};
    if (bytes < 1024) return std::to_string(bytes) + " байт";
    double value = static_cast<double>(bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 3) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    std::string out = text;
    for (char& c : out)
        if (c == '.') c = ',';
    return out + " " + kUnits[unit];
}

std::optional<TErrorBox> CheckStoreMemory(int32_t signals, int32_t quanta,
                                          unsigned long long available) {
    const unsigned long long needed = StoreBytes(signals, quanta);
    if (needed <= available) return std::nullopt;
    return TErrorBox{"Недостаточно памяти для моделирования",
                     "Результатам нужно " + FormatBytes(needed) + " (" + std::to_string(signals) +
                         " сигн. × " + std::to_string(quanta) + " квантов × 8 байт), а доступно " +
                         FormatBytes(available) +
                         ".\r\nМоделирование не начато; уменьшите время моделирования или "
                         "число сигналов."};
}

}  // namespace kvaril
