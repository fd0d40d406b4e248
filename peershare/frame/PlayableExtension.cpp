#include "frame/PlayableExtension.h"

#include "share/CodePageText.h"

namespace {

constexpr std::string_view kPlayable[] = {".RM",  ".RMVB", ".RA",  ".RAM", ".AVI", ".ASF", ".WMV", ".WMA", ".ASX",
                                          ".MP3", ".MID",  ".WAV", ".MPG", ".MPEG", ".DAT", ".OGG", ".OGM"};

}  // namespace

// A "." is never the second byte of a double-byte character, so the last one
// found byte-wise is the last one of the text.
bool IsPlayableName(std::string_view fileName) {
  size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return false;
  std::string_view extension = fileName.substr(dot);
  for (std::string_view playable : kPlayable)
    if (CodePageText::EqualsIgnoringCase(extension, playable)) return true;
  return false;
}
