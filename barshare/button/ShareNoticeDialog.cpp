#include "button/ShareNoticeDialog.h"

#include "webslice/WindowPlacement.h"

INT_PTR ShareNoticeDialog::Show(HMODULE module, HWND owner) {
  return DialogBoxParamW(module, MAKEINTRESOURCEW(kDialogId), owner, &ShareNoticeDialog::Procedure, 0);
}

INT_PTR CALLBACK ShareNoticeDialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      WindowPlacement::PlaceWindow(dialog, GetWindow(dialog, GW_OWNER), WindowPlacement::Rule::UpperFifth);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}
