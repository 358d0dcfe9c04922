#pragma once
// Where the program, its model directory (Bin/) and its example documents (Projects/) are.
// Every directory path ends with "/".

#include <string>

namespace kvaril {

// The folder of the running executable.
std::string ProgramDir();

// ProgramDir + "Bin/" when the program may write there (a build tree, a copy of its own);
// otherwise a per-user copy of it in the cache folder, brought up to date on every call.
std::string ResolveBinDir(const std::string& programDir);

}  // namespace kvaril
