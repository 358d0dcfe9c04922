#include "model/CompilerLog.h"

#include <algorithm>
#include <climits>

#include "document/Cp1251.h"
#include "document/uSignal.h"
#include "model/uCommon.h"

namespace kvaril {

namespace {

struct Marker {
    const char* Text;
    const char* Kind;
};

constexpr Marker kMarkers[] = {
    {" Error: ", "Ошибка"},
    {" Hint: ", "Неточность"},
    {" Warning: ", "Предупреждение"},
    {" Fatal: ", "Фатальная ошибка"},
};

// The text between the first "(" and the first ")" as an integer; 0 when it is not one.
std::optional<int> LineNumberOf(const std::string& line) {
    const size_t open = line.find('(');
    const size_t close = line.find(')');
    if (open == std::string::npos || close == std::string::npos) return std::nullopt;
    if (close < open) return 0;
    const std::string digits = line.substr(open + 1, close - open - 1);
    size_t i = 0;
    bool negative = false;
    if (i < digits.size() && (digits[i] == '+' || digits[i] == '-')) negative = digits[i++] == '-';
    if (i == digits.size()) return 0;
    long long value = 0;
    for (; i < digits.size(); ++i) {
        if (digits[i] < '0' || digits[i] > '9') return 0;
        value = value * 10 + (digits[i] - '0');
        if (value > INT_MAX) return 0;
    }
    return static_cast<int>(negative ? -value : value);
}

// The identifier between the first apostrophe and the next one; the message's last character
// never belongs to it.
std::string QuotedIdentifier(const std::string& message) {
    const size_t open = message.find('\'');
    if (open == std::string::npos) return {};
    std::string identifier;
    for (size_t i = open + 1; i + 1 < message.size() && message[i] != '\''; ++i)
        identifier += message[i];
    return identifier;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIdentifier(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

}  // namespace

std::optional<std::string> ReorderHint(const TSignals& signals, int signalIndex,
                                       const std::string& message) {
    if (signalIndex < 0 || signalIndex >= signals.Count()) return std::nullopt;
    if (message.find("Identifier not found") == std::string::npos) return std::nullopt;
    const std::string identifier = QuotedIdentifier(message);
    static const std::string kPrefix = "Signal_";
    if (identifier.size() <= kPrefix.size() ||
        !SameIdentifier(identifier.substr(0, kPrefix.size()), kPrefix))
        return std::nullopt;
    const std::string name = identifier.substr(kPrefix.size());
    // Pascal does not tell letter cases apart; the unit declares the signals in list order, so
    // only a signal further down can be the one the compiler has not met yet.
    for (int i = signalIndex + 1; i < signals.Count(); ++i) {
        if (!SameIdentifier(signals.Items(i).Name(), name)) continue;
        return "Сигнал " + Cp1251ToUtf8(signals.Items(i).Name()) + " расположен ниже сигнала " +
               Cp1251ToUtf8(signals.Items(signalIndex).Name()) +
               ": измените порядок сигналов (Сигнал → Порядок)";
    }
    return std::nullopt;
}

std::optional<TSourceLocation> LocateCompilerLine(const TSignals& signals, int line,
                                                  const std::string& message) {
    for (int s = 0; s < signals.Count(); ++s) {
        const TSignal& signal = signals.Items(s);
        const int n = static_cast<int>(signal.Lines().size());
        const long start = signal.StartLine;
        if (n == 0 || !(start < line && line <= start + n)) continue;

        const int index = std::clamp(static_cast<int>(line - start - 1), 0, n - 1);
        const std::string& text = signal.Lines()[static_cast<size_t>(index)];
        int column = 0;
        if (message.find('\'') != std::string::npos) {
            const std::string identifier = QuotedIdentifier(message);
            if (!identifier.empty()) column = SearchFrom(identifier, text, 1);
        }
        column = std::min(column, static_cast<int>(text.size()));
        column = std::max(column, 1);
        return TSourceLocation{s, index + 1, column};
    }
    return std::nullopt;
}

TModelOutcome ParseCompilerLog(const std::string& log, const TSignals& signals) {
    const std::vector<std::string> lines = SplitLines(log);
    for (size_t i = 1; i < lines.size(); ++i) {  // the first line is the banner
        const std::string& line = lines[i];
        for (const Marker& marker : kMarkers) {
            const size_t at = line.find(marker.Text);
            if (at == std::string::npos) continue;
            const std::string message = line.substr(at + 1);
            TModelOutcome outcome;
            if (std::optional<int> number = LineNumberOf(line))
                outcome.Location = LocateCompilerLine(signals, *number, message);
            std::string text = Cp1251ToUtf8(message);
            if (outcome.Location)
                if (std::optional<std::string> hint =
                        ReorderHint(signals, outcome.Location->SignalIndex, message))
                    text += "\r\n" + *hint;
            outcome.Error = TErrorBox{std::string(marker.Kind) + " в программе", text};
            outcome.Status = Cp1251ToUtf8(message);
            return outcome;
        }
    }
    return TModelOutcome::Success();
}

}  // namespace kvaril
