#pragma once

// The toolbar's side of a creator registration: reads a registered value back,
// unscrambles it and checks its digest.
#include <windows.h>

#include <string>
#include <vector>

struct CreatorEntry {
  std::wstring path;
  DWORD flags = 0;
};

class CreatorRecordReader {
 public:
  // The key the toolbar unscrambles with on this system.
  static DWORD SystemKey();
  // The raw stored bytes of clsid's value under the Creators key; empty when absent.
  static std::vector<BYTE> ReadValue(REFCLSID classId);
  // Unscrambles value with key; false unless its size, inner size and digest agree.
  static bool Decode(const std::vector<BYTE>& value, DWORD key, CreatorEntry* entry);
  // Both together.
  static bool Read(REFCLSID classId, CreatorEntry* entry);
};
