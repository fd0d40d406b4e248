// The process tests' stand-in for a vendor's tool. Without arguments it runs
// until it is ended, or for a minute at most, so a failed test leaves nothing
// behind. With "kill-own-name" it asks CCommonFun::KillProcess to end a
// program of its own file name and exits with 100 + the answer.
//
// A windows program: a console program would get a console host of its own
// under Wine, which can outlive it holding the test's output open.
#include <windows.h>

#include <cwchar>

#include "CCommonFun.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t* commandLine, int) {
  if (wcsstr(commandLine, L"kill-own-name") == nullptr) {
    Sleep(60000);
    return 0;
  }
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  CCommonFun tools;
  return 100 + tools.KillProcess(tools.GetFileTitleFromFileName(path, 1));
}
