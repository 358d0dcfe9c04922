#pragma once
// How the model compiler calls Free Pascal: where the compiler is, its command line, and the
// copy of kvm.pas that Free Pascal accepts.

#include <optional>
#include <string>
#include <vector>

namespace kvaril {

// The path of ppcx64 (the compiler proper, not the fpc driver), or nothing.
std::optional<std::string> FindFreePascal();

// The command line that builds `project` (kvml.dpr) into kvml.dll in the current folder.
std::vector<std::string> FpcArguments(const std::string& compiler, const std::string& project);

// kvm.pas as Free Pascal accepts it, line for line: FPC refuses an exports clause in a unit, so
// the clause's lines are blanked (the library project exports the routines), and one blanked
// line carries the switch that reports floating-point faults where they happen.
std::vector<std::string> PatchUnitForFpc(std::vector<std::string> unit);

}  // namespace kvaril
