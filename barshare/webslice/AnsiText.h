#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

// Texts that arrive from other code (window messages, script, the browser)
// are read only as far as a limit and converted to the ANSI code page where
// they are hashed, signed or escaped.
namespace AnsiText {

// The text at `text`, read over at most maxChars characters: the characters
// before its NUL, or the first maxChars when none comes within them. Nothing
// when text is null or not readable that far.
std::optional<std::wstring> Read(const wchar_t* text, size_t maxChars);

// chars characters of text in codePage (0: the ANSI code page), cut to at
// most maxBytes bytes without splitting a double-byte character; *cut (when
// given) tells whether anything was dropped.
std::string FromWide(const wchar_t* text, size_t chars, size_t maxBytes, UINT codePage = 0, bool* cut = nullptr);
inline std::string FromWide(const std::wstring& text, size_t maxBytes) {
  return FromWide(text.c_str(), text.size(), maxBytes);
}

// ANSI bytes back to wide text.
std::wstring ToWide(const std::string& bytes);

}  // namespace AnsiText
