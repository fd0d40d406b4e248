#include "DialogWatcher.h"

#include <algorithm>

namespace {

// The watcher of this thread; one at a time.
thread_local DialogWatcher* current = nullptr;

BOOL CALLBACK FindStaticText(HWND child, LPARAM found) {
  wchar_t className[16] = L"";
  GetClassNameW(child, className, 16);
  if (lstrcmpiW(className, L"Static") != 0 || (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
    return TRUE;
  }
  *reinterpret_cast<HWND*>(found) = child;
  return FALSE;
}

std::wstring TextOf(HWND window) {
  wchar_t text[512] = L"";
  if (window != nullptr) GetWindowTextW(window, text, 512);
  return text;
}

}  // namespace

DialogWatcher::DialogWatcher(Action beforeClosing) : beforeClosing_(std::move(beforeClosing)) {
  current = this;
  timer_ = SetTimer(nullptr, 0, 30, &DialogWatcher::OnTimer);
}

DialogWatcher::~DialogWatcher() {
  if (timer_ != 0) KillTimer(nullptr, timer_);
  if (current == this) current = nullptr;
}

void CALLBACK DialogWatcher::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (current == nullptr) return;
  // A closed dialog's handle may come back for the next one.
  auto& answered = current->answered_;
  answered.erase(std::remove_if(answered.begin(), answered.end(), [](HWND dialog) { return !IsWindow(dialog); }),
                 answered.end());
  EnumThreadWindows(GetCurrentThreadId(), &DialogWatcher::OnThreadWindow, reinterpret_cast<LPARAM>(current));
}

BOOL CALLBACK DialogWatcher::OnThreadWindow(HWND window, LPARAM self) {
  wchar_t className[16] = L"";
  GetClassNameW(window, className, 16);
  if (lstrcmpW(className, L"#32770") == 0 && IsWindowVisible(window)) {
    reinterpret_cast<DialogWatcher*>(self)->Answer(window);
  }
  return TRUE;
}

void DialogWatcher::Answer(HWND dialog) {
  if (std::find(answered_.begin(), answered_.end(), dialog) != answered_.end()) return;
  answered_.push_back(dialog);
  Dialog seen;
  seen.caption = TextOf(dialog);
  HWND text = nullptr;
  EnumChildWindows(dialog, &FindStaticText, reinterpret_cast<LPARAM>(&text));
  seen.text = TextOf(text);
  GetWindowRect(dialog, &seen.frame);
  seen.owner = GetWindow(dialog, GW_OWNER);
  seen_.push_back(seen);
  if (beforeClosing_) beforeClosing_(dialog);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}
