#include "HostReport.h"

#include <cstdarg>
#include <cstdio>
#include <string>

void Report(const char* format, ...) {
  char line[2048];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
  int wideLength = MultiByteToWideChar(CP_ACP, 0, line, -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(wideLength > 0 ? wideLength : 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, line, -1, &wide[0], wideLength);
  int length = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length > 0 ? length : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &utf8[0], length, nullptr, nullptr);
  std::printf("  %s\n", utf8.c_str());
  std::fflush(stdout);
}

bool ReportCheck(bool ok, const char* what) {
  Report("%-52s %s", what, ok ? "ok" : "FAILED");
  return ok;
}

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
  DWORD end = GetTickCount() + milliseconds;
  while (!done()) {
    if (static_cast<LONG>(end - GetTickCount()) <= 0) return false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(10);
  }
  return true;
}
