#pragma once

#include <windows.h>

// What a client needs to reach a loaded plug-in: its exports by name and the
// main window it creates on the client's thread.

template <typename Function>
Function Export(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The plug-in's main window among this thread's windows ("拓瓦文件交换"):
// other programs may show windows of the same title at the same time.
HWND FindPluginMainWindow();
