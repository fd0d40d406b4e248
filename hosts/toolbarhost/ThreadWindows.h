#pragma once

#include <windows.h>

// The first top-level window of the calling thread with the class name, or
// null. Other programs' windows (tests run side by side) are never found.
HWND FindThreadWindow(const wchar_t* className);
