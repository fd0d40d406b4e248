#include "ShareButtonDemo.h"

#include <exdispid.h>
#include <wininet.h>

#include <string>
#include <vector>

#include "AccountServiceDouble.h"
#include "BrowserDouble.h"
#include "BrowserDoubleRecords.h"
#include "CookieSigner.h"
#include "DialogWatcher.h"
#include "ThreadWindows.h"
#include "Report.h"
#include "ScriptCall.h"
#include "ToolbarHostDouble.h"
#include "WindowPicture.h"
#include "button/ShareAddresses.h"
#include "webslice/AnsiText.h"
#include "webslice/SignedCookieCheck.h"
#include "webslice/WebSliceWindow.h"
#include "win/ComPtr.h"

namespace {

const wchar_t kPage[] = L"http://news.example.com/2024/今日 100%.html";

// The control's latest navigation; an empty one when there is none.
RecordedNavigation LastNavigation(IBrowserDouble* control) {
  const std::vector<RecordedNavigation> navigations = NavigationsOf(control);
  return navigations.empty() ? RecordedNavigation() : navigations.back();
}

std::wstring CookiesOf(const wchar_t* url) {
  wchar_t text[2048] = L"";
  DWORD size = ARRAYSIZE(text);
  return InternetGetCookieW(url, nullptr, text, &size) ? std::wstring(text) : std::wstring(L"(none)");
}

std::wstring Title(HWND window) {
  wchar_t text[128] = L"";
  GetWindowTextW(window, text, 128);
  return text;
}

// A web slice window that says which cookies passed the signature check.
class ReportingSliceWindow : public WebSliceWindow {
 public:
  ~ReportingSliceWindow() override { DestroyOwnWindow(); }
  void OnVerifiedCookie(const wchar_t* cookie) override {
    verified.push_back(cookie);
    Report::Line(L"    OnVerifiedCookie(\"%ls\")", cookie);
  }
  std::vector<std::wstring> verified;
};

}  // namespace

ShareButtonDemo::ShareButtonDemo(ToolbarHostDouble& toolbar, const std::wstring& pictureFolder)
    : toolbar_(toolbar), pictureFolder_(pictureFolder) {}

bool ShareButtonDemo::Check(bool ok, const wchar_t* what) {
  Report::Line(L"  %-60ls %ls", what, ok ? L"ok" : L"FAILED");
  return ok;
}

bool ShareButtonDemo::Picture(HWND window, const wchar_t* file) {
  if (pictureFolder_.empty()) return true;
  toolbar_.PumpMessages(600);
  WindowPicture pictures;
  const bool saved = pictures.Save(window, pictureFolder_ + L"\\" + file);
  Report::Line(L"  picture %ls: %ls", file, saved ? L"saved" : L"NOT SAVED");
  return saved;
}

bool ShareButtonDemo::Run() {
  bool ok = PressWithNobodySignedIn();
  ok = ShareAPage() && ok;
  ok = NoticeForAPageThatCannotBeShared() && ok;
  ok = ScriptMethods() && ok;
  return ok;
}

bool ShareButtonDemo::PressWithNobodySignedIn() {
  Report::Line(L"-- Share pressed with nobody signed in");
  toolbar_.Accounts().SignIn(0, L"");
  const size_t before = toolbar_.Commands().size();
  const HRESULT result = toolbar_.Button(0)->Execute();
  const bool told = toolbar_.Commands().size() == before + 1 && toolbar_.Commands().back().wParam == 0xC301;
  Report::Line(L"  Execute: 0x%08lx; the toolbar got WM_COMMAND 0x%04x", static_cast<unsigned long>(result),
               told ? 0xC301u : 0u);
  return Check(told && FindThreadWindow(WebSliceWindow::kClassName) == nullptr, L"only command 0xC301, no window");
}

bool ShareButtonDemo::ShareAPage() {
  Report::Line(L"-- Share pressed for \"%ls\" with account 12345 signed in", kPage);
  toolbar_.Accounts().SignIn(12345, L"demo-skey-7f3a");
  win::ComPtr<IBrowserDouble> page;
  toolbar_.Browser()->QueryInterface(IID_IBrowserDouble, page.PutVoid());
  if (!page) return Check(false, L"the browser is the control double");
  page->SetPage(L"示例新闻", kPage, kDocumentHtml);
  const HRESULT result = toolbar_.Button(0)->Execute();
  HWND window = FindThreadWindow(WebSliceWindow::kClassName);
  RECT frame = {};
  GetWindowRect(window, &frame);
  Report::Line(L"  Execute: 0x%08lx; share window \"%ls\", %ldx%ld, owned by the toolbar: %ls",
               static_cast<unsigned long>(result), Title(window).c_str(), frame.right - frame.left,
               frame.bottom - frame.top, GetWindow(window, GW_OWNER) == toolbar_.Window() ? L"yes" : L"no");
  win::ComPtr<IBrowserDouble> control = BrowserDoubleIn(window);
  if (!control) return Check(false, L"the share window hosts the control");
  const std::wstring shareUrl = LastNavigation(control.Get()).url;
  Report::Line(L"  Navigate2: %ls", shareUrl.c_str());
  bool ok = Check(shareUrl.rfind(ShareAddresses::kSharePageUrl, 0) == 0, L"share page with the escaped address");

  control->Fire(DISPID_DOWNLOADBEGIN, nullptr);
  const bool loading = !IsWindowVisible(control->EmbeddingWindow());
  Report::Line(L"  DownloadBegin: loading text \"%ls\" shown: %ls",
               WebSliceWindow::LoadingText(GetUserDefaultUILanguage()), loading ? L"yes" : L"no");
  ok = Picture(window, L"share-window-loading.png") && ok;

  control->Fire(DISPID_NAVIGATECOMPLETE2, shareUrl.c_str());
  control->Fire(DISPID_DOWNLOADCOMPLETE, nullptr);
  control->Fire(DISPID_DOCUMENTCOMPLETE, shareUrl.c_str());
  const std::wstring cookies = CookiesOf(ShareAddresses::kMainSiteUrl);
  Report::Line(L"  NavigateComplete2 of the share page; InternetGetCookieW(%ls): %ls", ShareAddresses::kMainSiteUrl,
               cookies.c_str());
  ok = Check(loading && cookies == L"uin=o0000012345; skey=demo-skey-7f3a", L"loading text, then both cookies") && ok;
  ok = Picture(window, L"share-window.png") && ok;

  control->Fire(DISPID_WINDOWCLOSING, nullptr);
  return Check(!IsWindow(window), L"the page's WindowClosing closes the share window") && ok;
}

