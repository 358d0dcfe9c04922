#include "sweep/SweepValues.h"

#include <algorithm>
#include <cmath>

#include "base/uCommon.h"

namespace kvaril {

namespace {

constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();
constexpr const char* kRangeForm = "диапазон пишется ОТ:ДО:ЧИСЛО или ОТ:ДО:ЧИСЛОlog";

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string_view::npos ? at : at - start));
        if (at == std::string_view::npos) return parts;
        start = at + 1;
    }
}

bool Number(std::string_view text, double& value, std::string& error) {
    value = StrToFloatDefault(text, kNotANumber);
    if (std::isfinite(value)) return true;
    error = text.empty() ? "пустое значение" : "не число: " + std::string(text);
    return false;
}

bool ParseList(std::string_view text, TSweepValues& values, std::string& error) {
    for (std::string_view item : Split(text, ',')) {
        double value = 0;
        if (!Number(item, value, error)) return false;
        if (std::find(values.Values.begin(), values.Values.end(), value) != values.Values.end()) {
            error = "значение " + SweepLiteral(value) + " повторяется";
            return false;
        }
        values.Values.push_back(value);
    }
    return true;
}

// The count of "8" or "8log".
bool ParseCount(std::string_view text, int& count, bool& logarithmic, std::string& error) {
    logarithmic = text.size() > 3 && text.substr(text.size() - 3) == "log";
    if (logarithmic) text.remove_suffix(3);
    const double number = StrToFloatDefault(text, kNotANumber);
    if (!(number >= 2 && number <= kMaxSweepRuns && number == std::floor(number)) ||
        text.find_first_not_of("0123456789") != std::string_view::npos) {
        error = "число значений диапазона - целое от 2 до " + std::to_string(kMaxSweepRuns) + ": " +
                std::string(text);
        return false;
    }
    count = static_cast<int>(number);
    return true;
}

double RoundTo6Digits(double value) { return StrToFloatDefault(FormatFloat(value, 6), value); }

bool ParseRange(const std::vector<std::string_view>& parts, TSweepValues& values,
                std::string& error) {
    double from = 0, to = 0;
    int count = 0;
    if (parts.size() != 3) {
        error = kRangeForm;
        return false;
    }
    if (!Number(parts[0], from, error) || !Number(parts[1], to, error) ||
        !ParseCount(parts[2], count, values.Logarithmic, error))
        return false;
    if (from == to) {
        error = "пустой диапазон: ОТ и ДО совпадают (" + SweepLiteral(from) + ")";
        return false;
    }
    if (values.Logarithmic && !(from > 0 && to > 0)) {
        error = "логарифмический диапазон нужен от положительного до положительного значения";
        return false;
    }
    for (int i = 0; i < count; ++i) {
        const double share = static_cast<double>(i) / (count - 1);
        double value =
            values.Logarithmic ? from * std::pow(to / from, share) : from + (to - from) * share;
        if (i == 0) value = from;
        if (i == count - 1) value = to;
        if (i > 0 && i < count - 1) value = RoundTo6Digits(value);
        // Rounding merges neighbours only in a range finer than six digits can tell apart.
        if (i > 0 && value == values.Values.back()) {
            error = "диапазон мельче шести значащих цифр: " + SweepLiteral(value) + " повторяется";
            return false;
        }
        values.Values.push_back(value);
    }
    return true;
}

}  // namespace

bool ParseSweepValues(std::string_view text, TSweepValues& values, std::string& error) {
    values = TSweepValues{};
    error.clear();
    const std::vector<std::string_view> parts = Split(text, ':');
    const bool ok =
        parts.size() == 1 ? ParseList(text, values, error) : ParseRange(parts, values, error);
    if (ok && static_cast<int>(values.Values.size()) > kMaxSweepRuns) {
        error = "больше " + std::to_string(kMaxSweepRuns) + " значений";
        return false;
    }
    if (!ok) values = TSweepValues{};
    return ok;
}

std::string SweepLiteral(double value) { return FormatShortestPlain(value); }

}  // namespace kvaril
