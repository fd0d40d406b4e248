// Stands in for a vendor's "uninst.exe": records that it ran, by appending
// its own path (UTF-8) to "fake-uninstallers.log" in the temporary folder,
// and ends. It removes nothing: what the removal itself does is what the
// tests look at.
#include <windows.h>

#include <string>

#include "win/Handles.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  std::wstring log = std::wstring(temp) + L"fake-uninstallers.log";
  int bytes = WideCharToMultiByte(CP_UTF8, 0, self, -1, nullptr, 0, nullptr, nullptr);
  std::string line(bytes > 0 ? bytes - 1 : 0, '\0');
  if (bytes > 1) WideCharToMultiByte(CP_UTF8, 0, self, -1, &line[0], bytes, nullptr, nullptr);
  line += "\r\n";
  // Appends are atomic: two uninstallers never mix their lines.
  win::UniqueFile file(CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ? 0 : 1;
}
