#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>

#include "controls/Dialog.h"

// Runs `action` once on the first dialog window of this thread that
// `matches`, from a timer the modal loop dispatches.
class ModalDriver {
 public:
  ModalDriver(std::function<bool(HWND)> matches, std::function<void(HWND)> action)
      : matches_(std::move(matches)), action_(std::move(action)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 30, &ModalDriver::OnTimer);
  }
  ~ModalDriver() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  bool Acted() const { return acted_; }

 private:
  static bool IsShownDialog(HWND window) {
    char name[32] = "";
    GetClassNameA(window, name, sizeof name);
    return std::string(name) == "#32770" && IsWindowVisible(window);
  }
  static BOOL CALLBACK Find(HWND window, LPARAM found) {
    if (!IsShownDialog(window) || !current_->matches_(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  // A dialog that never reaches the awaited state is cancelled, so that the
  // test fails instead of waiting for CTest's time limit.
  static BOOL CALLBACK Cancel(HWND window, LPARAM) {
    if (IsShownDialog(window)) PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
  }
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (current_ == nullptr || current_->acted_) return;
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &Find, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr) {
      if (GetTickCount() - current_->started_ > kPatience) EnumThreadWindows(GetCurrentThreadId(), &Cancel, 0);
      return;
    }
    current_->acted_ = true;
    current_->action_(dialog);
  }

  static constexpr DWORD kPatience = 30000;

  static inline ModalDriver* current_ = nullptr;
  std::function<bool(HWND)> matches_;
  std::function<void(HWND)> action_;
  UINT_PTR timer_ = 0;
  DWORD started_ = GetTickCount();
  bool acted_ = false;
};

inline bool Titled(HWND window, const char* title) { return WindowText(window) == title; }

inline void Press(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// The texts of a dialog's children, each followed by '|'.
inline std::string StaticTexts(HWND dialog) {
  std::string texts;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    texts += WindowText(child) + "|";
  return texts;
}
