#pragma once
// The file name an export dialog offers before the user types one.

#include <string>
#include <vector>

namespace kvaril {

// "<signal>.<extension>" when the export covers exactly one signal, else the document's own name
// with the extension ("noname" for a document never saved). Names are UTF-8; characters a file
// name cannot hold become "_".
std::string SuggestedExportName(const std::string& documentFile,
                                const std::vector<std::string>& signalNames,
                                const std::string& extension);

}  // namespace kvaril
