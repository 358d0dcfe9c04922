#include "model/CompilerMessages.h"

#include <algorithm>
#include <regex>
#include <set>

#include "base/Cp1251.h"

namespace kvaril {

namespace {

struct TTranslation {
    const char* Pattern;  // the whole text; the quoted parts are captured
    const char* Russian;  // $1, $2: the captured parts
};

// The messages a new user meets most, as Free Pascal words them after the driver's quoting.
const TTranslation kTranslations[] = {
    {R"(Identifier not found '([^']*)')", "Идентификатор '$1' не найден"},
    {R"(Illegal expression)", "Недопустимое выражение"},
    {R"(Syntax error, identifier '([^']*)' found but '([^']*)' expected)",
     "Синтаксическая ошибка: ожидалось '$2', а встречен идентификатор '$1'"},
    {R"(Syntax error, '([^']*)' found but '([^']*)' expected)",
     "Синтаксическая ошибка: ожидалось '$2', а встречено '$1'"},
    {R"(Incompatible types: got '([^']*)' expected '([^']*)')",
     "Несовместимые типы: получен '$1', а ожидался '$2'"},
    {R"(Duplicate identifier '([^']*)')", "Идентификатор '$1' объявлен повторно"},
    {R"(Wrong number of parameters specified for call to '([^']*)')",
     "Неверное число параметров в вызове '$1'"},
    {R"((?:Local v|V)ariable '([^']*)' does not seem to be initialized)",
     "Переменной '$1', похоже, не присвоено значение"},
    {R"(Division by zero)", "Деление на ноль"},
};

// What a signal calls from System and Math without the unit declaring it.
const char* const kRuntimeRoutines[] = {
    "Abs",   "ArcCos",  "ArcSin",   "ArcTan", "Ceil", "Cos",   "Dec",    "Exp",
    "Floor", "Frac",    "High",     "Inc",    "Int",  "Ln",    "Log10",  "Log2",
    "Low",   "Max",     "Min",      "Odd",    "Pi",   "Power", "Random", "Round",
    "Sign",  "Sin",     "Sqr",      "Sqrt",   "Tan",  "Trunc", "Double", "Integer",
    "Int64", "Boolean", "Cardinal", "Result", "Exit", "True",  "False",
};

const char* const kReservedWords[] = {
    "and",
    "array",
    "as",
    "asm",
    "begin",
    "case",
    "class",
    "const",
    "constructor",
    "destructor",
    "div",
    "do",
    "downto",
    "else",
    "end",
    "except",
    "exports",
    "file",
    "finalization",
    "finally",
    "for",
    "function",
    "goto",
    "if",
    "implementation",
    "in",
    "inherited",
    "initialization",
    "inline",
    "interface",
    "is",
    "label",
    "library",
    "mod",
    "nil",
    "not",
    "object",
    "of",
    "on",
    "or",
    "out",
    "override",
    "packed",
    "private",
    "procedure",
    "program",
    "property",
    "protected",
    "public",
    "published",
    "raise",
    "record",
    "repeat",
    "set",
    "shl",
    "shr",
    "string",
    "then",
    "threadvar",
    "to",
    "try",
    "type",
    "unit",
    "until",
    "uses",
    "var",
    "virtual",
    "while",
    "with",
    "xor",
};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lowered(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), Lower);
    return s;
}

bool IsStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsPart(char c) { return IsStart(c) || (c >= '0' && c <= '9'); }

bool IsReserved(const std::string& lowered) {
    return std::any_of(std::begin(kReservedWords), std::end(kReservedWords),
                       [&](const char* word) { return lowered == word; });
}

}  // namespace

std::optional<std::string> TranslateCompilerMessage(const std::string& text) {
    for (const TTranslation& t : kTranslations) {
        const std::regex pattern(t.Pattern);
        std::smatch m;
        if (std::regex_match(text, m, pattern))
            return Cp1251ToUtf8(std::regex_replace(text, pattern, Utf8ToCp1251(t.Russian)));
    }
    return std::nullopt;
}

