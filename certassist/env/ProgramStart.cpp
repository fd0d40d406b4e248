#include "ProgramStart.h"

#include <string>

#include "win/Handles.h"

namespace certassist {

namespace {

// CreateProcess's reason as WinExec reports it.
UINT AsWinExecResult(DWORD error) {
  switch (error) {
    case ERROR_BAD_EXE_FORMAT: return ERROR_BAD_FORMAT;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return 0;
    default: return error;
  }
}

}  // namespace

const wchar_t* StartFailureMessage(UINT winExecResult) {
  switch (winExecResult) {
    case 0: return L"系统内存不足!";
    case ERROR_FILE_NOT_FOUND: return L"可执行文件没有找到!";
    case ERROR_PATH_NOT_FOUND: return L"可执行文件路径错误!";
    case ERROR_BAD_FORMAT: return L"可执行文件有误!";
    default: return L"未知的错误!";
  }
}

// The program is named on its own and quoted on the command line: a folder
// with blanks ("C:\Program Files\...") must not start "C:\Program.exe".
bool RunAndWait(const CString& program, DWORD timeoutMs) {
  std::wstring commandLine = L"\"" + std::wstring(program.GetString()) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(program, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
    MessageBoxW(nullptr, StartFailureMessage(AsWinExecResult(GetLastError())), nullptr, MB_OK);
    return false;
  }
  win::UniqueProcess process(started.hProcess);
  win::UniqueThread thread(started.hThread);
  WaitForSingleObject(process.Get(), timeoutMs);
  return true;
}

}  // namespace certassist
