#include "sweep/SweepConstants.h"

#include <cctype>

#include "base/Cp1251.h"
#include "document/uSignal.h"

namespace kvaril {

namespace {

enum class TTokenKind { Ident, Decimal, OtherNumber, String, Symbol };

struct TToken {
    TTokenKind Kind;
    std::string Text;
    int Line, Column, EndLine, EndColumn;  // EndColumn: one past the last byte
};

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool SameWord(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != b[i]) return false;
    return i == a.size() && !b[i];
}

// Pascal's tokens over a signal's lines, comments and blanks left out.
class TPascalScanner {
  public:
    explicit TPascalScanner(const std::vector<std::string>& lines) : lines_(lines) {}

    std::vector<TToken> Tokens() {
        std::vector<TToken> tokens;
        while (SkipBlanksAndComments()) tokens.push_back(Next());
        return tokens;
    }

  private:
    char At(int offset = 0) const {
        const std::string& text = lines_[static_cast<size_t>(line_)];
        const size_t at = static_cast<size_t>(column_ + offset);
        return at < text.size() ? text[at] : '\0';
    }
    bool AtLineEnd() const {
        return static_cast<size_t>(column_) >= lines_[static_cast<size_t>(line_)].size();
    }
    void NextLine() {
        ++line_;
        column_ = 0;
    }

    // Skips to the end of a comment that may span lines; `close` is "}" or "*)".
    void SkipUntil(const char* close) {
        const size_t width = close[1] ? 2 : 1;
        while (line_ < static_cast<int>(lines_.size())) {
            const std::string& text = lines_[static_cast<size_t>(line_)];
            const size_t at = text.find(close, static_cast<size_t>(column_));
            if (at != std::string::npos) {
                column_ = static_cast<int>(at + width);
                return;
            }
            NextLine();
        }
    }

    // False at the end of the text.
    bool SkipBlanksAndComments() {
        while (line_ < static_cast<int>(lines_.size())) {
            const char c = At();
            if (AtLineEnd()) {
                NextLine();
            } else if (c == ' ' || c == '\t' || c == '\f') {
                ++column_;
            } else if (c == '{') {
                ++column_;
                SkipUntil("}");
            } else if (c == '(' && At(1) == '*') {
                column_ += 2;
                SkipUntil("*)");
            } else if (c == '/' && At(1) == '/') {
                NextLine();
            } else {
                return true;
            }
        }
        return false;
    }

    void SkipNumber() {
        while (IsDigit(At())) ++column_;
        if (At() == '.' && IsDigit(At(1))) {
            ++column_;
            while (IsDigit(At())) ++column_;
        }
        const int sign = At(1) == '+' || At(1) == '-' ? 1 : 0;
        if ((At() == 'e' || At() == 'E') && IsDigit(At(1 + sign))) {
            column_ += 1 + sign;
            while (IsDigit(At())) ++column_;
        }
    }

    // A quoted string ('it''s') or a character code (#13, #$0D); a string ends at its line.
    void SkipString() {
        if (At() == '#') {
            ++column_;
            if (At() == '$') ++column_;
            while (std::isalnum(static_cast<unsigned char>(At()))) ++column_;
            return;
        }
        ++column_;
        while (!AtLineEnd()) {
            if (At() == '\'' && At(1) == '\'') {
                column_ += 2;
            } else if (At() == '\'') {
                ++column_;
                return;
            } else {
                ++column_;
            }
        }
    }

    TTokenKind Scan() {
        const char c = At();
        if (IsIdentStart(c)) {
            while (IsIdentChar(At())) ++column_;
            return TTokenKind::Ident;
        }
        if (IsDigit(c)) {
            SkipNumber();
            return TTokenKind::Decimal;
        }
        if ((c == '$' || c == '%' || c == '&') &&
            std::isxdigit(static_cast<unsigned char>(At(1)))) {
            ++column_;
            while (std::isxdigit(static_cast<unsigned char>(At()))) ++column_;
            return TTokenKind::OtherNumber;
        }
        if (c == '\'' || c == '#') {
            SkipString();
            return TTokenKind::String;
        }
        static const char* const kPairs[] = {":=", "<=", ">=", "<>", ".."};
        for (const char* pair : kPairs)
            if (c == pair[0] && At(1) == pair[1]) {
                column_ += 2;
                return TTokenKind::Symbol;
            }
        ++column_;
        return TTokenKind::Symbol;
    }

    TToken Next() {
        const int line = line_, column = column_;
        const TTokenKind kind = Scan();
        const std::string& text = lines_[static_cast<size_t>(line)];
        return TToken{
            kind,  text.substr(static_cast<size_t>(column), static_cast<size_t>(column_ - column)),
            line,  column,
            line_, column_};
    }

