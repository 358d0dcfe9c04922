#include "model/CompilerLog.h"

#include <algorithm>
#include <climits>

#include "base/Cp1251.h"
#include "base/uCommon.h"
#include "document/uSignal.h"
#include "model/CompilerMessages.h"

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

namespace {

// The signal below `signalIndex` that an "Identifier not found 'Signal_X'" names.
std::optional<int> LaterSignal(const TSignals& signals, int signalIndex,
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
    for (int i = signalIndex + 1; i < signals.Count(); ++i)
        if (SameIdentifier(signals.Items(i).Name(), name)) return i;
    return std::nullopt;
}

bool IsIdentifierChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// Whether a line names `identifier` as a whole word, in any letter case.
bool LineUses(const std::string& line, const std::string& identifier) {
    for (size_t i = 0; i + identifier.size() <= line.size(); ++i) {
        if (i > 0 && IsIdentifierChar(line[i - 1])) continue;
        const size_t end = i + identifier.size();
        if (end < line.size() && IsIdentifierChar(line[end])) continue;
        if (SameIdentifier(line.substr(i, identifier.size()), identifier)) return true;
    }
    return false;
}

}  // namespace

std::optional<std::string> ReorderHint(const TSignals& signals, int signalIndex,
                                       const std::string& message) {
    const std::optional<int> later = LaterSignal(signals, signalIndex, message);
    if (!later) return std::nullopt;
    return "Сигнал " + Cp1251ToUtf8(signals.Items(*later).Name()) + " расположен ниже сигнала " +
           Cp1251ToUtf8(signals.Items(signalIndex).Name()) +
           ": измените порядок сигналов (Сигнал → Изменить порядок...)";
}

std::optional<TSignalMove> ReorderMove(const TSignals& signals, int signalIndex,
                                       const std::string& message) {
    const std::optional<int> later = LaterSignal(signals, signalIndex, message);
    if (!later) return std::nullopt;
    const std::string variable = "Signal_" + signals.Items(*later).Name();
    for (int i = 0; i < signalIndex; ++i)
        for (const std::string& line : signals.Items(i).Lines())
            if (LineUses(line, variable)) return TSignalMove{*later, i};
    return TSignalMove{*later, signalIndex};
}

namespace {

// Where an expression is missing after ":=" (nothing but blanks up to ";" or the line's end):
// the compiler finds it illegal and names no identifier. 0 when the line has none.
int EmptyExpressionColumn(const std::string& text) {
    for (size_t at = text.find(":="); at != std::string::npos; at = text.find(":=", at + 2)) {
        const size_t next = text.find_first_not_of(" \t", at + 2);
        if (next == std::string::npos) return static_cast<int>(text.size()) + 1;
        if (text[next] == ';') return static_cast<int>(next) + 1;
    }
    return 0;
}

}  // namespace

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
        } else if (message.find("Illegal expression") != std::string::npos) {
            // "Value := ;": the mark goes where the expression is missing.
            column = EmptyExpressionColumn(text);
        }
        column = std::min(column, static_cast<int>(text.size()));
        column = std::max(column, 1);
        return TSourceLocation{s, index + 1, column};
    }
    return std::nullopt;
}

namespace {

// "Возможно, A?", "Возможно, A или B?", "Возможно, A, B или C?"
std::string Suggestion(const std::vector<std::string>& names) {
    std::string text = "Возможно, ";
    for (size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? " или " : ", ";
        text += Cp1251ToUtf8(names[i]);
    }
    return text + "?";
}

// What a signal's text can name: the unit's head (before the first signal's text) and the
// signals' texts, not the main routine the generator writes after them, which frees every
// signal: "Free" is no answer to an undeclared "Freq".
std::vector<std::string> NameableLines(const std::vector<std::string>& unitLines,
                                       const TSignals& signals) {
    size_t head = unitLines.size();
    for (int i = 0; i < signals.Count(); ++i)
        if (!signals.Items(i).Lines().empty())
            head = std::min(head, static_cast<size_t>(std::max(signals.Items(i).StartLine, 0)));
    std::vector<std::string> lines(unitLines.begin(),
                                   unitLines.begin() + static_cast<std::ptrdiff_t>(head));
    for (int i = 0; i < signals.Count(); ++i)
        lines.insert(lines.end(), signals.Items(i).Lines().begin(), signals.Items(i).Lines().end());
    return lines;
}

}  // namespace

TModelOutcome ParseCompilerLog(const std::string& log, const TSignals& signals,
                               const std::vector<std::string>& unitLines) {
    const std::vector<std::string> lines = SplitLines(log);
    for (size_t i = 1; i < lines.size(); ++i) {  // the first line is the banner
        const std::string& line = lines[i];
        for (const Marker& marker : kMarkers) {
            const size_t at = line.find(marker.Text);
            if (at == std::string::npos) continue;
            const std::string message = line.substr(at + 1);
            // The text after "Error: " and the like: what the translation table knows.
            const std::string words = line.substr(at + std::string(marker.Text).size());
            TModelOutcome outcome;
            if (std::optional<int> number = LineNumberOf(line))
                outcome.Location = LocateCompilerLine(signals, *number, message);
            const std::optional<std::string> russian = TranslateCompilerMessage(words);
            std::string text = Cp1251ToUtf8(message);
            // The compiler's own words stay beside the translation, for a search on the web.
            outcome.Status = russian ? *russian + " (" + text + ")" : text;
            if (russian) text = *russian + "\r\n(" + text + ")";
            std::optional<std::string> hint;
            if (outcome.Location) {
                hint = ReorderHint(signals, outcome.Location->SignalIndex, message);
                if (hint)
                    outcome.Reorder = ReorderMove(signals, outcome.Location->SignalIndex, message);
            }
            const std::string unknown = UnknownIdentifier(words);
            if (!hint && !unknown.empty()) {
                const std::vector<std::string> closest = ClosestIdentifiers(
                    unknown, KnownIdentifiers(NameableLines(unitLines, signals)));
                if (!closest.empty()) text += "\r\n" + Suggestion(closest);
            }
            if (hint) text += "\r\n" + *hint;
            outcome.Error = TErrorBox{std::string(marker.Kind) + " в программе", text};
            return outcome;
        }
    }
    return TModelOutcome::Success();
}

}  // namespace kvaril
