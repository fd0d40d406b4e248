// Pressing Share in the toolbar double, with barshare.dll loaded as the
// toolbar loads it and the browser control double as the browser and as the
// share window's control.
#include "button/ShareCommand.h"

#include <gtest/gtest.h>

#include <exdispid.h>
#include <wininet.h>

#include <memory>
#include <string>
#include <vector>

#include "AccountServiceDouble.h"
#include "BrowserTestSupport.h"
#include "DialogWatcher.h"
#include "ThreadWindows.h"
#include "ToolbarHostDouble.h"
#include "ToolbarLoader.h"
#include "ToolbarTestSupport.h"
#include "button/ShareAddresses.h"

namespace {

const std::wstring kPrefix = std::wstring(ShareAddresses::kSharePageUrl) + L"#url=";
const wchar_t kNoticeCaption[] = L"ZW工具栏提示";
const wchar_t kNoticeText[] = L"很抱歉，当前网页不能分享。";

std::wstring MainSiteCookies() {
  wchar_t text[4096] = L"";
  DWORD size = ARRAYSIZE(text);
  return InternetGetCookieW(ShareAddresses::kMainSiteUrl, nullptr, text, &size) ? std::wstring(text)
                                                                                 : std::wstring();
}

class ShareCommandTest : public BrowserDoubleTest {
 protected:
  void SetUp() override {
    BrowserDoubleTest::SetUp();
    ASSERT_NE(dll_.Module(), nullptr);
    ASSERT_EQ(dll_.Call("DllRegisterServer"), S_OK);
    MakeToolbar(ToolbarHostDouble::Options());
  }
  void TearDown() override {
    if (toolbar_) toolbar_->RemoveButtons();
  }
  void MakeToolbar(const ToolbarHostDouble::Options& options) {
    if (toolbar_) toolbar_->RemoveButtons();
    toolbar_ = std::make_unique<ToolbarHostDouble>(options);
    loader_ = std::make_unique<ToolbarLoader>();
    hostReferences_ = toolbar_->References();
    ASSERT_EQ(loader_->Load(CLSID_ButtonCreator, toolbar_.get(), ToolbarLoader::Road::CreatorClass), S_OK);
    ASSERT_EQ(toolbar_->ButtonCount(), 1u);
    button_ = toolbar_->Button(0);
    page_ = nullptr;
    if (toolbar_->Browser() != nullptr) {
      toolbar_->Browser()->QueryInterface(IID_IBrowserDouble, page_.PutVoid());
    }
    ASSERT_TRUE(page_);
    toolbar_->Accounts().SignIn(12345, L"skey-1");
  }
  // Presses Share on a page, answering any notice; the notices seen.
  std::vector<DialogWatcher::Dialog> Press(const std::wstring& address, int kind = kDocumentHtml,
                                           HRESULT expected = S_OK) {
    page_->SetPage(L"页面", address.c_str(), kind);
    DialogWatcher watcher;
    EXPECT_EQ(button_->Execute(), expected) << address.substr(0, 40).c_str();
    return watcher.Seen();
  }
  // The share address the share window was last sent to.
  std::wstring LastShare() {
    win::ComPtr<IBrowserDouble> control = BrowserDoubleIn(FindThreadWindow(L"WebSliceClass"));
    const std::vector<RecordedNavigation> navigations = NavigationsOf(control.Get());
    return navigations.empty() ? std::wstring() : navigations.back().url;
  }

