#pragma once

#include <cstddef>

// The platform's case-insensitive comparisons (StrCmpIW, StrCmpNIW), which
// cost a locale-aware comparison each. Where the characters compared are
// ASCII letters their answer is plain alphabetical order without case, and
// it is worked out here; anything else is left to the platform.
namespace CaseInsensitive {

// Negative, zero or positive, as StrCmpIW.
int Compare(const wchar_t* a, const wchar_t* b);
// The same over at most `count` characters, as StrCmpNIW.
int Compare(const wchar_t* a, const wchar_t* b, size_t count);

}  // namespace CaseInsensitive
