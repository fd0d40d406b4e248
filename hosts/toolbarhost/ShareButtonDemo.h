#pragma once

#include <windows.h>

#include <string>

class ToolbarHostDouble;

// The Share button at work in the toolbar double, with the browser control
// double as the browser and as the share window's control: a press with
// nobody signed in, a share with the loading text and the account cookies,
// the notice for a page that cannot be shared, and the web slice window's
// script methods with a signed and a forged cookie. Writes report lines and
// pictures (into pictureFolder, when it is not empty).
class ShareButtonDemo {
 public:
  ShareButtonDemo(ToolbarHostDouble& toolbar, const std::wstring& pictureFolder);

  // True when every step gave what it should.
  bool Run();

 private:
  bool PressWithNobodySignedIn();
  bool ShareAPage();
  bool NoticeForAPageThatCannotBeShared();
  bool ScriptMethods();
  bool Picture(HWND window, const wchar_t* file);
  static bool Check(bool ok, const wchar_t* what);

  ToolbarHostDouble& toolbar_;
  std::wstring pictureFolder_;
};
