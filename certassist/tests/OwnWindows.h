#pragma once

#include <windows.h>

#include <functional>

#include "CString.h"

// Finds and reads the dialogs and message boxes this test program shows, from
// a thread other than the one that runs them.
class OwnWindows {
 public:
  // Polls find for up to ten seconds; null when it never answers a window.
  static HWND WaitFor(const std::function<HWND()>& find) {
    for (int attempt = 0; attempt < 400; ++attempt) {
      if (HWND window = find()) return window;
      Sleep(25);
    }
    return nullptr;
  }

  // A dialog window of this process with caption (any caption when null) and owner.
  static HWND FindOwnWindow(const wchar_t* caption, HWND owner) {
    for (HWND window = FindWindowExW(nullptr, nullptr, L"#32770", caption); window != nullptr;
         window = FindWindowExW(nullptr, window, L"#32770", caption)) {
      DWORD process = 0;
      GetWindowThreadProcessId(window, &process);
      if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
          (owner == nullptr || GetWindow(window, GW_OWNER) == owner))
        return window;
    }
    return nullptr;
  }

  // The texts of window's children, each followed by "|".
  static CString ChildTexts(HWND window) {
    CString texts;
    EnumChildWindows(window, AppendChildText, reinterpret_cast<LPARAM>(&texts));
    return texts;
  }

 private:
  // A window enumeration callback is stdcall on i686: a lambda does not convert.
  static BOOL CALLBACK AppendChildText(HWND child, LPARAM all) {
    wchar_t text[256] = {};
    GetWindowTextW(child, text, 256);
    *reinterpret_cast<CString*>(all) += text;
    *reinterpret_cast<CString*>(all) += L"|";
    return TRUE;
  }
};
