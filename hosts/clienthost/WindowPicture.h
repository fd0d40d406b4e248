#pragma once

#include <windows.h>

#include <string>

// Saves what a window shows on the screen as a PNG file (GDI+ encoder).
class WindowPicture {
 public:
  WindowPicture();
  ~WindowPicture();
  WindowPicture(const WindowPicture&) = delete;
  WindowPicture& operator=(const WindowPicture&) = delete;

  bool Save(HWND window, const std::wstring& pngPath);

 private:
  ULONG_PTR token_ = 0;
  bool started_ = false;
};
