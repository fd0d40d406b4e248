#pragma once

#include <string>
#include <string_view>

// Helpers for the plug-in's 8-bit texts, which are code page 936: a byte
// above 0x7F starts a two-byte character, so searches and cuts must move by
// whole characters.
namespace CodePageText {

// Whether `part` occurs in `text` starting at a character boundary.
bool Contains(std::string_view text, std::string_view part);
// The file name and extension of a path: what follows its last "\" or "/".
std::string FileNameOf(std::string_view path);
// Every "\" that is a character of its own turned into "/".
std::string ForwardSlashes(std::string_view path);
// ASCII letters in upper case; double-byte characters are left as they are.
std::string Upper(std::string_view text);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace CodePageText
