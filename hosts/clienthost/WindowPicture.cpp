#include "WindowPicture.h"

#include <objidl.h>
#include <gdiplus.h>

#include "win/Handles.h"

namespace {

// The PNG encoder of GDI+ (image/png).
const CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

// Copies the window's screen area; PrintWindow when the screen copy fails.
win::UniqueBitmap CopyWindowImage(HWND window) {
  RECT frame;
  if (!GetWindowRect(window, &frame)) return {};
  int width = frame.right - frame.left, height = frame.bottom - frame.top;
  win::UniqueScreenDc screen(GetDC(nullptr));
  win::UniqueMemoryDc memory(CreateCompatibleDC(screen.Get()));
  win::UniqueBitmap bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
  HGDIOBJ old = SelectObject(memory.Get(), bitmap.Get());
  if (!BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), frame.left, frame.top, SRCCOPY | CAPTUREBLT))
    PrintWindow(window, memory.Get(), 0);
  SelectObject(memory.Get(), old);
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
  win::UniqueBitmap image = CopyWindowImage(window);
  if (!image) return false;
  Gdiplus::Bitmap bitmap(image.Get(), nullptr);
  return bitmap.Save(pngPath.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
}
