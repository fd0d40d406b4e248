#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <ostream>
#include <string>

#include "CString.h"

// Failure messages show a CString's text instead of its address.
inline void PrintTo(const CString& text, std::ostream* out) {
  *out << ::testing::PrintToString(std::wstring(text.GetString(), text.GetLength()));
}

inline std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

inline std::string CodePage936(const std::wstring& text) {
  int needed = WideCharToMultiByte(936, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(needed, '\0');
  WideCharToMultiByte(936, 0, text.c_str(), -1, &bytes[0], needed, nullptr, nullptr);
  bytes.resize(needed - 1);
  return bytes;
}
