#pragma once

#include <string>
#include <vector>

// The host names of the system's hosts file: the first name after the address
// on each line. Read on first use and kept for the life of the process.
class HostsFileNames {
 public:
  // True when host is one of the names, any case.
  static bool Contains(const wchar_t* host);
  static const std::vector<std::wstring>& Names();
  // The hosts file of this system.
  static std::wstring Path();
  // The name one line of the file gives, or false when it gives none.
  static bool ParseLine(const char* line, std::wstring* name);
  // Every name of the file at path; empty when it cannot be read.
  static std::vector<std::wstring> Load(const std::wstring& path);
};
