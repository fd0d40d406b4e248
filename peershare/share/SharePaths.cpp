#include "share/SharePaths.h"

#include <windows.h>

#include "share/CodePageText.h"

namespace SharePaths {
namespace {

constexpr const char* kExcludedWords[] = {"windows", "winnt", "program files"};
constexpr size_t kDisplayBaseThreshold = 57;

bool IsLead(char c) { return IsDBCSLeadByte(static_cast<BYTE>(c)) != FALSE; }

bool IsDriveRoot(const std::string& path) {
  return path.size() == 3 && path[0] >= 'c' && path[0] <= 'j' && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

// The largest cut of `base` at or below `limit` bytes that ends between two
// characters. The byte count above 0x7F decides where every character of
// GB2312 starts; the walk also holds for the characters of code page 936
// whose second byte is below 0x80.
size_t CutBetweenCharacters(std::string_view base, size_t limit) {
  size_t position = 0;
  while (position < base.size()) {
    size_t length = IsLead(base[position]) && position + 1 < base.size() ? 2 : 1;
    if (position + length > limit) break;
    position += length;
  }
  return position;
}

}  // namespace

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (size_t position = 0; position < lower.size();) {
    if (IsLead(lower[position]) && position + 1 < lower.size()) {
      position += 2;
      continue;
    }
    char& c = lower[position++];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::string ExtensionOf(std::string_view path) {
  std::string name = CodePageText::FileNameOf(path);
  size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

bool CanShare(std::string& path, int labelCode) {
  path = LowerAscii(path);
  if (IsDriveRoot(path)) return false;
  for (const char* word : kExcludedWords)
    if (CodePageText::Contains(path, word)) return false;
  if (labelCode == 1 || labelCode == 3) {
    std::string extension = ExtensionOf(path);
    if (extension == ".exe" || extension == ".bat") return false;
  }
  return true;
}

std::string DisplayName(std::string_view path) {
  std::string name = CodePageText::FileNameOf(path);
  std::string extension = ExtensionOf(name);
  std::string base = name.substr(0, name.size() - extension.size());
  if (base.size() > kDisplayBaseThreshold) base.resize(CutBetweenCharacters(base, kDisplayBaseLimit));
  return base + extension;
}

}  // namespace SharePaths
