// Stands in for the user's mail program: the handler of "mailto:" addresses
// that a test registers in the Wine prefix. It is started as
//   mailto_logger.exe LOGFILE ADDRESS...
// and appends one line to LOGFILE (UTF-8): the number of arguments after
// LOGFILE, a tab, and those arguments separated by tabs.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "win/Handles.h"

namespace {

std::string Utf8(const wchar_t* text) {
  int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length > 0 ? length : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, &utf8[0], length, nullptr, nullptr);
  utf8.resize(length > 0 ? static_cast<size_t>(length - 1) : 0);
  return utf8;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr || count < 2) return 2;
  std::string line = std::to_string(count - 2);
  for (int i = 2; i < count; ++i) line += "\t" + Utf8(arguments[i]);
  // Two mails opened at once start two loggers: a mutex orders their lines,
  // and an append-only handle puts each at the end of the file.
  win::UniqueHandle turn(CreateMutexW(nullptr, FALSE, L"mailto_logger_log"));
  if (turn) WaitForSingleObject(turn.Get(), 10000);
  win::UniqueFile file(CreateFileW(arguments[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  LocalFree(arguments);
  line += "\n";
  DWORD written = 0;
  bool logged = file && WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
                written == line.size();
  file.Reset();
  if (turn) ReleaseMutex(turn.Get());
  return logged ? 0 : 1;
}
