#include "TokenPrivilege.h"

#include "win/Handles.h"

namespace certassist {

TokenPrivilege::SystemCalls& TokenPrivilege::Calls() {
  static SystemCalls calls = {&AdjustTokenPrivileges, &ExitWindowsEx};
  return calls;
}

bool TokenPrivilege::Enable(const wchar_t* privilege, DWORD& lastError) {
  lastError = ERROR_INVALID_HANDLE;
  win::UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Put())) {
    lastError = GetLastError();
    return false;
  }
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueW(nullptr, privilege, &privileges.Privileges[0].Luid)) {
    lastError = GetLastError();
    return false;
  }
  // The call reports a privilege the token lacks only through the last error,
  // and not every system clears it on success.
  SetLastError(ERROR_SUCCESS);
  BOOL adjusted = Calls().adjustTokenPrivileges(token.Get(), FALSE, &privileges, sizeof privileges, nullptr, nullptr);
  lastError = GetLastError();
  return adjusted != FALSE;
}

}  // namespace certassist
