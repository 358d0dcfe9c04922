#pragma once
// Where the window meets the core's Windows-1251 strings: every conversion goes through here.

#include <QString>
#include <exception>
#include <string>

namespace kvaril {

// Document content (names, lines): Windows-1251 bytes.
QString FromCp1251(const std::string& text);
// `lossless` tells whether every character had a Windows-1251 byte.
std::string ToCp1251(const QString& text, bool* lossless = nullptr);
// The core's messages and paths: UTF-8.
inline QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }
inline std::string ToUtf8(const QString& text) { return text.toStdString(); }

// The characters of `text` that Windows-1251 cannot hold, each once, in order of appearance.
QString OutsideCp1251(const QString& text);
// What the user is told when such characters became "?": `what` names the text ("Символы
// имени"), and the characters themselves follow.
QString ReplacedNotice(const QString& what, const QString& text);

// A failure as the user reads it: the file layer's errors in Russian, others as they are.
QString ErrorText(const std::exception& e);

}  // namespace kvaril
