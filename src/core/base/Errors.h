#pragma once
// Exceptions of the core. Messages are UTF-8 display texts (they may hold file paths, which
// are native UTF-8 on Linux); document content inside the core stays Windows-1251.

#include <stdexcept>
#include <string>

namespace kvaril {

class EKvaril : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
    // The class name the unexpected-error box shows as "ExceptionClass: ".
    virtual const char* ClassName() const { return "Exception"; }
};

// A value stream or document that does not hold what the reader expects.
class EReadError : public EKvaril {
  public:
    using EKvaril::EKvaril;
    const char* ClassName() const override { return "EReadError"; }
};

enum class TFileOp { Other, Open, Create, Read, Write };
// What else the user should know about a failed write.
enum class TFileNote { None, Restored, NotRestored, DanglingLink, NotRegularFile };

// The file layer refused to open, create or write a file. Besides the message, it keeps what
// failed on which path and why, so that a window can say the same in the user's language.
class EFileError : public EKvaril {
  public:
    using EKvaril::EKvaril;
    EFileError(TFileOp op, const std::string& path, int error = 0,
               TFileNote note = TFileNote::None);
    const char* ClassName() const override { return "EFileError"; }

    TFileOp Op = TFileOp::Other;
    std::string Path;
    int Errno = 0;
    TFileNote Note = TFileNote::None;
};

// A failure with a file in the user's words, with the system's reason: "Не удается создать
// файл PATH: нет места на диске". What the window says of every file error, and the message of
// every error of an output file (ExportFileError), wherever it is shown.
std::string FileErrorText(TFileOp op, const std::string& path, int error,
                          TFileNote note = TFileNote::None);

// The reason of a system error number in the user's words ("нет прав доступа").
std::string FileErrorReason(int error);

// An EFileError whose message is FileErrorText. The documents' own messages keep their classic
// English texts (the EFileError constructor); exports and the files a command reads say this.
EFileError ExportFileError(TFileOp op, const std::string& path, int error,
                           TFileNote note = TFileNote::None);

// A violated precondition: a programming error, never an ordinary outcome. It is raised
// rather than aborting so that the window can report it and go on.
class EAssertionFailed : public EKvaril {
  public:
    using EKvaril::EKvaril;
    const char* ClassName() const override { return "EAssertionFailed"; }
};

[[noreturn]] void AssertionFailed(const char* condition, const char* unit, int line);

}  // namespace kvaril

// KV_ASSERT(cond, "uSignal") names the unit the precondition belongs to.
#define KV_ASSERT(cond, unit) \
    ((cond) ? static_cast<void>(0) : ::kvaril::AssertionFailed(#cond, unit, __LINE__))
