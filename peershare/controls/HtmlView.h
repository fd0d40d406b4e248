#pragma once

#include <windows.h>
#include <exdisp.h>
#include <ole2.h>

#include <string>

// A child window hosting the system's web browser control. Creation fails
// (and leaves no window behind) where the control cannot be created or
// activated; the parent then simply goes without it. The thread must have
// initialised OLE.
class HtmlView {
 public:
  HtmlView() = default;
  ~HtmlView();
  HtmlView(const HtmlView&) = delete;
  HtmlView& operator=(const HtmlView&) = delete;

  bool Create(HWND parent, int id, const RECT& place);
  bool Navigate(const std::string& address);
  void Destroy();
  HWND Handle() const { return window_; }

 private:
  class Site;
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool Embed();

  HWND window_ = nullptr;
  Site* site_ = nullptr;
  IOleObject* browser_ = nullptr;
  IWebBrowser2* web_ = nullptr;
};
