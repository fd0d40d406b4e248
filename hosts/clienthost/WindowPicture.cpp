#include "WindowPicture.h"

#include <objidl.h>
#include <gdiplus.h>

namespace {

// The PNG encoder of GDI+ (image/png).
const CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

// Copies the window's screen area; PrintWindow when the screen copy fails.
HBITMAP CopyWindowImage(HWND window) {
  RECT frame;
  if (!GetWindowRect(window, &frame)) return nullptr;
  int width = frame.right - frame.left, height = frame.bottom - frame.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  if (!BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY | CAPTUREBLT))
    PrintWindow(window, memory, 0);
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

}  // namespace

WindowPicture::WindowPicture() {
  Gdiplus::GdiplusStartupInput input;
  started_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
}

WindowPicture::~WindowPicture() {
  if (started_) Gdiplus::GdiplusShutdown(token_);
}

bool WindowPicture::Save(HWND window, const std::wstring& pngPath) {
  if (!started_ || window == nullptr) return false;
  HBITMAP image = CopyWindowImage(window);
  if (image == nullptr) return false;
  bool saved = false;
  {
    Gdiplus::Bitmap bitmap(image, nullptr);
    saved = bitmap.Save(pngPath.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
  }
  DeleteObject(image);
  return saved;
}
