#include "base/PathRules.h"

#include <sys/stat.h>

namespace kvaril {

std::string WithExtension(const std::string& path, const std::string& ext) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? path.substr(0, dot) : path) + "." + ext;
}

std::string ChosenWithExtension(const std::string& path, const std::string& ext) {
    const std::string standard = WithExtension(path, ext);
    if (standard.size() != path.size()) return standard;
    for (size_t i = 0; i < path.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(path[i]) != lower(standard[i])) return standard;
    }
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? path : standard;
}

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return "";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string DocumentCaption(const std::string& documentName) {
    const size_t slash = documentName.rfind('/');
    std::string name = slash == std::string::npos ? documentName : documentName.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.resize(dot);
    for (char& c : name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return "Kvaril - " + name;
}

std::string ReplaceText(const std::string& text, const std::string& from, const std::string& to) {
    if (from.empty()) return text;
    std::string result;
    size_t start = 0;
    for (size_t at; (at = text.find(from, start)) != std::string::npos; start = at + from.size())
        result.append(text, start, at - start).append(to);
    return result.append(text, start, std::string::npos);
}

std::string RewriteLibraryIdentifiers(const std::string& text, const std::string& newName) {
    static const std::string kPrefix = "Signal_";
    std::string old = kPrefix;
    const size_t at = text.find(kPrefix);
    if (at != std::string::npos) {
        for (size_t i = at + kPrefix.size(); i < text.size(); ++i) {
            const char c = text[i];
            const bool word = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                              (c >= '0' && c <= '9') || c == '_';
            if (!word) break;
            old += c;
        }
    }
    return ReplaceText(text, old, kPrefix + newName);
}

}  // namespace kvaril
