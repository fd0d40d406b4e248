#pragma once

#include <windows.h>
#include <exdisp.h>
#include <ole2.h>

#include <string>

#include "win/ComPtr.h"
#include "win/Handles.h"

// A child window hosting the system's web browser control. Creation fails
// (and leaves no window behind) where the control cannot be created or
// activated; the parent then simply goes without it. The thread must have
// initialised OLE.
class HtmlView {
 public:
  HtmlView();
  ~HtmlView();

  bool Create(HWND parent, int id, const RECT& place);
  bool Navigate(const std::string& address);
  void Destroy();
  HWND Handle() const { return window_.Get(); }

 private:
  class Site;
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool Embed();

  win::UniqueChildWindow window_;
  win::ComPtr<Site> site_;
  win::ComPtr<IOleObject> browser_;
  win::ComPtr<IWebBrowser2> web_;
};
