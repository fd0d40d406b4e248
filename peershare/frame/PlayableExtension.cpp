#include "frame/PlayableExtension.h"

#include <cctype>

namespace {

constexpr std::string_view kPlayable[] = {".RM",  ".RMVB", ".RA",  ".RAM", ".AVI", ".ASF", ".WMV", ".WMA", ".ASX",
                                          ".MP3", ".MID",  ".WAV", ".MPG", ".MPEG", ".DAT", ".OGG", ".OGM"};

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace

// A "." is never the second byte of a double-byte character, so the last one
// found byte-wise is the last one of the text.
bool IsPlayableName(std::string_view fileName) {
  size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return false;
  std::string_view extension = fileName.substr(dot);
  for (std::string_view playable : kPlayable)
    if (EqualsIgnoringCase(extension, playable)) return true;
  return false;
}
