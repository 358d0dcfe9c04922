#pragma once
// Where the program, its model directory (Bin/) and its example documents (Projects/) are.
// Every directory path ends with "/".

#include <string>

namespace kvaril {

// The folder of the running executable.
std::string ProgramDir();

// The file the build puts into its Bin/ and an installation does not: a program beside it runs
// from its build tree.
inline constexpr const char* kBuildTreeMark = ".kvaril-build-tree";

// ProgramDir + "Bin/" when the program runs from its build tree (Bin/ holds kBuildTreeMark and
// may be written); otherwise, for an installed copy whoever runs it (root included), a
// per-user copy of it in the cache folder, brought up to date on every call: an installation
// stays as its package put it.
std::string ResolveBinDir(const std::string& programDir);

}  // namespace kvaril
