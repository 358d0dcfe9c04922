#pragma once
// Path and text rules of the document and library commands. Paths use "/"; the root "/" keeps
// its separator.

#include <string>

namespace kvaril {

// `path` with its extension (from the last "." after the last "/") replaced by "." + `ext`, or
// with "." + `ext` appended when it has none.
std::string WithExtension(const std::string& path, const std::string& ext);

// The path a file dialog's choice stands for: `path` itself when its extension is `ext` in
// any case and that file exists (a user's "UPPER.SIG"), otherwise WithExtension.
std::string ChosenWithExtension(const std::string& path, const std::string& ext);

// Everything before the last "/", without it; "/" for a file in the root.
std::string DirectoryOf(const std::string& path);

// The window caption for a document: "Kvaril - " and the file name without folder and
// extension, with only the letters A to Z lowered (Cyrillic stays as it is).
std::string DocumentCaption(const std::string& documentName);

// Every occurrence of `from` replaced by `to`, scanning left to right without overlaps.
std::string ReplaceText(const std::string& text, const std::string& from, const std::string& to);

// A library signal's text with its identifiers renamed: the first "Signal_" and the run of
// ASCII letters, digits and "_" after it make the old identifier, and every occurrence of it
// becomes "Signal_" + `newName`.
std::string RewriteLibraryIdentifiers(const std::string& text, const std::string& newName);

}  // namespace kvaril
