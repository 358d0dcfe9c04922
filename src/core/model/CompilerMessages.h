#pragma once
// Compiler messages a user can act on: the common Free Pascal messages in Russian, and for an
// unknown identifier the known ones it is closest to.

#include <optional>
#include <string>
#include <vector>

namespace kvaril {

// The message's text (after "Error: " and the like, Windows-1251, quoted parts in apostrophes
// as the compiler driver reads them) in Russian (UTF-8); nothing when the table does not know
// it.
std::optional<std::string> TranslateCompilerMessage(const std::string& text);

// The identifier an "Identifier not found 'X'" names; empty for any other message.
std::string UnknownIdentifier(const std::string& text);

// The identifiers of a unit's text, each spelling once, in the order met: comments, strings and
// the reserved words of the language left out. The routines of the run-time library a signal
// commonly calls are added, since the unit uses them without declaring them.
std::vector<std::string> KnownIdentifiers(const std::vector<std::string>& unitLines);

// Letters inserted, deleted, replaced or two neighbours swapped to turn one into the other;
// letter case does not count, as in Pascal.
int EditDistance(const std::string& a, const std::string& b);

// The known identifiers closest to `unknown` (at most three, nearest first, then in
// alphabetical order), none when every one differs in too many letters for a typing slip.
std::vector<std::string> ClosestIdentifiers(const std::string& unknown,
                                            const std::vector<std::string>& known);

}  // namespace kvaril
