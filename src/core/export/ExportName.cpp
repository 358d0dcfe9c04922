#include "export/ExportName.h"

namespace kvaril {

namespace {

std::string DocumentStem(const std::string& documentFile) {
    const size_t slash = documentFile.find_last_of('/');
    std::string name = slash == std::string::npos ? documentFile : documentFile.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    // A leading dot is part of a hidden file's name, not an extension.
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

std::string FileNameSafe(std::string name) {
    for (char& c : name)
        if (c == '/' || (static_cast<unsigned char>(c) < 0x20)) c = '_';
    if (name.empty() || name == "." || name == "..") return "noname";
    return name;
}

}  // namespace

std::string SuggestedExportName(const std::string& documentFile,
                                const std::vector<std::string>& signalNames,
                                const std::string& extension) {
    const std::string stem =
        signalNames.size() == 1 ? signalNames.front() : DocumentStem(documentFile);
    return FileNameSafe(stem) + "." + extension;
}

}  // namespace kvaril
