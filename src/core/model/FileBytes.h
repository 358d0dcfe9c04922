#pragma once
// The model folder's files as bytes, read the careful way: a symbolic link or anything that is
// not a regular file (a pipe would never end) is not read.

#include <optional>
#include <string>

namespace kvaril {

// The whole regular file at `path`; nothing when it is a link, not a regular file, or unreadable.
std::optional<std::string> ReadRegularFile(const std::string& path);

}  // namespace kvaril
