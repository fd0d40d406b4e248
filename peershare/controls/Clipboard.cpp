#include "controls/Clipboard.h"

#include <cstring>

#include "win/Handles.h"

bool PutClipboardText(HWND owner, const std::string& text) {
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
