#include "CWnd.h"

#include "CDialog.h"

CWnd::CWnd() : m_hWnd(nullptr) {}
CWnd::~CWnd() = default;

HWND CWnd::GetSafeHwnd() const { return m_hWnd; }
void CWnd::Attach(HWND window) { m_hWnd = window; }
HWND CWnd::Detach() {
  HWND window = m_hWnd;
  m_hWnd = nullptr;
  return window;
}
HWND CWnd::GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
void CWnd::SetWindowText(const wchar_t* text) { ::SetWindowTextW(m_hWnd, text); }
CString CWnd::GetWindowText() const {
  CString text;
  int length = ::GetWindowTextLengthW(m_hWnd);
  if (length <= 0) return text;
  int copied = ::GetWindowTextW(m_hWnd, text.GetBufferSetLength(length + 1), length + 1);
  text.ReleaseBuffer(copied);
  return text;
}
BOOL CWnd::EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::SendMessageW(m_hWnd, message, wParam, lParam);
}
int CWnd::MessageBox(const wchar_t* text, const wchar_t* caption, UINT type) {
  return ::MessageBoxW(m_hWnd, text, caption, type);
}
