#include "controls/Dialog.h"

#include "frame/ModuleState.h"

Dialog::~Dialog() { Destroy(); }

bool Dialog::Create(int templateId, HWND parent) {
  if (hwnd_ != nullptr) return true;
  modal_ = false;
  CreateDialogParamA(ModuleState::ResourceModule(), MAKEINTRESOURCEA(templateId), parent, &Dialog::Procedure,
                     reinterpret_cast<LPARAM>(this));
  return hwnd_ != nullptr;
}

INT_PTR Dialog::DoModal(int templateId, HWND parent) {
  if (hwnd_ != nullptr) return -1;
  modal_ = true;
  return DialogBoxParamA(ModuleState::ResourceModule(), MAKEINTRESOURCEA(templateId), parent, &Dialog::Procedure,
                         reinterpret_cast<LPARAM>(this));
}

void Dialog::Destroy() {
  if (hwnd_ == nullptr) return;
  if (modal_) {
    EndDialog(hwnd_, IDCANCEL);
  } else {
    DestroyWindow(hwnd_);
  }
}

void Dialog::EndModal(INT_PTR result) {
  if (hwnd_ == nullptr) return;
  if (modal_) {
    EndDialog(hwnd_, result);
  } else {
    DestroyWindow(hwnd_);
  }
}

void Dialog::ShowItem(int id, bool show) const {
  if (HWND item = Item(id)) ShowWindow(item, show ? SW_SHOW : SW_HIDE);
}

void Dialog::EnableItem(int id, bool enable) const {
  if (HWND item = Item(id)) EnableWindow(item, enable ? TRUE : FALSE);
}

void Dialog::CheckItem(int id, bool check) const {
  if (HWND item = Item(id)) SendMessageA(item, BM_SETCHECK, check ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Dialog::IsItemChecked(int id) const {
  HWND item = Item(id);
  return item != nullptr && SendMessageA(item, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Dialog::SetItemText(int id, const std::string& text) const {
  if (HWND item = Item(id)) SetWindowTextA(item, text.c_str());
}

std::string Dialog::ItemText(int id) const { return WindowText(Item(id)); }

std::string WindowText(HWND window) {
  if (window == nullptr) return std::string();
  int length = GetWindowTextLengthA(window);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int got = GetWindowTextA(window, &text[0], length + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

INT_PTR CALLBACK Dialog::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    reinterpret_cast<Dialog*>(lParam)->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (self == nullptr) return FALSE;
  INT_PTR result = self->Dispatch(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR result = 0;
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND:
      if (OnCommand(LOWORD(wParam), HIWORD(wParam))) return TRUE;
      break;
    case WM_DESTROY:
      OnDestroy();
      return FALSE;
    case WM_CTLCOLORDLG:
      if (HBRUSH brush = Background()) return reinterpret_cast<INT_PTR>(brush);
      break;
    case WM_CTLCOLORSTATIC:
      return ColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY: {
      // A dialog procedure answers a notification through DWLP_MSGRESULT.
      LRESULT answer = 0;
      if (!OnNotify(*reinterpret_cast<const NMHDR*>(lParam), answer)) break;
      SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, answer);
      return TRUE;
    }
    default:
      break;
  }
  return OnMessage(message, wParam, lParam, result) ? result : FALSE;
}

INT_PTR Dialog::ColorStatic(HDC dc, HWND control) {
  bool reflected = SendMessageA(control, kReflectColorStatic, reinterpret_cast<WPARAM>(dc), 0) != 0;
  HBRUSH brush = Background();
  if (brush == nullptr && !reflected) return FALSE;
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<INT_PTR>(brush != nullptr ? brush : GetSysColorBrush(COLOR_BTNFACE));
}