    const std::vector<std::string>& lines_;
    int line_ = 0;
    int column_ = 0;
};

bool IsSymbol(const TToken& token, const char* text) {
    return token.Kind == TTokenKind::Symbol && token.Text == text;
}

// Words that end a const section; none of them can name a constant.
bool IsSectionWord(const TToken& token) {
    static const char* const kWords[] = {
        "begin",       "case",      "class",    "const",     "constructor",
        "destructor",  "end",       "exports",  "function",  "implementation",
        "interface",   "label",     "operator", "private",   "procedure",
        "property",    "protected", "public",   "published", "resourcestring",
        "strict",      "threadvar", "type",     "var",       "initialization",
        "finalization"};
    for (const char* word : kWords)
        if (SameWord(token.Text, word)) return true;
    return false;
}

// The tokens of a value, from `from` up to the ";" that ends it outside parentheses (or the
// end); returns the position of that ";".
size_t ValueEnd(const std::vector<TToken>& tokens, size_t from) {
    int depth = 0;
    size_t i = from;
    for (; i < tokens.size(); ++i) {
        if (IsSymbol(tokens[i], "(") || IsSymbol(tokens[i], "[")) ++depth;
        if ((IsSymbol(tokens[i], ")") || IsSymbol(tokens[i], "]")) && depth > 0) --depth;
        if (depth == 0 && IsSymbol(tokens[i], ";")) break;
    }
    return i;
}

TSweepConstant Describe(const std::vector<std::string>& lines, const std::vector<TToken>& tokens,
                        size_t name, size_t first, size_t end, int signal) {
    TSweepConstant constant;
    constant.Signal = signal;
    constant.Name = tokens[name].Text;
    if (first >= end) return constant;
    const TToken& head = tokens[first];
    const TToken& tail = tokens[end - 1];
    constant.Line = head.Line;
    constant.Column = head.Column;
    if (head.Line == tail.EndLine) {
        constant.Length = tail.EndColumn - head.Column;
        constant.ValueText = lines[static_cast<size_t>(head.Line)].substr(
            static_cast<size_t>(head.Column), static_cast<size_t>(constant.Length));
    } else {
        for (size_t i = first; i < end; ++i)
            constant.ValueText += (i > first ? " " : "") + tokens[i].Text;
    }
    const bool signed_ = IsSymbol(head, "-") || IsSymbol(head, "+");
    constant.Numeric = constant.Length > 0 && end - first == (signed_ ? 2u : 1u) &&
                       tail.Kind == TTokenKind::Decimal;
    return constant;
}

// The declarations of one const section starting at `i`; returns where the section ends.
size_t ReadConstSection(const std::vector<std::string>& lines, const std::vector<TToken>& tokens,
                        size_t i, int signal, std::vector<TSweepConstant>& found) {
    while (i + 1 < tokens.size() && tokens[i].Kind == TTokenKind::Ident &&
           !IsSectionWord(tokens[i])) {
        size_t equals = i + 1;
        if (IsSymbol(tokens[equals], ":")) {
            // A typed constant: its type runs up to "=", and a ";" first means a field.
            while (equals < tokens.size() && !IsSymbol(tokens[equals], "=") &&
                   !IsSymbol(tokens[equals], ";"))
                ++equals;
            if (equals >= tokens.size() || !IsSymbol(tokens[equals], "=")) return i;
        } else if (!IsSymbol(tokens[equals], "=")) {
            return i;
        }
        const size_t end = ValueEnd(tokens, equals + 1);
        found.push_back(Describe(lines, tokens, i, equals + 1, end, signal));
        i = end + 1;
    }
    return i;
}

}  // namespace

std::vector<TSweepConstant> FindConstants(const std::vector<std::string>& lines, int signal) {
    const std::vector<TToken> tokens = TPascalScanner(lines).Tokens();
    std::vector<TSweepConstant> found;
    int depth = 0;
    size_t i = 0;
    while (i < tokens.size()) {
        const TToken& token = tokens[i];
        if (IsSymbol(token, "(") || IsSymbol(token, "[")) ++depth;
        if ((IsSymbol(token, ")") || IsSymbol(token, "]")) && depth > 0) --depth;
        if (depth == 0 && token.Kind == TTokenKind::Ident && SameWord(token.Text, "const")) {
            i = ReadConstSection(lines, tokens, i + 1, signal, found);
            continue;
        }
        ++i;
    }
    return found;
}

std::vector<TSweepConstant> FindConstants(const TSignals& signals) {
    std::vector<TSweepConstant> all;
    for (int s = 0; s < signals.Count(); ++s) {
        std::vector<TSweepConstant> own = FindConstants(signals.Items(s).Lines(), s);
        all.insert(all.end(), own.begin(), own.end());
    }
    return all;
}

namespace {

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

bool FindSweepConstant(const TSignals& signals, const std::string& qualifiedName,
                       TSweepConstant& constant, std::string& error) {
    const size_t dot = qualifiedName.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == qualifiedName.size()) {
        error = "Константа задается как Сигнал.Имя: " + qualifiedName;
        return false;
    }
    const std::string signalName = Utf8ToCp1251(qualifiedName.substr(0, dot));
    const std::string name = Utf8ToCp1251(qualifiedName.substr(dot + 1));
    const int signal = signals.IndexOfName(signalName);
    if (signal < 0) {
        error = "Нет сигнала " + qualifiedName.substr(0, dot);
        return false;
    }
    int matches = 0;
    for (const TSweepConstant& c : FindConstants(signals.Items(signal).Lines(), signal))
        if (SameName(c.Name, name) && matches++ == 0) constant = c;
    if (matches == 0) {
        error = "В сигнале " + qualifiedName.substr(0, dot) + " нет константы " +
                qualifiedName.substr(dot + 1);
        return false;
    }
    if (matches > 1) {
        error = "Константа " + qualifiedName + " объявлена в сигнале " + std::to_string(matches) +
                " раза: неясно, какую менять";
        return false;
    }
    if (!constant.Numeric) {
        error = "Константа " + qualifiedName + " = " + Cp1251ToUtf8(constant.ValueText) +
                " - не число: менять можно только константу вида Имя = 3000;";
        return false;
    }
    return true;
}

std::vector<std::string> ReplaceConstant(std::vector<std::string> lines,
                                         const TSweepConstant& constant,
                                         const std::string& literal) {
    std::string& line = lines.at(static_cast<size_t>(constant.Line));
    line.replace(static_cast<size_t>(constant.Column), static_cast<size_t>(constant.Length),
                 literal);
    return lines;
}

}  // namespace kvaril
