#include "controls/Clipboard.h"

#include <cstring>

#include "win/Handles.h"

bool CopyTextToClipboard(HWND owner, const std::string& text) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  bool taken = false;
  win::UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, text.size() + 1));
  if (void* bytes = memory ? GlobalLock(memory.Get()) : nullptr) {
    std::memcpy(bytes, text.c_str(), text.size() + 1);
    GlobalUnlock(memory.Get());
    // The clipboard owns the memory once it took it.
    taken = SetClipboardData(CF_TEXT, memory.Get()) != nullptr;
    if (taken) (void)memory.Release();
  }
  CloseClipboard();
  return taken;
}

std::string ClipboardText(HWND owner) {
  std::string text;
  if (!OpenClipboard(owner)) return text;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
      text.assign(bytes, strnlen(bytes, GlobalSize(data)));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}
