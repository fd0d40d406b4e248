#include "transfer/FieldText.h"

#include <cctype>
#include <cstring>

namespace {

bool IsLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// Bytes in the character that starts at `at` (a lead byte at the very end
// stands alone).
size_t CharacterLength(std::string_view text, size_t at) {
  return IsLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

}  // namespace

namespace FieldText {

std::string Cut(std::string_view text, size_t maxBytes) {
  size_t end = 0;
  while (end < text.size()) {
    size_t next = end + CharacterLength(text, end);
    if (next > maxBytes) break;
    end = next;
  }
  return std::string(text.substr(0, end));
}

bool IsHash(std::string_view text) {
  if (text.size() != 32) return false;
  for (char c : text)
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

std::string LowerHash(std::string_view hash) {
  std::string lower(hash);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

std::string SafeFileName(std::string_view name) {
  std::string safe;
  for (size_t at = 0; at < name.size();) {
    size_t length = CharacterLength(name, at);
    unsigned char byte = static_cast<unsigned char>(name[at]);
    bool unsafe = length == 1 && (byte < 0x20 || std::strchr("\\/:*?\"<>|", byte) != nullptr);
    if (unsafe) {
      safe += '_';
    } else {
      safe.append(name.substr(at, length));
    }
    at += length;
  }
  if (safe.find_first_not_of('.') == std::string::npos) safe.insert(0, "_");
  return safe;
}

}  // namespace FieldText
