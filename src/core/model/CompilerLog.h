#pragma once
// Reading the compiler's log: the first diagnostic stops the build, and its line number leads
// back to the signal and line it came from.

#include <optional>
#include <string>
#include <vector>

#include "model/ModelOutcome.h"

namespace kvaril {

class TSignals;

// The outcome of a log's text (Windows-1251): success when no line after the banner has a
// marker; otherwise the box of the first diagnostic, its place in a signal if it has one, and
// the message as the status. A message the translation table knows is given in Russian with
// the compiler's words in brackets; an unknown identifier comes with the closest ones among
// those of `unitLines` (the compiled unit), a signal used above its place with the move that
// mends it.
TModelOutcome ParseCompilerLog(const std::string& log, const TSignals& signals,
                               const std::vector<std::string>& unitLines = {});

// The place of unit line `line` for a message: the signal whose text covers it, the line in
// that text, and the column of the message's quoted identifier (1 when there is none).
std::optional<TSourceLocation> LocateCompilerLine(const TSignals& signals, int line,
                                                  const std::string& message);

// For "Identifier not found 'Signal_X'" in signal `signalIndex` when X is a signal below it:
// the line that tells the user to change the order (UTF-8); nothing for any other message.
std::optional<std::string> ReorderHint(const TSignals& signals, int signalIndex,
                                       const std::string& message);

// For the same message: X moved above the first signal whose text uses it.
std::optional<TSignalMove> ReorderMove(const TSignals& signals, int signalIndex,
                                       const std::string& message);

}  // namespace kvaril