bool ShareButtonDemo::NoticeForAPageThatCannotBeShared() {
  Report::Line(L"-- Share pressed for \"about:blank\"");
  win::ComPtr<IBrowserDouble> page;
  toolbar_.Browser()->QueryInterface(IID_IBrowserDouble, page.PutVoid());
  page->SetPage(L"空白页", L"about:blank", kDocumentHtml);
  bool pictured = false;
  DialogWatcher watcher([&](HWND dialog) { pictured = Picture(dialog, L"share-notice.png"); });
  toolbar_.Button(0)->Execute();
  if (watcher.Seen().size() != 1) return Check(false, L"dialog 294 shown");
  const DialogWatcher::Dialog& notice = watcher.Seen()[0];
  Report::Line(L"  dialog 294 \"%ls\": \"%ls\" at (%ld, %ld), %ldx%ld; closed with OK", notice.caption.c_str(),
               notice.text.c_str(), notice.frame.left, notice.frame.top, notice.frame.right - notice.frame.left,
               notice.frame.bottom - notice.frame.top);
  return Check(pictured || pictureFolder_.empty(), L"notice shown, no share window") &&
         FindThreadWindow(WebSliceWindow::kClassName) == nullptr;
}

bool ShareButtonDemo::ScriptMethods() {
  Report::Line(L"-- Web slice window script methods (the window class linked into this host)");
  ReportingSliceWindow window;
  // The class is registered for this program: barshare.dll's own copy of it
  // belongs to the DLL's share windows.
  if (!window.Create(GetModuleHandleW(nullptr), toolbar_.Window(), nullptr, 460, 402)) {
    return Check(false, L"window created");
  }
  ShowWindow(window.Handle(), SW_SHOWNOACTIVATE);
  win::ComPtr<IBrowserDouble> control = BrowserDoubleIn(window.Handle());
  if (!control) return Check(false, L"the window hosts the control");
  const wchar_t form[] = L"title=%E7%A4%BA%E4%BE%8B&from=toolbar";
  SendMessageW(window.Handle(), WebSliceWindow::kNavigateWithForm,
               reinterpret_cast<WPARAM>(ShareAddresses::kSharePageUrl), reinterpret_cast<LPARAM>(form));
  const RecordedNavigation posted = LastNavigation(control.Get());
  Report::Line(L"  WM_USER+3 with form data: %u bytes posted, headers \"%ls\"",
               static_cast<unsigned>(posted.postData.size()), posted.headers.substr(0, 47).c_str());
  const std::string key = window.NavigationKey();
  Report::Line(L"  NavigationKey (MD5 of the address): %hs", key.c_str());

  const std::string cookie = "vip=1; path=/";
  const std::string signature = CookieSigner::Sign(cookie, key, kCookieFixedText);
  Report::Line(L"  SetCookie(\"%hs\", signed by the signing double):", cookie.c_str());
  const ScriptValue signatureText = ScriptValue::Text(AnsiText::ToWide(signature));
  CallScript(control.Get(), L"SetCookie", {ScriptValue::Text(AnsiText::ToWide(cookie)), signatureText});
  const bool accepted = window.verified.size() == 1;
  CallScript(control.Get(), L"SetCookie", {ScriptValue::Text(L"vip=2; path=/"), signatureText});
  const bool refused = window.verified.size() == 1;
  Report::Line(L"  SetCookie(\"vip=2; path=/\", the same signature): %ls", refused ? L"refused" : L"ACCEPTED");

  const int screenWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  SetWindowPos(window.Handle(), nullptr, screenWidth - 300, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  CallScript(control.Get(), L"resizeframe", {ScriptValue::Integer(520), ScriptValue::Integer(300)});
  RECT frame;
  GetWindowRect(window.Handle(), &frame);
  Report::Line(L"  ResizeFrame(520, 300) at left %d: now %ldx%ld at left %ld (virtual screen %d wide)",
               screenWidth - 300, frame.right - frame.left, frame.bottom - frame.top, frame.left, screenWidth);
  const bool resized = frame.right - frame.left == 520 && frame.left == screenWidth - 520;
  return Check(accepted && refused && resized, L"signed cookie accepted, forged refused, frame kept on screen");
}
