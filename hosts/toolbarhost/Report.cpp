#include "Report.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace Report {

void Line(const wchar_t* format, ...) {
  std::vector<wchar_t> line(4096);
  va_list arguments;
  va_start(arguments, format);
  vswprintf(line.data(), line.size(), format, arguments);
  va_end(arguments);
  const int length = WideCharToMultiByte(CP_UTF8, 0, line.data(), -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(length > 0 ? static_cast<size_t>(length) : 1u, '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.data(), -1, &bytes[0], length, nullptr, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size() - 1, stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

}  // namespace Report
