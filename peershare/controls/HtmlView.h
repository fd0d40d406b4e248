#pragma once

#include <windows.h>
#include <exdisp.h>
#include <ole2.h>

#include <string>

#include "win/ComPtr.h"

// A child window hosting the system's web browser control. Creation fails
// (and leaves no window behind) where the control cannot be created or
// activated; the parent then simply goes without it. The thread must have
// initialised OLE.
class HtmlView {
 public:
  HtmlView();
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

  // A child window: the parent may have destroyed it already, so it is
  // destroyed here only while it still exists.
  HWND window_ = nullptr;
  win::ComPtr<Site> site_;
  win::ComPtr<IOleObject> browser_;
  win::ComPtr<IWebBrowser2> web_;
};
