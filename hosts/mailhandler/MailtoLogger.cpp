// Stands in for the user's mail program: the handler of "mailto:" addresses
// that a test registers in the Wine prefix. It is started as
//   mailto_logger.exe LOGFILE ADDRESS...
// and appends one line to LOGFILE (UTF-8): the number of arguments after
// LOGFILE, a tab, and those arguments separated by tabs.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

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
  FILE* file = _wfopen(arguments[1], L"ab");
  LocalFree(arguments);
  if (file == nullptr) return 1;
  std::fprintf(file, "%s\n", line.c_str());
  std::fclose(file);
  return 0;
}
