#include "desktop/RecentDocuments.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include "document/DocumentFile.h"

namespace kvaril {

TRecentDocuments::TRecentDocuments(const std::vector<std::string>& stored) {
    for (const std::string& path : stored) {
        if (path.empty() || std::find(items_.begin(), items_.end(), path) != items_.end()) continue;
        if (static_cast<int>(items_.size()) == kLimit) break;
        items_.push_back(path);
    }
}

void TRecentDocuments::Add(const std::string& path) {
    if (path.empty()) return;
    Remove(path);
    items_.insert(items_.begin(), path);
    if (static_cast<int>(items_.size()) > kLimit) items_.resize(kLimit);
}

void TRecentDocuments::Remove(const std::string& path) {
    items_.erase(std::remove(items_.begin(), items_.end(), path), items_.end());
}

int TRecentDocuments::RemoveMissing(const std::function<bool(const std::string&)>& exists) {
    const size_t before = items_.size();
    items_.erase(std::remove_if(items_.begin(), items_.end(),
                                [&](const std::string& p) { return !exists(p); }),
                 items_.end());
    return static_cast<int>(before - items_.size());
}

bool HasDocumentSignature(const std::string& path) {
    // The signature is stored as a short string: its type tag, its length, its characters.
    const size_t length = std::strlen(kDocumentSignature);
    std::string expected = {'\x06', static_cast<char>(length)};
    expected += kDocumentSignature;
    std::ifstream in(path, std::ios::binary);
    std::string head(expected.size(), '\0');
    if (!in.read(head.data(), static_cast<std::streamsize>(head.size()))) return false;
    return head == expected;
}

}  // namespace kvaril
