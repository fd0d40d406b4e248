#include "controls/HyperLink.h"

#include <commctrl.h>
#include <shellapi.h>

#include "controls/Dialog.h"

namespace {
constexpr UINT_PTR kSubclassId = 0x484C;  // "HL"
constexpr COLORREF kLinkColour = RGB(0, 0, 0xCC);
}  // namespace

HyperLink::~HyperLink() { Detach(); }

bool HyperLink::Attach(HWND control, const std::string& address) {
  Detach();
  if (control == nullptr) return false;
  if (!SetWindowSubclass(control, &HyperLink::Procedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) return false;
  control_ = control;
  address_ = address;
  return true;
}

void HyperLink::Detach() {
  if (control_ != nullptr && IsWindow(control_)) RemoveWindowSubclass(control_, &HyperLink::Procedure, kSubclassId);
  control_ = nullptr;
}

LRESULT CALLBACK HyperLink::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR data) {
  auto* self = reinterpret_cast<HyperLink*>(data);
  switch (message) {
    case kReflectColorStatic:
      SetTextColor(reinterpret_cast<HDC>(wParam), kLinkColour);
      return 1;
    case WM_SETCURSOR:
      SetCursor(LoadCursor(nullptr, IDC_HAND));
      return TRUE;
    case WM_LBUTTONUP:
      ShellExecuteA(GetParent(hwnd), "open", self->address_.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
      return 0;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &HyperLink::Procedure, kSubclassId);
      self->control_ = nullptr;
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}
