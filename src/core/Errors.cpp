#include "Errors.h"

#include <cstring>

namespace kvaril {

namespace {

std::string FileErrorMessage(TFileOp op, const std::string& path, int error, TFileNote note) {
    std::string text;
    switch (op) {
        case TFileOp::Open:
            text = "Cannot open file ";
            break;
        case TFileOp::Create:
            text = "Cannot create file ";
            break;
        case TFileOp::Read:
            text = "Cannot read file ";
            break;
        case TFileOp::Write:
        case TFileOp::Other:
            text = "Cannot write file ";
            break;
    }
    text += path;
    if (note == TFileNote::DanglingLink) text += ": the symbolic link points to a missing file";
    // Open and create failures name only the path; the reason stays in Errno.
    if (error != 0 && (op == TFileOp::Read || op == TFileOp::Write))
        text += std::string(": ") + std::strerror(error);
    if (note == TFileNote::Restored) text += "; the previous content was restored";
    if (note == TFileNote::NotRestored) text += "; the previous content could not be restored";
    return text;
}

}  // namespace

EFileError::EFileError(TFileOp op, const std::string& path, int error, TFileNote note)
    : EKvaril(FileErrorMessage(op, path, error, note)),
      Op(op),
      Path(path),
      Errno(error),
      Note(note) {}

void AssertionFailed(const char* condition, const char* unit, int line) {
    throw EAssertionFailed(std::string("Assertion failed: ") + condition + " (" + unit + ", line " +
                           std::to_string(line) + ")");
}

}  // namespace kvaril
