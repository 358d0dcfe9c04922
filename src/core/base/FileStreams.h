#pragma once
// Byte streams over files. Paths are native (UTF-8) file names.

#include <sys/stat.h>

#include <string>

#include "base/ValueStream.h"

namespace kvaril {

// Reads a regular file; anything else (a folder, a pipe that might never end) is refused.
class FileSource : public ByteSource {
  public:
    explicit FileSource(const std::string& path);  // throws EFileError "Cannot open file %s"
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    size_t Read(char* data, size_t size) override;

  private:
    std::string path_;
    int fd_ = -1;
};

// Writes a new version of a file beside it and puts it in place only by Commit, so a failed
// write never destroys the previous file. Without Commit the partial file is removed.
// When the folder refuses the new version (or it could not keep the file's owner) but the file
// itself may be written, the whole content is collected first and Commit writes it in place,
// reads it back, and puts the old bytes back if anything went wrong.
class AtomicFileSink : public ByteSink {
  public:
    // Throws "Cannot create file %s", the document's classic text; with `sayWhy` (exports)
    // every failure is told in the user's words with the system's reason (ExportFileError),
    // and a target that is a folder, a device or a pipe is refused.
    explicit AtomicFileSink(const std::string& path, bool sayWhy = false);
    ~AtomicFileSink() override;
    AtomicFileSink(const AtomicFileSink&) = delete;
    AtomicFileSink& operator=(const AtomicFileSink&) = delete;
    void Write(const char* data, size_t size) override;
    void Commit();

  private:
    [[noreturn]] void FailWrite(int error);
    bool OpenTemporary(const struct ::stat* old);
    void CommitInPlace();

    std::string path_;      // the file as the user named it (for messages)
    std::string target_;    // the file that is replaced (a symbolic link's target)
    std::string tempPath_;  // the new version until Commit
    std::string content_;   // the whole new content when writing in place
    int fd_ = -1;
    bool inPlace_ = false;
    bool sayWhy_ = false;
};

// Removes what killed saves left in `dir`: hidden files of our temporary pattern
// (".name.sig.XXXXXX", also for ".txt") owned by this user and not touched for a day.
// Errors are ignored; returns how many were removed.
int RemoveStaleTempFiles(const std::string& dir, long long now = 0);

}  // namespace kvaril
