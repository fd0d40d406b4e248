#pragma once

#include <windows.h>

#include <cstddef>

// The top-level domains under which names are registered, as a browser would
// recognise a bare host name ("example.com"). Looked up without regard to case.
class RegistrableTldTable {
 public:
  static constexpr size_t kEntryChars = 9;  // at most 8 letters and a NUL

  static bool Contains(const wchar_t* name);
  static size_t Size();
  static const wchar_t* Entry(size_t index);
};
