#pragma once

#include <windows.h>

#include "CString.h"

// A window handle with the few operations the dialogs use. The object does
// not own the window.
class CERTASSIST_API CWnd {
 public:
  CWnd();
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND GetSafeHwnd() const;
  void Attach(HWND window);
  HWND Detach();
  HWND GetDlgItem(int id) const;
  void SetWindowText(const wchar_t* text);
  CString GetWindowText() const;
  BOOL EnableWindow(BOOL enable = TRUE);
  BOOL IsWindowEnabled() const;
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  int MessageBox(const wchar_t* text, const wchar_t* caption = nullptr, UINT type = MB_OK);

  HWND m_hWnd;
};

class CERTASSIST_API CButton : public CWnd {};
