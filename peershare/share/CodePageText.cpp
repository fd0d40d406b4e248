#include "share/CodePageText.h"

#include <windows.h>

namespace CodePageText {
namespace {

// Bytes of the character that starts at `position`.
size_t CharacterLength(std::string_view text, size_t position) {
  bool lead = IsDBCSLeadByte(static_cast<BYTE>(text[position])) != FALSE;
  return lead && position + 1 < text.size() ? 2 : 1;
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool Contains(std::string_view text, std::string_view part) {
  if (part.empty()) return true;
  for (size_t position = 0; position + part.size() <= text.size(); position += CharacterLength(text, position)) {
    if (text.compare(position, part.size(), part) == 0) return true;
  }
  return false;
}

std::string FileNameOf(std::string_view path) {
  // A trail byte may equal "\" (0x5C): only separators at character starts count.
  size_t start = 0;
  for (size_t position = 0; position < path.size(); position += CharacterLength(path, position)) {
    if (path[position] == '\\' || path[position] == '/') start = position + 1;
  }
  return std::string(path.substr(start));
}

std::string ForwardSlashes(std::string_view path) {
  std::string result(path);
  for (size_t position = 0; position < result.size(); position += CharacterLength(result, position))
    if (result[position] == '\\') result[position] = '/';
  return result;
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (size_t position = 0; position < upper.size();) {
    size_t length = CharacterLength(upper, position);
    if (length == 1) upper[position] = AsciiUpper(upper[position]);
    position += length;
  }
  return upper;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

}  // namespace CodePageText
