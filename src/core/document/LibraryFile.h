#pragma once
// Signal library files: one signal's Pascal text, lines ended with CR LF, Windows-1251.

#include <string>
#include <vector>

namespace kvaril {

// Throws EFileError "Cannot open file %s".
std::vector<std::string> ReadLibraryFile(const std::string& path);
// Replaces any existing file; throws EFileError "Cannot create file %s".
void WriteLibraryFile(const std::string& path, const std::vector<std::string>& lines);

}  // namespace kvaril
