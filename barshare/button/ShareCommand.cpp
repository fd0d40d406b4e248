#include "button/ShareCommand.h"

#include <mshtml.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

#include <new>

#include "button/AccountLogin.h"
#include "button/ShareAddresses.h"
#include "button/ShareNoticeDialog.h"
#include "button/UrlRules.h"
#include "webslice/AnsiText.h"
#include "win/ComPtr.h"
#include "win/OleHandles.h"

namespace {

constexpr size_t kAddressChars = WebSliceWindow::kAddressChars;
// The sign-in key buffer when Share is pressed.
constexpr int kClickKeyChars = 512;

// At most maxChars characters of text, up to its first NUL.
std::wstring Cut(const win::UniqueBstr& text, size_t maxChars) {
  if (!text) return std::wstring();
  return std::wstring(text.Get(), wcsnlen(text.Get(), std::min<size_t>(SysStringLen(text.Get()), maxChars)));
}

// "http://" or "https://", in any case, and where the rest begins; 0 when neither.
size_t SchemeLength(const std::string& address) {
  for (const char* scheme : {"http://", "https://"}) {
    const size_t length = strlen(scheme);
    if (address.size() >= length && StrCmpNIA(address.c_str(), scheme, static_cast<int>(length)) == 0) return length;
  }
  return 0;
}

}  // namespace

ShareCommand::ShareCommand(HMODULE module, IToolbarHost* host, HWND toolbar, IWebBrowser2* browser,
                           std::unique_ptr<ShareWindow>& window)
    : module_(module), host_(host), toolbar_(toolbar), browser_(browser), window_(window) {}

HRESULT ShareCommand::Execute() {
  AccountLogin login;
  if (!login.Query(host_, kClickKeyChars)) return E_POINTER;
  if (login.number == 0 || login.key.empty()) {
    SendMessageW(toolbar_, WM_COMMAND, kNotSignedIn, 0);
    return S_OK;
  }
  const std::wstring address = PageAddress(browser_);
  if (!IsShareable(address)) {
    ShareNoticeDialog::Show(module_, toolbar_);
    return S_OK;
  }
  Open(ShareAddress(address));
  return S_OK;
}

std::wstring ShareCommand::PageAddress(IWebBrowser2* browser) {
  if (browser == nullptr) return std::wstring();
  win::ComPtr<IDispatch> document;
  if (FAILED(browser->get_Document(document.Put())) || !document) return std::wstring();
  win::ComPtr<IHTMLDocument2> html;
  if (FAILED(document.As(IID_IHTMLDocument2, html))) return std::wstring();
  win::UniqueBstr title, url;
  if (FAILED(html->get_title(title.Put())) || !title) return std::wstring();
  if (FAILED(html->get_URL(url.Put()))) return std::wstring();
  return Cut(url, kAddressChars - 1);
}

bool ShareCommand::IsShareable(const std::wstring& address) {
  if (!LooksLikeUrl(address.c_str())) return false;
  const std::string ansi = AnsiText::FromWide(address, kAddressChars - 1);
  const size_t scheme = SchemeLength(ansi);
  return scheme != 0 && scheme < ansi.size();
}

// The escaped address gets the room the share page leaves, so that a long
// one is cut by the escaping, which never splits an escape.
std::wstring ShareCommand::ShareAddress(const std::wstring& address) {
  const std::wstring prefix = std::wstring(ShareAddresses::kSharePageUrl) + ShareAddresses::kShareFragment;
  const size_t room = kAddressChars - prefix.size();
  std::wstring escaped(room, L'\0');
  EscapeForUrl(address.c_str(), &escaped[0], static_cast<int>(room), 0);
  escaped.resize(wcslen(escaped.c_str()));
  return prefix + escaped;
}

void ShareCommand::Open(const std::wstring& shareAddress) {
  if (!window_) window_.reset(new (std::nothrow) ShareWindow());
  if (!window_) return;
  if (!IsWindow(window_->Handle()) &&
      !window_->Create(module_, toolbar_, host_, ShareWindow::kWidth, ShareWindow::kHeight)) {
    return;
  }
  HWND window = window_->Handle();
  if (!IsWindowVisible(window)) ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  window_->Navigate(shareAddress.c_str());
}
