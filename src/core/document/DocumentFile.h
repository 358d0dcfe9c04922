#pragma once
// A whole document in one *.sig file: the signature "KVARIL", the version, the signal section
// and the oscilloscope section, as tagged values.

#include <string>

namespace kvaril {

class ByteSink;
class ByteSource;
class TOsc;
class TSignals;

inline constexpr int kDocumentVersion = 4;
inline constexpr const char* kDocumentSignature = "KVARIL";
inline constexpr const char* kSignatureError = "Ошибка сигнатуры: нарушена структура файла";
inline constexpr const char* kVersionError = "Ошибка версии файла";

// Writes the document atomically: on failure the previous file is left as it was, and both
// unsaved-changes flags are as they were before the attempt. Throws EKvaril.
void WriteDocument(const std::string& path, TSignals& signals, TOsc& osc);
// Reads a document into the (normally cleared) signal list and oscilloscope model. On an
// error, what was read before it stays in place. Throws EKvaril.
void ReadDocument(const std::string& path, TSignals& signals, TOsc& osc);

// The same over any byte stream (tests, the fuzzer).
void WriteDocumentTo(ByteSink& sink, TSignals& signals, TOsc& osc);
void ReadDocumentFrom(ByteSource& source, TSignals& signals, TOsc& osc);

}  // namespace kvaril
