#include "controls/ListWindow.h"

#include <commctrl.h>

#include "controls/WindowClass.h"
#include "frame/ModuleState.h"

namespace {

constexpr const char* kWindowClass = "TovakListWindow";

}  // namespace

// A window still there now gets no more calls into the object.
ListWindow::~ListWindow() {
  if (window_) SetWindowLongPtrA(window_.Get(), GWLP_USERDATA, 0);
  window_.Reset();
}

bool ListWindow::CreateListWindow(HWND parent, int id, const RECT& area, DWORD listStyle) {
  if (window_) return true;
  if (!RegisterWindowClassOnce(kWindowClass, &ListWindow::WindowProc)) return false;
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  const int width = area.right - area.left, height = area.bottom - area.top;
  HWND window = CreateWindowExA(0, kWindowClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, area.left, area.top,
                                width, height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                ModuleState::LibraryModule(), this);
  if (window == nullptr) return false;
  window_.Reset(window);
  HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | listStyle, 0, 0,
                              width, height, window, nullptr, ModuleState::LibraryModule(), nullptr);
  view_.Attach(list);
  view_.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  return list != nullptr;
}

void ListWindow::PutCellText(NMLVDISPINFOA& info, const std::string& text) const {
  if (!(info.item.mask & LVIF_TEXT) || info.item.pszText == nullptr || info.item.cchTextMax <= 0) return;
  cellText_ = text;
  lstrcpynA(info.item.pszText, cellText_.c_str(), info.item.cchTextMax);
}

LRESULT ListWindow::CustomDraw(const NMLVCUSTOMDRAW& draw) {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      return CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPOSTPAINT:
      OnRowPainted(draw.nmcd.hdc, static_cast<int>(draw.nmcd.dwItemSpec));
      return CDRF_DODEFAULT;
    default:
      return CDRF_DODEFAULT;
  }
}

LRESULT ListWindow::OnListMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window_.Get(), message, wParam, lParam);
}

LRESULT CALLBACK ListWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<ListWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr || !self->window_) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_NCDESTROY:
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      self->OnListGone();
      // Destroyed with its parent: nothing is left to destroy.
      (void)self->window_.Release();
      self->view_.Attach(nullptr);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_SIZE: {
      RECT client;
      GetClientRect(window, &client);
      MoveWindow(self->view_.Handle(), 0, 0, client.right, client.bottom, TRUE);
      return 0;
    }
    case WM_NOTIFY: {
      auto& header = *reinterpret_cast<NMHDR*>(lParam);
      return header.hwndFrom == self->view_.Handle() ? self->OnListNotify(header) : 0;
    }
    default:
      return self->OnListMessage(message, wParam, lParam);
  }
}
