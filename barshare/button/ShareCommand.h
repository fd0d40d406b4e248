#pragma once

#include <windows.h>
#include <exdisp.h>

#include <memory>
#include <string>

#include "button/ShareWindow.h"
#include "button/ToolbarInterfaces.h"

// What the Share button does when pressed: with someone signed in, the
// address of the page the browser shows is checked, escaped and opened in
// the button's share window on the service's share page; otherwise the
// toolbar is told that nobody is signed in, or the user that the page cannot
// be shared.
class ShareCommand {
 public:
  // Sent to the toolbar window when nobody is signed in.
  static constexpr WPARAM kNotSignedIn = 0xC301;

  // window: the button's share window, made on the first share.
  ShareCommand(HMODULE module, IToolbarHost* host, HWND toolbar, IWebBrowser2* browser,
               std::unique_ptr<ShareWindow>& window);

  // E_POINTER when the toolbar offers no account service, else S_OK.
  HRESULT Execute();

  // The browser's page address: the document's URL, read only when its
  // title can be read; empty on any failure. At most kAddressChars - 1 characters.
  static std::wstring PageAddress(IWebBrowser2* browser);
  // An http or https address with something after the scheme that looks
  // like a web address.
  static bool IsShareable(const std::wstring& address);
  // The share page with the escaped address in its fragment, at most
  // kAddressChars - 1 characters and never ending in half an escape.
  static std::wstring ShareAddress(const std::wstring& address);

 private:
  void Open(const std::wstring& shareAddress);

  HMODULE module_;
  IToolbarHost* host_;
  HWND toolbar_;
  IWebBrowser2* browser_;
  std::unique_ptr<ShareWindow>& window_;
};
