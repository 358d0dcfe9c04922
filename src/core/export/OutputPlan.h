#pragma once
// Every file one command writes, decided before the command does its work: each target is
// resolved (canonical path; device and inode when it exists) and checked against the files the
// command reads and against the command's other targets. Outputs go to temporary files beside
// their targets and are put in place together at the end, so a command writes all of its
// outputs or none, and never replaces the document, a golden file, a folder, a pipe or a device.

#include <sys/types.h>

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "base/ValueStream.h"

namespace kvaril {

// A target the plan will not write: one of the files the command reads, another target of the
// same command, something that is no regular file. The message names both files.
class EOutputRefused : public EKvaril {
  public:
    using EKvaril::EKvaril;
    const char* ClassName() const override { return "EOutputRefused"; }
};

// Text (CSV, statistics, spectra) may go to standard output; WAV and pictures may not.
enum class TOutputKind { Text, Binary };

// Where a path leads, as far as the plan needs to know.
struct TFileIdentity {
    std::string Canonical;  // "-" for standard output
    bool Exists = false;
    bool StandardOutput = false;
    dev_t Device = 0;
    ino_t Inode = 0;
    mode_t Mode = 0;
    bool SameFile(const TFileIdentity& other) const;
};

class TOutputPlan {
  public:
    // `standardOutput` is where "-" and "/dev/stdout" write; without it those are file names
    // like any other (the window has no standard output to offer).
    explicit TOutputPlan(std::ostream* standardOutput = nullptr);
    // An uncommitted plan removes its temporaries: the targets stay as they were.
    ~TOutputPlan();
    TOutputPlan(const TOutputPlan&) = delete;
    TOutputPlan& operator=(const TOutputPlan&) = delete;

    // A file the command reads, which no output may replace; `role` names it in messages
    // ("документ", "эталон --against").
    void Protect(const std::string& role, const std::string& path);
    // An output, named in messages by `role` ("--csv", "Экспорт данных"); returns its number.
    int Add(const std::string& role, const std::string& path, TOutputKind kind);

    // Resolves and checks every target, then opens a temporary file beside each. Throws
    // EOutputRefused for a target the plan will not write, EFileError (with the reason) for
    // one the system will not let it write.
    void Prepare();

    int Count() const { return static_cast<int>(outputs_.size()); }
    const std::string& PathOf(int output) const;
    bool IsStandardOutput(int output) const;
    bool AnyStandardOutput() const;
    // For writers that need a file name: the temporary that becomes output `output`.
    const std::string& TemporaryPath(int output) const;
    // The temporary file, or standard output.
    ByteSink& Sink(int output);
    // Files first, standard output last: what went there cannot be taken back when a later
    // output fails.
    std::vector<int> WriteOrder() const;

    // Checks that every target is still what Prepare found, then renames the temporaries into
    // place one after the other. Throws EOutputRefused (nothing replaced) when a target changed
    // meanwhile, EFileError when the system refuses.
    void Commit();

  private:
    struct TProtected {
        std::string Role, Path;
        TFileIdentity Identity;
    };
    struct TOutput;

    void Resolve(TOutput& output) const;
    void CheckAgainstOthers(size_t index) const;
    void OpenTemporary(TOutput& output);
    void CheckUnchanged(const TOutput& output) const;

    std::ostream* standardOutput_;
    std::vector<TProtected> protected_;
    std::vector<std::unique_ptr<TOutput>> outputs_;
    bool prepared_ = false;
};

// Resolves `path` without refusing anything: a missing file gets its folder's canonical path
// plus its name, or the path itself when the folder cannot be resolved either.
TFileIdentity IdentityOf(const std::string& path);

// A single file written through a plan of its own: the convenience of exports that write one
// file. `write` fills the sink; a throw leaves the old file as it was.
void WriteOutputFile(const std::string& path, TOutputKind kind,
                     const std::function<void(ByteSink&)>& write);

}  // namespace kvaril
