#pragma once

#include <windows.h>

namespace certassist {

// Enables one privilege in the process token. The calls that change the
// machine go through a table that a test program linking the library
// statically can point elsewhere, so a restart is never really asked for.
class TokenPrivilege {
 public:
  struct SystemCalls {
    BOOL(WINAPI* adjustTokenPrivileges)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES, PDWORD);
    BOOL(WINAPI* exitWindowsEx)(UINT, DWORD);
  };
  static SystemCalls& Calls();

  // Enables privilege (SE_..._NAME). True when the adjustment call
  // succeeded; lastError is the thread's last error right after it, 0 when
  // the privilege was granted.
  static bool Enable(const wchar_t* privilege, DWORD& lastError);
};

}  // namespace certassist
