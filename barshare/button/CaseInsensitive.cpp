#include "button/CaseInsensitive.h"

#include <windows.h>
#include <shlwapi.h>

namespace CaseInsensitive {
namespace {

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

// Printable ASCII that the comparison never skips (it skips "-" and "'").
bool HasWeight(wchar_t c) { return c > L' ' && c < 0x7F && c != L'-' && c != L'\''; }

// The answer where it follows from letters alone: a difference between two
// letters with only letters before it, or one text ending where the other
// goes on with a character that counts (the longer text then sorts last).
// False where the platform must decide.
bool DecidedByLetters(const wchar_t* a, const wchar_t* b, size_t count, int& order) {
  for (size_t i = 0; i < count; ++i) {
    const wchar_t x = a[i], y = b[i];
    if (x == 0 && y == 0) {
      order = 0;
      return true;
    }
    if (x == 0 || y == 0) {
      if (!HasWeight(x == 0 ? y : x)) return false;
      order = x == 0 ? -1 : 1;
      return true;
    }
    if (!IsAsciiLetter(x) || !IsAsciiLetter(y)) return false;
    const wchar_t lowerX = x | 0x20, lowerY = y | 0x20;
    if (lowerX != lowerY) {
      order = lowerX < lowerY ? -1 : 1;
      return true;
    }
  }
  order = 0;
  return true;
}

}  // namespace

int Compare(const wchar_t* a, const wchar_t* b) {
  int order = 0;
  return DecidedByLetters(a, b, static_cast<size_t>(-1), order) ? order : StrCmpIW(a, b);
}

int Compare(const wchar_t* a, const wchar_t* b, size_t count) {
  int order = 0;
  return DecidedByLetters(a, b, count, order) ? order : StrCmpNIW(a, b, static_cast<int>(count));
}

}  // namespace CaseInsensitive