  ToolbarRegistryGuard registry_;
  BarshareDll dll_;
  std::unique_ptr<ToolbarHostDouble> toolbar_;
  std::unique_ptr<ToolbarLoader> loader_;
  IToolbarButton* button_ = nullptr;
  win::ComPtr<IBrowserDouble> page_;
  LONG hostReferences_ = 0;
};

TEST_F(ShareCommandTest, OpensTheSharePageForAnHttpsAddressInTheShareWindow) {
  EXPECT_TRUE(Press(L"HTTPS://Example.com/a b%c").empty());
  HWND window = FindThreadWindow(L"WebSliceClass");
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(GetWindow(window, GW_OWNER), toolbar_->Window());
  wchar_t title[64] = L"";
  GetWindowTextW(window, title, 64);
  EXPECT_STREQ(title, L"分享到ZW空间");
  RECT frame;
  GetWindowRect(window, &frame);
  EXPECT_EQ(frame.right - frame.left, 460);
  EXPECT_EQ(frame.bottom - frame.top, 402);
  win::ComPtr<IBrowserDouble> control = BrowserDoubleIn(window);
  ASSERT_TRUE(control);
  const std::vector<RecordedNavigation> navigations = NavigationsOf(control.Get());
  ASSERT_EQ(navigations.size(), 1u);
  EXPECT_EQ(navigations[0].url, kPrefix + L"HTTPS%3a%2f%2fExample%2ecom%2fa%20b%25c");
  EXPECT_EQ(navigations[0].types, (std::vector<VARTYPE>{VT_BSTR, VT_I4, VT_EMPTY, VT_EMPTY, VT_EMPTY}));
  EXPECT_TRUE(toolbar_->Commands().empty());
  // The share window keeps the page's outer border.
  DWORD flags = 0;
  ASSERT_EQ(control->GetHostInfo(&flags, nullptr, nullptr), S_OK);
  EXPECT_EQ(flags, static_cast<DWORD>(DOCHOSTUIFLAG_THEME | DOCHOSTUIFLAG_SCROLL_NO));
  // Its first load shows the loading text.
  control->Fire(DISPID_DOWNLOADBEGIN, nullptr);
  EXPECT_FALSE(IsWindowVisible(control->EmbeddingWindow()));
  control->Fire(DISPID_DOCUMENTCOMPLETE, navigations[0].url.c_str());
  EXPECT_TRUE(IsWindowVisible(control->EmbeddingWindow()));
}

TEST_F(ShareCommandTest, EscapesEveryCharacterClass) {
  EXPECT_TRUE(Press(L"http://x.cn/AZaz09-_.~!*'();:@&=+$,/?#[]\"<>\\^`{|}%中").empty());
  EXPECT_EQ(LastShare(), kPrefix +
                             L"http%3a%2f%2fx%2ecn%2fAZaz09-_%2e%7e%21%2a%27%28%29%3b%3a%40%26%3d%2b%24%2c%2f%3f"
                             L"%23%5b%5d%22%3c%3e%5c%5e%60%7b%7c%7d%25%d6%d0");
}

TEST_F(ShareCommandTest, AddressesThatCannotBeSharedGetTheNotice) {
  const wchar_t* refused[] = {L"http://", L"HTTPS://", L"ftp://example.com/file", L"about:blank", L"javascript",
                              L"", L"not an address", L"httpx://example.com/", L"file:///c:/x.html"};
  for (const wchar_t* address : refused) {
    const std::vector<DialogWatcher::Dialog> notices = Press(address);
    ASSERT_EQ(notices.size(), 1u) << address;
    EXPECT_EQ(notices[0].caption, kNoticeCaption);
    EXPECT_EQ(notices[0].text, kNoticeText);
    EXPECT_EQ(notices[0].owner, toolbar_->Window());
  }
  EXPECT_EQ(FindThreadWindow(L"WebSliceClass"), nullptr);
  EXPECT_TRUE(toolbar_->Commands().empty());
}

TEST_F(ShareCommandTest, PagesWithoutAReadableAddressGetTheNotice) {
  for (int kind : {kDocumentNotHtml, kDocumentNone, kDocumentTitleFails, kDocumentTitleNull}) {
    EXPECT_EQ(Press(L"http://example.com/", kind).size(), 1u) << kind;
  }
  EXPECT_EQ(FindThreadWindow(L"WebSliceClass"), nullptr);
  // An empty title is still a title.
  page_->SetPage(L"", L"http://example.com/", kDocumentHtml);
  DialogWatcher watcher;
  EXPECT_EQ(button_->Execute(), S_OK);
  EXPECT_TRUE(watcher.Seen().empty());
  EXPECT_EQ(LastShare(), kPrefix + L"http%3a%2f%2fexample%2ecom%2f");
}

TEST_F(ShareCommandTest, WithoutAccountNumberOrKeyOnlyTheToolbarIsTold) {
  toolbar_->Accounts().SignIn(0, L"skey-1");
  EXPECT_TRUE(Press(L"http://example.com/").empty());
  toolbar_->Accounts().SignIn(77, L"");
  EXPECT_TRUE(Press(L"ftp://example.com/").empty());  // not even the notice
  ASSERT_EQ(toolbar_->Commands().size(), 2u);
  for (const ToolbarHostDouble::Command& command : toolbar_->Commands()) {
    EXPECT_EQ(command.wParam, 0xC301u);
    EXPECT_EQ(command.lParam, 0);
  }
  EXPECT_EQ(FindThreadWindow(L"WebSliceClass"), nullptr);
}

TEST_F(ShareCommandTest, WithoutAnAccountServiceThePressFails) {
  ToolbarHostDouble::Options options;
  options.offersAccountService = false;
  MakeToolbar(options);
  EXPECT_TRUE(Press(L"http://example.com/", kDocumentHtml, E_POINTER).empty());
  EXPECT_TRUE(toolbar_->Commands().empty());
  EXPECT_EQ(FindThreadWindow(L"WebSliceClass"), nullptr);
}

TEST_F(ShareCommandTest, PressesReuseTheWindowUntilThePageClosesIt) {
  Press(L"http://example.com/1");
  HWND first = FindThreadWindow(L"WebSliceClass");
  ASSERT_NE(first, nullptr);
  ShowWindow(first, SW_HIDE);
  Press(L"http://example.com/2");
  EXPECT_EQ(FindThreadWindow(L"WebSliceClass"), first);
  EXPECT_TRUE(IsWindowVisible(first));
  EXPECT_EQ(GetForegroundWindow(), first);
  win::ComPtr<IBrowserDouble> control = BrowserDoubleIn(first);
  ASSERT_EQ(control->NavigationCount(), 2);
  EXPECT_EQ(LastShare(), kPrefix + L"http%3a%2f%2fexample%2ecom%2f2");
  // The page closes its window; events that follow reach nothing.
  control->Fire(DISPID_WINDOWCLOSING, nullptr);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(control->ConnectedSinks(), 0);
  control->Fire(DISPID_NAVIGATECOMPLETE2, ShareAddresses::kSharePageUrl);
  Press(L"http://example.com/3");
  HWND second = FindThreadWindow(L"WebSliceClass");
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(IsWindowVisible(second));
  win::ComPtr<IBrowserDouble> newControl = BrowserDoubleIn(second);
  ASSERT_TRUE(newControl);
  EXPECT_NE(newControl.Get(), control.Get());
  EXPECT_EQ(newControl->NavigationCount(), 1);
}

TEST_F(ShareCommandTest, SharePageNavigationsSetTheAccountCookies) {
  Press(L"http://example.com/");
  win::ComPtr<IBrowserDouble> control = BrowserDoubleIn(FindThreadWindow(L"WebSliceClass"));
  ASSERT_TRUE(control);
  control->Fire(DISPID_NAVIGATECOMPLETE2, L"http://example.com/elsewhere");
  EXPECT_EQ(MainSiteCookies(), L"");
  std::wstring upper = ShareAddresses::kSharePageUrl;
  CharUpperW(&upper[0]);
  control->Fire(DISPID_NAVIGATECOMPLETE2, (upper + L"#url=x").c_str());
  EXPECT_EQ(MainSiteCookies(), L"uin=o0000012345; skey=skey-1");
  // A later share-page navigation sets them again, from the account as it is then.
  toolbar_->Accounts().SignIn(-5, L"skey-2");
  control->Fire(DISPID_NAVIGATECOMPLETE2, ShareAddresses::kSharePageUrl);
  EXPECT_EQ(MainSiteCookies(), L"uin=o-000000005; skey=skey-2");
  // Nobody signed in by the service's answer: nothing is set.
  toolbar_->Accounts().SignIn(999, L"skey-3");
  toolbar_->Accounts().SetAnswer(0);
  control->Fire(DISPID_NAVIGATECOMPLETE2, ShareAddresses::kSharePageUrl);
  EXPECT_EQ(MainSiteCookies(), L"uin=o-000000005; skey=skey-2");
  // Other events with the share page's address set nothing either.
  toolbar_->Accounts().SetAnswer(1);
  control->Fire(DISPID_DOCUMENTCOMPLETE, ShareAddresses::kSharePageUrl);
  EXPECT_EQ(MainSiteCookies(), L"uin=o-000000005; skey=skey-2");
}

TEST_F(ShareCommandTest, LongSignInKeysAreCutToTheirBuffers) {
  toolbar_->Accounts().SignIn(7, std::wstring(600, L'k'));
  Press(L"http://example.com/");
  win::ComPtr<IBrowserDouble> control = BrowserDoubleIn(FindThreadWindow(L"WebSliceClass"));
  ASSERT_TRUE(control);
  control->Fire(DISPID_NAVIGATECOMPLETE2, ShareAddresses::kSharePageUrl);
  EXPECT_EQ(MainSiteCookies(), L"uin=o0000000007; skey=" + std::wstring(512, L'k'));
}

// True when text ends in the middle of an escape or of an escaped character pair.
bool EndsInsideAnEscape(const std::wstring& text) {
  const size_t percent = text.find_last_of(L'%');
  if (percent != std::wstring::npos && percent + 3 > text.size()) return true;
  size_t highEscapes = 0;
  for (size_t at = text.find(L"#url="); (at = text.find(L'%', at + 1)) != std::wstring::npos;) {
    if (text[at + 1] >= L'8' && text[at + 1] != L'%') ++highEscapes;
  }
  return highEscapes % 2 != 0;
}

TEST_F(ShareCommandTest, LongAddressesAreCutWithinTheBuffers) {
  const std::wstring start = L"http://example.com/";
  const std::wstring addresses[] = {
      start + std::wstring(2083 - start.size(), L'a'),
      start + std::wstring(2084 - start.size(), L'b'),
      start + std::wstring(10000 - start.size(), L'c'),
      start + std::wstring(10000 - start.size(), L'中'),
      start + L"x" + std::wstring(3000, L'中'),
  };
  for (const std::wstring& address : addresses) {
    EXPECT_TRUE(Press(address).empty());
    const std::wstring share = LastShare();
    EXPECT_EQ(share.compare(0, kPrefix.size(), kPrefix), 0);
    EXPECT_LE(share.size(), 2083u);
    EXPECT_GE(share.size(), 2077u);
    EXPECT_FALSE(EndsInsideAnEscape(share)) << share.substr(share.size() - 12).c_str();
  }
}

TEST_F(ShareCommandTest, ReleasingTheButtonClosesItsWindowAndLetsGoOfTheHost) {
  Press(L"http://example.com/");
  HWND window = FindThreadWindow(L"WebSliceClass");
  win::ComPtr<IBrowserDouble> control = BrowserDoubleIn(window);
  ASSERT_TRUE(control);
  toolbar_->RemoveButtons();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(control->ConnectedSinks(), 0);
  void* site = nullptr;
  EXPECT_EQ(control->QuerySite(IID_IOleClientSite, &site), E_FAIL);
  // The page, still alive, fires and calls into nothing.
  EXPECT_EQ(control->Fire(DISPID_NAVIGATECOMPLETE2, ShareAddresses::kSharePageUrl), S_OK);
  EXPECT_EQ(control->Fire(DISPID_WINDOWCLOSING, nullptr), S_OK);
  EXPECT_EQ(CallScript(control.Get(), L"SetCookie", {ScriptValue::Text(L"a"), ScriptValue::Text(L"00")}), E_FAIL);
  EXPECT_EQ(toolbar_->References(), hostReferences_);
  EXPECT_EQ(loader_->CanUnloadNow(), S_OK);
}

// Where dialog 294 belongs over an owner with frame `owner` (or over the work
// area), worked out here on its own: centred across, a fifth of the room
// above, then inside the work area.
POINT NoticePlace(const RECT& owner, const RECT& work, SIZE size) {
  LONG x = (owner.left + owner.right) / 2 - size.cx / 2;
  LONG y = owner.top + (owner.bottom - owner.top - size.cy) / 5;
  if (x < work.left) x = work.left;
  else if (x + size.cx > work.right) x = work.right - size.cx;
  if (y < work.top) y = work.top;
  else if (y + size.cy > work.bottom) y = work.bottom - size.cy;
  return POINT{x, y};
}

TEST_F(ShareCommandTest, NoticeSitsInTheUpperFifthOfItsOwnerInsideTheWorkArea) {
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  HWND owner = toolbar_->Window();
  struct Case {
    const char* name;
    int x, y, width, height;
  } const cases[] = {
      {"middle", 300, 300, 600, 400},
      {"left edge", work.left - 500, 300, 600, 200},
      {"right edge", work.right - 60, 300, 400, 24},
      {"top edge", 300, work.top - 300, 400, 200},
      {"bottom edge", 300, work.bottom - 10, 400, 24},
  };
  for (const Case& place : cases) {
    SetWindowPos(owner, nullptr, place.x, place.y, place.width, place.height, SWP_NOZORDER | SWP_NOACTIVATE);
    const std::vector<DialogWatcher::Dialog> notices = Press(L"about:blank");
    ASSERT_EQ(notices.size(), 1u) << place.name;
    const RECT& frame = notices[0].frame;
    RECT ownerFrame;
    GetWindowRect(owner, &ownerFrame);
    const POINT expected = NoticePlace(ownerFrame, work, {frame.right - frame.left, frame.bottom - frame.top});
    EXPECT_EQ(frame.left, expected.x) << place.name;
    EXPECT_EQ(frame.top, expected.y) << place.name;
  }
  for (int hiding : {SW_MINIMIZE, SW_HIDE}) {
    ShowWindow(owner, hiding);
    const std::vector<DialogWatcher::Dialog> notices = Press(L"about:blank");
    ASSERT_EQ(notices.size(), 1u) << hiding;
    const RECT& frame = notices[0].frame;
    const POINT expected = NoticePlace(work, work, {frame.right - frame.left, frame.bottom - frame.top});
    EXPECT_EQ(frame.left, expected.x) << hiding;
    EXPECT_EQ(frame.top, expected.y) << hiding;
  }
}

}  // namespace
