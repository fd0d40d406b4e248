#include "CDialog.h"

#include <commctrl.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

HINSTANCE CertAssistInstance() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}
CDialog::~CDialog() {
  if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
}

INT_PTR CDialog::DoModal() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  HWND parent = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : nullptr;
  return DialogBoxParamW(CertAssistInstance(), MAKEINTRESOURCEW(m_nIDTemplate), parent, DialogProc,
                         reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(int result) { ::EndDialog(m_hWnd, result); }

BOOL CDialog::OnInitDialog() { return TRUE; }
void CDialog::DoDataExchange() {}
void CDialog::OnOK() { EndDialog(IDOK); }
void CDialog::OnCancel() { EndDialog(IDCANCEL); }
BOOL CDialog::OnWndMsg(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    reinterpret_cast<CDialog*>(lParam)->m_hWnd = window;
  }
  CDialog* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER));
  if (dialog == nullptr) return FALSE;
  INT_PTR handled = dialog->Dispatch(message, wParam, lParam);
  if (message == WM_NCDESTROY) dialog->m_hWnd = nullptr;
  return handled;
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    DoDataExchange();
    return OnInitDialog();
  }
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDOK) {
    OnOK();
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    OnCancel();
    return TRUE;
  }
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) return FALSE;
  SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
  return TRUE;
}
