#pragma once
// Where the window meets the core's Windows-1251 strings: every conversion goes through here.

#include <QString>
#include <string>

namespace kvaril {

// Document content (names, lines): Windows-1251 bytes.
QString FromCp1251(const std::string& text);
// `lossless` tells whether every character had a Windows-1251 byte.
std::string ToCp1251(const QString& text, bool* lossless = nullptr);
// The core's messages and paths: UTF-8.
inline QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }
inline std::string ToUtf8(const QString& text) { return text.toStdString(); }

}  // namespace kvaril
