#include "PluginLibrary.h"

#include <cstring>

namespace {

BOOL CALLBACK MatchMainWindow(HWND window, LPARAM found) {
  char title[64] = "";
  GetWindowTextA(window, title, sizeof title);
  if (std::strcmp(title, "拓瓦文件交换") != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

}  // namespace

HWND FindPluginMainWindow() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &MatchMainWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}
