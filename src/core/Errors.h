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

// The file layer refused to open, create or write a file.
class EFileError : public EKvaril {
  public:
    using EKvaril::EKvaril;
    const char* ClassName() const override { return "EFileError"; }
};

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
