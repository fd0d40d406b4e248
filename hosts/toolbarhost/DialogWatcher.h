#pragma once

// Answers the modal dialogs that open on this thread while it lives, as a
// user would: each dialog is noted (caption, text, place, owner), handed to
// an optional action (a picture, say), then closed with OK. It works through
// a thread timer, which the dialog's own message loop dispatches.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class DialogWatcher {
 public:
  struct Dialog {
    std::wstring caption;
    std::wstring text;  // the first static text control's
    RECT frame;
    HWND owner;
  };
  using Action = std::function<void(HWND dialog)>;

  explicit DialogWatcher(Action beforeClosing = Action());
  ~DialogWatcher();
  DialogWatcher(const DialogWatcher&) = delete;
  DialogWatcher& operator=(const DialogWatcher&) = delete;

  const std::vector<Dialog>& Seen() const { return seen_; }

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  static BOOL CALLBACK OnThreadWindow(HWND window, LPARAM self);
  void Answer(HWND dialog);

  Action beforeClosing_;
  UINT_PTR timer_ = 0;
  std::vector<Dialog> seen_;
  std::vector<HWND> answered_;
};
