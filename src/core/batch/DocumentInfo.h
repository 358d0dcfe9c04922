#pragma once
// A readable UTF-8 account of a document, for `kvaril --info`.

#include <string>

namespace kvaril {

class TOsc;
class TSignals;

std::string DescribeDocument(const TSignals& signals, const TOsc& osc);

}  // namespace kvaril

#include <iosfwd>

namespace kvaril {

// Reads the document at `path` and prints its account to `out`; on an error prints
// "Файл: " + path, a line break and the message to `err`. Returns the exit status (0 or 1).
int PrintDocumentInfo(const std::string& path, std::ostream& out, std::ostream& err);

}  // namespace kvaril
