#pragma once

#include <windows.h>

// Registers a window class of the plug-in's module with the arrow cursor,
// once: true when it is registered (now or before).
bool RegisterWindowClassOnce(const char* name, WNDPROC procedure);
