#pragma once

#include <windows.h>

// Dialog 294: tells the user that the current page cannot be shared. Modal,
// placed over its owner in the upper fifth and inside the work area.
class ShareNoticeDialog {
 public:
  static constexpr WORD kDialogId = 294;

  // Shows the dialog from module's resources and returns when it is closed:
  // 1 for OK, 2 for Cancel, -1 when it could not be shown.
  static INT_PTR Show(HMODULE module, HWND owner);

 private:
  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
};
