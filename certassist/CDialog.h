#pragma once

#include "CWnd.h"

// A modal dialog on a template of certassist's own resources. Subclasses bind
// their controls in DoDataExchange and handle further messages in OnWndMsg.
class CERTASSIST_API CDialog : public CWnd {
 public:
  CDialog(UINT templateId, CWnd* parent);
  virtual ~CDialog();

  // IDOK or IDCANCEL as the dialog ended, -1 when it could not be shown.
  virtual INT_PTR DoModal();
  void EndDialog(int result);

 protected:
  virtual BOOL OnInitDialog();
  virtual void DoDataExchange();
  virtual void OnOK();
  virtual void OnCancel();
  // TRUE when the message was handled; result is what the dialog returns.
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
};

// The module whose resources certassist's dialogs and icons come from.
CERTASSIST_API HINSTANCE CertAssistInstance();
