#include "model/FpcDiagnostics.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <optional>
#include <regex>

#include "base/uCommon.h"

namespace kvaril {

namespace {

constexpr const char* kUnitFile = "kvm.pas";

struct Diagnostic {
    std::string File;  // empty when FPC gave no position
    int Line = 0;
    int Column = 0;
    std::string Kind;  // Error, Fatal, Warning, Hint, Note
    int Number = 0;
    std::string Text;
};

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// A line, column or message number; -1 for anything else, a number too large for one
// included (a log of another tool, or damaged).
int ParseInt(std::string_view s) {
    int v = 0;
    for (char c : s) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
        if (v > (std::numeric_limits<int>::max() - (c - '0')) / 10) return -1;
        v = v * 10 + (c - '0');
    }
    return s.empty() ? -1 : v;
}

// "file(line,col) Kind: (number) text" or "Kind: (number) text".
std::optional<Diagnostic> Parse(std::string_view line) {
    Diagnostic d;
    std::string_view rest = line;
    size_t open = line.find('(');
    size_t space = line.find(' ');
    if (open != std::string_view::npos && open < space) {
        size_t close = line.find(')', open);
        if (close == std::string_view::npos) return std::nullopt;
        d.File = std::string(line.substr(0, open));
        std::string_view pos = line.substr(open + 1, close - open - 1);
        size_t comma = pos.find(',');
        d.Line = ParseInt(pos.substr(0, comma));
        d.Column = comma == std::string_view::npos ? 0 : ParseInt(pos.substr(comma + 1));
        if (d.Line < 0) return std::nullopt;
        rest = line.substr(close + 1);
        if (!StartsWith(rest, " ")) return std::nullopt;
        rest.remove_prefix(1);
    }
    for (const char* kind : {"Error", "Fatal", "Warning", "Hint", "Note"}) {
        std::string marker = std::string(kind) + ": ";
        if (StartsWith(rest, marker)) {
            d.Kind = kind;
            rest.remove_prefix(marker.size());
            break;
        }
    }
    if (d.Kind.empty()) return std::nullopt;
    if (StartsWith(rest, "(")) {
        size_t close = rest.find(") ");
        if (close != std::string_view::npos) {
            d.Number = ParseInt(rest.substr(1, close - 1));
            rest.remove_prefix(close + 2);
        }
    }
    d.Text = std::string(rest);
    return d;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// FPC writes some identifiers upper-case ("identifier VALUE"); the source has the spelling the
// user typed, which the driver must find in the line to place the caret.
std::string SourceSpelling(const std::string& identifier, const Diagnostic& d,
                           const std::vector<std::string>& unitLines) {
    if (d.File != kUnitFile || d.Line < 1 || static_cast<size_t>(d.Line) > unitLines.size())
        return identifier;
    const std::string& source = unitLines[static_cast<size_t>(d.Line) - 1];
    if (identifier.empty() || SearchFrom(identifier, source, 1) > 0) return identifier;
    // Prefer the occurrence closest to the reported column.
    std::optional<size_t> best;
    for (size_t i = 0; i + identifier.size() <= source.size(); ++i) {
        if (!EqualNoCase(std::string_view(source).substr(i, identifier.size()), identifier))
            continue;
        auto distance = [&](size_t at) {
            long diff = static_cast<long>(at) + 1 - d.Column;
            return diff < 0 ? -diff : diff;
        };
        if (!best || distance(i) < distance(*best)) best = i;
    }
    return best ? source.substr(*best, identifier.size()) : identifier;
}

// The driver puts the caret on the first quoted identifier, and the place of a syntax error is
// the token found, not the one expected: `"X" expected but "Y" found` becomes
// `"Y" found but "X" expected` ("identifier FOO" quotes only the name).
std::string FoundTokenFirst(const std::string& text) {
    static const std::regex kExpectedFound(
        R"re(^(.*)"([^"]*)" expected but "([^"]*)" found(.*)$)re");
    std::smatch m;
    if (!std::regex_match(text, m, kExpectedFound)) return text;
    std::string found = m[3].str();
    const std::string identifierWord = "identifier ";
    found = found.rfind(identifierWord, 0) == 0
                ? identifierWord + "\"" + found.substr(identifierWord.size()) + "\""
                : "\"" + found + "\"";
    return m[1].str() + found + " found but \"" + m[2].str() + "\" expected" + m[4].str();
}

std::string QuoteIdentifier(std::string text, const Diagnostic& d,
                            const std::vector<std::string>& unitLines) {
    // An apostrophe would confuse the driver's identifier scan.
    std::replace(text.begin(), text.end(), '\'', '`');
    text = FoundTokenFirst(text);
    size_t open = text.find('"');
    if (open == std::string::npos) return text;
    size_t close = text.find('"', open + 1);
    if (close == std::string::npos) return text;
    std::string identifier = SourceSpelling(text.substr(open + 1, close - open - 1), d, unitLines);
    // One quoting style in the box: the other quoted parts get apostrophes too.
    std::string rest = text.substr(close + 1);
    for (size_t q = rest.find('"'); q != std::string::npos; q = rest.find('"', q + 1))
        if (rest.find('"', q + 1) != std::string::npos) {
            const size_t end = rest.find('"', q + 1);
            rest[q] = '\'';
            rest[end] = '\'';
            q = end;
        }
    return text.substr(0, open) + "'" + identifier + "'" + rest;
}

int Severity(const std::string& kind) {
    if (kind == "Error" || kind == "Fatal") return 0;
    if (kind == "Warning") return 1;
    return 2;
}

// "/usr/bin/ld.bfd: cannot find -lfoo: No such file or directory" without the linker's path.
std::optional<std::string> LinkerMessage(std::string_view line) {
    for (std::string_view marker : {"ld.bfd: ", "ld.gold: ", "ld: "}) {
        const size_t at = line.find(marker);
        if (at != std::string_view::npos && line.substr(0, at).find(' ') == std::string_view::npos)
            return std::string(line.substr(at + marker.size()));
    }
    return std::nullopt;
}

constexpr int kErrorWhileLinking = 9013;

}  // namespace

std::vector<std::string> RewriteFpcOutput(const std::string& output,
                                          const std::vector<std::string>& unitLines) {
    std::vector<Diagnostic> kept;
    std::optional<std::string> linkerSaid;
    for (const std::string& raw : SplitLines(output))
        if (!linkerSaid) linkerSaid = LinkerMessage(raw);
    for (const std::string& raw : SplitLines(output)) {
        std::optional<Diagnostic> d = Parse(raw);
        if (!d || d->Kind == "Note") continue;
        // "There were N errors compiling module" and "Compilation aborted" repeat what the
        // errors said, and the first carries a position at the end of the file.
        if (d->Number == 10026 || d->Number == 1018) continue;
        const bool userFile = d->File == kUnitFile;
        // Hints and warnings about our own project files are not the user's business.
        if (!userFile && Severity(d->Kind) > 0) continue;
        // "Error while linking" alone leaves the user guessing: the linker named the library or
        // symbol it missed.
        if (d->Number == kErrorWhileLinking && linkerSaid) d->Text += ": " + *linkerSaid;
        kept.push_back(*d);
    }
    std::stable_sort(kept.begin(), kept.end(), [](const Diagnostic& a, const Diagnostic& b) {
        return Severity(a.Kind) < Severity(b.Kind);
    });

    std::vector<std::string> lines;
    for (const Diagnostic& d : kept) {
        std::string text = QuoteIdentifier(d.Text, d, unitLines);
        if (d.File == kUnitFile)
            lines.push_back(d.File + "(" + std::to_string(d.Line) + ") " + d.Kind + ": " + text);
        else  // no line of the unit: the driver leaves the editor where it is
            lines.push_back((d.File.empty() ? "kvml.dpr" : d.File) + " " + d.Kind + ": " + text);
    }
    return lines;
}

}  // namespace kvaril