std::string UnknownIdentifier(const std::string& text) {
    static const std::regex kPattern(kTranslations[0].Pattern);
    std::smatch m;
    return std::regex_match(text, m, kPattern) ? m[1].str() : std::string();
}

std::vector<std::string> KnownIdentifiers(const std::vector<std::string>& unitLines) {
    std::vector<std::string> found;
    std::set<std::string> seen;
    auto add = [&](const std::string& identifier) {
        const std::string key = Lowered(identifier);
        if (!IsReserved(key) && seen.insert(key).second) found.push_back(identifier);
    };
    // Comments may span lines; strings may not.
    enum { Code, Brace, Paren } state = Code;
    for (const std::string& line : unitLines) {
        for (size_t i = 0; i < line.size();) {
            if (state == Brace) {
                state = line[i] == '}' ? Code : Brace;
                ++i;
            } else if (state == Paren) {
                if (line.compare(i, 2, "*)") == 0) state = Code, ++i;
                ++i;
            } else if (line[i] == '{') {
                state = Brace, ++i;
            } else if (line.compare(i, 2, "(*") == 0) {
                state = Paren, i += 2;
            } else if (line.compare(i, 2, "//") == 0) {
                break;
            } else if (line[i] == '\'') {
                const size_t end = line.find('\'', i + 1);
                i = end == std::string::npos ? line.size() : end + 1;
            } else if (IsStart(line[i])) {
                size_t end = i;
                while (end < line.size() && IsPart(line[end])) ++end;
                add(line.substr(i, end - i));
                i = end;
            } else if (line[i] >= '0' && line[i] <= '9') {
                while (i < line.size() && IsPart(line[i])) ++i;  // 1E5 is no identifier E5
            } else {
                ++i;
            }
        }
    }
    for (const char* routine : kRuntimeRoutines) add(routine);
    return found;
}

int EditDistance(const std::string& a, const std::string& b) {
    // Optimal string alignment: the table's rows for i - 2, i - 1 and i.
    const size_t n = b.size();
    std::vector<int> before(n + 1), previous(n + 1), current(n + 1);
    for (size_t j = 0; j <= n; ++j) previous[j] = static_cast<int>(j);
    for (size_t i = 1; i <= a.size(); ++i) {
        current[0] = static_cast<int>(i);
        for (size_t j = 1; j <= n; ++j) {
            const int cost = Lower(a[i - 1]) == Lower(b[j - 1]) ? 0 : 1;
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
            if (i > 1 && j > 1 && Lower(a[i - 1]) == Lower(b[j - 2]) &&
                Lower(a[i - 2]) == Lower(b[j - 1]))
                current[j] = std::min(current[j], before[j - 2] + 1);
        }
        before.swap(previous);
        previous.swap(current);
    }
    return previous[n];
}

std::vector<std::string> ClosestIdentifiers(const std::string& unknown,
                                            const std::vector<std::string>& known) {
    // A slip of the fingers changes a letter or two, more in a long name; beyond that the names
    // are merely different.
    const int limit = unknown.size() <= 4 ? 1 : unknown.size() <= 8 ? 2 : 3;
    std::vector<std::pair<int, std::string>> near;
    for (const std::string& k : known) {
        const int d = EditDistance(unknown, k);
        if (d > 0 && d <= limit) near.emplace_back(d, k);
    }
    std::sort(near.begin(), near.end(), [](const auto& x, const auto& y) {
        return x.first != y.first ? x.first < y.first : Lowered(x.second) < Lowered(y.second);
    });
    std::vector<std::string> closest;
    for (const auto& [d, k] : near) {
        if (closest.size() == 3 || d > near.front().first) break;
        closest.push_back(k);
    }
    return closest;
}

}  // namespace kvaril
