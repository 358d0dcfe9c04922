#pragma once
// What the model library in the model folder was built from, so that F9 on an unchanged
// document loads it again instead of compiling the same unit twice. The stamp names the unit,
// the model project, the store unit, the compiler stand-in and the Free Pascal compiler, and the
// library's own bytes; any difference, or anything that cannot be read, means "compile".

#include <optional>
#include <string>

namespace kvaril {

inline constexpr const char* kLibraryStampName = ".kvml.stamp";

// A program as it is now: where it really is, its size and when it was last written, which an
// upgrade or a rebuild changes; nothing when it cannot be found.
std::optional<std::string> ProgramIdentity(const std::string& path);

// A fingerprint of the build's inputs in `binDir` (ends with "/"), or nothing when one of them
// cannot be read.
std::optional<std::string> BuildInputsFingerprint(const std::string& binDir);

// True when the stamp in `binDir` records these inputs and the library there is the one built.
bool LibraryIsUpToDate(const std::string& binDir, const std::string& inputs);

// After a successful build: records the inputs and the library. Failing to write it only
// means the next build compiles.
void WriteLibraryStamp(const std::string& binDir, const std::string& inputs);

// Before a build: the library is about to change.
void RemoveLibraryStamp(const std::string& binDir);

}  // namespace kvaril
