#pragma once

#include <windows.h>
#include <psapi.h>

#include <string>

#include "TempFolder.h"
#include "win/Handles.h"

// A copy of the process helper under a name of the test's choosing, started
// in a folder of its own and ended, if still running, when the object goes.
class TestProcess {
 public:
  // The process helper built beside this test program.
  static std::wstring HelperPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.rfind(L'\\') + 1) + L"certassist_process_helper.exe";
  }

  explicit TestProcess(const std::wstring& exeName, const std::wstring& arguments = L"") {
    std::wstring folder(folder_.Path().begin(), folder_.Path().end());
    path_ = folder + L"\\" + exeName;
    if (!CopyFileW(HelperPath().c_str(), path_.c_str(), FALSE)) return;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::wstring commandLine = L"\"" + path_ + L"\" " + arguments;
    if (!CreateProcessW(path_.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started))
      return;
    process_.Reset(started.hProcess);
    win::UniqueThread thread(started.hThread);
    id_ = started.dwProcessId;
    // The process is found by its first module once the loader has listed it.
    for (int attempt = 0; attempt < 200 && IsRunning() && !HasModules(); ++attempt) Sleep(25);
  }
  ~TestProcess() {
    if (process_ && IsRunning()) TerminateProcess(process_.Get(), 1);
    if (process_) WaitForSingleObject(process_.Get(), 5000);
  }
  TestProcess(const TestProcess&) = delete;
  TestProcess& operator=(const TestProcess&) = delete;

  bool Started() const { return id_ != 0; }
  DWORD Id() const { return id_; }
  const std::wstring& Path() const { return path_; }
  bool IsRunning() const { return process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT; }
  // Waits for the end; the exit code, or STILL_ACTIVE when it did not end.
  DWORD ExitCode(DWORD waitMs = 5000) const {
    DWORD code = STILL_ACTIVE;
    if (process_ && WaitForSingleObject(process_.Get(), waitMs) == WAIT_OBJECT_0) GetExitCodeProcess(process_.Get(), &code);
    return code;
  }
  // Lets the process go (its identifier is then free for reuse).
  void Forget() { process_.Reset(); }

 private:
  bool HasModules() const {
    HMODULE first = nullptr;
    DWORD needed = 0;
    return EnumProcessModules(process_.Get(), &first, sizeof first, &needed) && needed > 0;
  }

  TempFolder folder_;
  std::wstring path_;
  win::UniqueProcess process_;
  DWORD id_ = 0;
};
