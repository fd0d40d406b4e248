#include "controls/SplitterBar.h"

#include <windowsx.h>

#include <algorithm>

#include "controls/WindowClass.h"
#include "frame/ModuleState.h"

namespace {
constexpr const char* kClassName = "TovakSplitterBar";
}

bool SplitterBar::Create(HWND parent, int id, Direction direction, int position) {
  if (!RegisterWindowClassOnce(kClassName, &SplitterBar::WindowProc)) return false;
  direction_ = direction;
  position_ = position;
  window_ = CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ModuleState::LibraryModule(), this);
  return window_ != nullptr;
}

void SplitterBar::Place(int from, int to) {
  from_ = from;
  to_ = std::max(from, to);
  if (direction_ == Direction::Horizontal)
    MoveWindow(window_, from_, position_, to_ - from_, kThickness, TRUE);
  else
    MoveWindow(window_, position_, from_, kThickness, to_ - from_, TRUE);
}

int SplitterBar::Clamp(int position) const {
  RECT area = {};
  GetClientRect(GetParent(window_), &area);
  int limit = (direction_ == Direction::Horizontal ? area.bottom : area.right) - kThickness;
  return std::max(0, std::min(position, limit));
}

void SplitterBar::MoveTo(int position) {
  position_ = Clamp(position);
  Place(from_, to_);
  SendMessageA(GetParent(window_), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window_), kMoved),
               reinterpret_cast<LPARAM>(window_));
}

LRESULT CALLBACK SplitterBar::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* bar = reinterpret_cast<SplitterBar*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (bar == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  const bool horizontal = bar->direction_ == Direction::Horizontal;
  switch (message) {
    case WM_SETCURSOR:
      SetCursor(LoadCursor(nullptr, horizontal ? IDC_SIZENS : IDC_SIZEWE));
      return TRUE;
    case WM_LBUTTONDOWN:
      bar->dragging_ = true;
      bar->grip_ = horizontal ? GET_Y_LPARAM(lParam) : GET_X_LPARAM(lParam);
      SetCapture(window);
      return 0;
    case WM_MOUSEMOVE:
      if (bar->dragging_) {
        POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        MapWindowPoints(window, GetParent(window), &point, 1);
        bar->MoveTo((horizontal ? point.y : point.x) - bar->grip_);
      }
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (bar->dragging_) {
        bar->dragging_ = false;
        if (message == WM_LBUTTONUP) ReleaseCapture();
      }
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      bar->window_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
