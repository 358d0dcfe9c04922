#pragma once
// The documents last opened or saved, newest first, for the File menu. Paths are compared as
// given, so the caller hands in one spelling per file (absolute and cleaned).

#include <functional>
#include <string>
#include <vector>

namespace kvaril {

class TRecentDocuments {
  public:
    static constexpr int kLimit = 8;

    TRecentDocuments() = default;
    // A stored list: empty entries and repeats dropped, cut to the limit.
    explicit TRecentDocuments(const std::vector<std::string>& stored);

    // Puts `path` first; an entry already there moves up, the oldest beyond the limit goes.
    void Add(const std::string& path);
    void Remove(const std::string& path);
    // Drops every entry for which `exists` says no; the number dropped.
    int RemoveMissing(const std::function<bool(const std::string&)>& exists);
    void Clear() { items_.clear(); }

    const std::vector<std::string>& Items() const { return items_; }

  private:
    std::vector<std::string> items_;
};

// Whether the file at `path` begins as every Kvaril document does. A ".sig" may just as well be
// a detached PGP signature. False when it cannot be read.
bool HasDocumentSignature(const std::string& path);

}  // namespace kvaril
