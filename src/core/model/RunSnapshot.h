#pragma once
// A run in the background works on a copy of the document's signals: the store the windows
// show stays untouched until the run has succeeded and its samples are taken over, and the
// user may go on editing the document in the window meanwhile.

#include <memory>
#include <string>

namespace kvaril {

class TSignals;

// The signals, their texts and the times, without samples.
std::unique_ptr<TSignals> CopyForRun(const TSignals& signals);

// What a run of `copy` would build and compute: the generated unit and the times. Two copies
// with the same key give the same run. Marks the copy's start lines, as generating does.
std::string RunKey(TSignals& copy);

// "устарело: 1 ошибка", "устарело: 3 ошибки", "устарело: 5 ошибок".
std::string StaleNote(int errors);

}  // namespace kvaril
