#pragma once
// The constants a sweep can vary: in a signal's `const` sections, every `Name = literal;` or
// `Name: Type = literal;` whose value is one decimal number, with an optional sign. A sweep
// writes its value over that literal and leaves every other byte of the text as it was, so the
// compiler's line numbers, the user's comments and every other signal stay untouched.

#include <string>
#include <vector>

namespace kvaril {

class TSignals;

struct TSweepConstant {
    int Signal = 0;         // position in the signal list
    std::string Name;       // as declared (Windows-1251)
    int Line = 0;           // 0-based line of the value in the signal's text
    int Column = 0;         // 0-based byte offset of the value's first character
    int Length = 0;         // bytes of the value (0 when it spans lines)
    std::string ValueText;  // the value as written, comments left out
    bool Numeric = false;   // a signed decimal literal on one line: may be swept
};

// Every constant declared in the `const` sections of `lines` (one signal's text), in text
// order, with Signal set to `signal`. Comments ({ }, (* *), //) and strings are skipped; a
// `const` inside parentheses (a parameter) starts no section.
std::vector<TSweepConstant> FindConstants(const std::vector<std::string>& lines, int signal = 0);

// The constants of every signal, in document order.
std::vector<TSweepConstant> FindConstants(const TSignals& signals);

// "Signal.Name" (UTF-8): the constant it names, or the reason it cannot be swept (unknown
// signal or constant, not a numeric literal, declared more than once). Names compare without
// letter case, as Pascal compares them.
bool FindSweepConstant(const TSignals& signals, const std::string& qualifiedName,
                       TSweepConstant& constant, std::string& error);

// `lines` with the constant's value replaced by `literal`; nothing else changes.
std::vector<std::string> ReplaceConstant(std::vector<std::string> lines,
                                         const TSweepConstant& constant,
                                         const std::string& literal);

}  // namespace kvaril
