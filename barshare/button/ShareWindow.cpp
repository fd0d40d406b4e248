#include "button/ShareWindow.h"

#include <exdispid.h>
#include <shlwapi.h>
#include <wininet.h>

#include <cwchar>

#include "button/AccountLogin.h"
#include "button/ShareAddresses.h"
#include "webslice/AnsiText.h"

namespace {

// The sign-in key buffer when the cookies are set.
constexpr int kCookieKeyChars = 513;

}  // namespace

ShareWindow::ShareWindow() : WebSliceWindow(kKeepOuterBorder) {}

// The window goes first, while this object still handles its messages.
ShareWindow::~ShareWindow() { DestroyOwnWindow(); }

HRESULT ShareWindow::OnBrowserEvent(DISPID id, DISPPARAMS* arguments) {
  if (id == DISPID_NAVIGATECOMPLETE2) SetAccountCookies(arguments);
  if (id == DISPID_WINDOWCLOSING) DestroyOwnWindow();
  return WebSliceWindow::OnBrowserEvent(id, arguments);
}

// NavigateComplete2(browser, address): the address is the second argument.
void ShareWindow::SetAccountCookies(const DISPPARAMS* arguments) {
  const std::optional<std::wstring> url = AnsiText::Read(TextArgument(arguments, 1), kAddressChars - 1);
  if (!url || url->empty() || StrStrIW(url->c_str(), ShareAddresses::kSharePageUrl) == nullptr) return;
  AccountLogin login;
  if (!login.Query(SharedHost(), kCookieKeyChars) || login.result == 0) return;
  wchar_t cookie[kCookieChars];
  swprintf(cookie, kCookieChars, L"uin=o%010d;", login.number);
  InternetSetCookieW(ShareAddresses::kMainSiteUrl, nullptr, cookie);
  swprintf(cookie, kCookieChars, L"skey=%ls;", login.key.c_str());
  InternetSetCookieW(ShareAddresses::kMainSiteUrl, nullptr, cookie);
}
