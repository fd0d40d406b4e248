// The web slice window hosting the browser control double: its site
// interfaces as the control sees them, its window messages, the loading text,
// the keyboard hook and window.external as page script calls it.
#include "webslice/WebSliceWindow.h"

#include <gtest/gtest.h>

#include <exdispid.h>
#include <wininet.h>

#include <functional>
#include <string>
#include <vector>

#include "BrowserTestSupport.h"
#include "CookieSigner.h"
#include "ToolbarTestSupport.h"
#include "webslice/AnsiText.h"
#include "webslice/SignedCookieCheck.h"
#include "win/Handles.h"

namespace {

const wchar_t kAddressA[] = L"http://zwspace.example/slice/a";
const char kKeyA[] = "009adabbe973fab839018be57056be1e";  // MD5 of kAddressA
const wchar_t kAddressB[] = L"http://zwspace.example/slice/b";
const char kKeyB[] = "8451330289dd00f6b014a1e1ab15b14b";

// Remembers what reaches the overridable operations.
class RecordingWindow : public WebSliceWindow {
 public:
  explicit RecordingWindow(DWORD option = 0) : WebSliceWindow(option) {}
  ~RecordingWindow() override { DestroyOwnWindow(); }

  void OnVerifiedCookie(const wchar_t* cookie) override { cookies.push_back(cookie); }
  HRESULT OnBrowserEvent(DISPID id, DISPPARAMS* arguments) override {
    events.push_back(id);
    if (id == destroyOn) DestroyOwnWindow();
    return WebSliceWindow::OnBrowserEvent(id, arguments);
  }
  void PaintLoading(HDC dc) override {
    ++loadingPaints;
    WebSliceWindow::PaintLoading(dc);
  }

  std::vector<std::wstring> cookies;
  std::vector<DISPID> events;
  DISPID destroyOn = 0;
  int loadingPaints = 0;
};

// Readable memory followed by an unreadable page: text placed to end right
// where the unreadable page begins.
class GuardedText {
 public:
  static constexpr size_t kReadableBytes = 64 * 1024;

  GuardedText() {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    page_ = system.dwPageSize;
    memory_.Reset(VirtualAlloc(nullptr, kReadableBytes + page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    if (memory_) VirtualProtect(Unreadable(), page_, PAGE_NOACCESS, &old);
  }
  wchar_t* Unreadable() const {
    return reinterpret_cast<wchar_t*>(static_cast<BYTE*>(memory_.Get()) + kReadableBytes);
  }
  // chars letters (at most kReadableBytes / 2) and no NUL, ending at the unreadable page.
  const wchar_t* Unterminated(size_t chars) const {
    wchar_t* start = Unreadable() - chars;
    for (size_t i = 0; i < chars; ++i) start[i] = L'a';
    return start;
  }

 private:
  size_t page_ = 0;
  win::UniqueVirtualMemory memory_;
};

std::wstring CookieOf(const wchar_t* url) {
  wchar_t text[2048] = L"";
  DWORD size = ARRAYSIZE(text);
  return InternetGetCookieW(url, nullptr, text, &size) ? std::wstring(text) : std::wstring();
}

std::wstring RepeatedText(size_t chars, wchar_t c = L'x') { return std::wstring(chars, c); }

LRESULT NavigateWithForm(WebSliceWindow& window, const wchar_t* address, const wchar_t* form) {
  return SendMessageW(window.Handle(), WebSliceWindow::kNavigateWithForm, reinterpret_cast<WPARAM>(address),
                      reinterpret_cast<LPARAM>(form));
}

class WebSliceWindowTest : public BrowserDoubleTest {
 protected:
  void SetUp() override {
    BrowserDoubleTest::SetUp();
    ASSERT_NE(dll_.Module(), nullptr);
    // Hidden unless a test needs it: under Xvfb, a window that was on the
    // screen takes Wine seconds to go.
    owner_.Reset(CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 200, 150, 600, 400, nullptr, nullptr, nullptr,
                                 nullptr));
    ASSERT_TRUE(owner_);
  }
  // Creates the window of `window` and returns its control.
  win::ComPtr<IBrowserDouble> Open(WebSliceWindow& window, int width = 460, int height = 402) {
    EXPECT_EQ(window.Create(dll_.Module(), owner_.Get(), nullptr, width, height), 1);
    return BrowserDoubleIn(window.Handle());
  }
  static std::vector<ScriptValue> Signed(const std::string& cookie, const char* key) {
    return {ScriptValue::Text(AnsiText::ToWide(cookie)),
            ScriptValue::Text(AnsiText::ToWide(CookieSigner::Sign(cookie, key, kCookieFixedText)))};
  }

  BarshareDll dll_;
  win::UniqueWindow owner_;
};

TEST_F(WebSliceWindowTest, AnswersExactlyTheSiteInterfaces) {
  RecordingWindow window;
  IUnknown* unknown = nullptr;
  ASSERT_EQ(window.QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  IUnknown* oleWindow = nullptr;
  ASSERT_EQ(window.QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&oleWindow)), S_OK);
  EXPECT_EQ(unknown, oleWindow);
  EXPECT_EQ(oleWindow, static_cast<IOleInPlaceSite*>(&window));
  const std::pair<const IID*, void*> answered[] = {
      {&IID_IDispatch, static_cast<IDispatch*>(&window)},
      {&IID_IOleClientSite, static_cast<IOleClientSite*>(&window)},
      {&IID_IOleInPlaceSite, static_cast<IOleInPlaceSite*>(&window)},
      {&IID_IDocHostUIHandler, static_cast<IDocHostUIHandler*>(&window)},
  };
  for (const auto& [iid, expected] : answered) {
    void* found = nullptr;
    EXPECT_EQ(window.QueryInterface(*iid, &found), S_OK);
    EXPECT_EQ(found, expected);
  }
  for (const IID* iid : {&IID_IOleInPlaceActiveObject, &IID_IOleInPlaceSiteEx, &IID_IServiceProvider,
                         &DIID_DWebBrowserEvents2, &IID_IOleCommandTarget, &IID_IOleInPlaceFrame}) {
    void* found = reinterpret_cast<void*>(1);
    EXPECT_EQ(window.QueryInterface(*iid, &found), E_NOINTERFACE);
    EXPECT_EQ(found, nullptr);
  }
  EXPECT_EQ(window.QueryInterface(IID_IDispatch, nullptr), E_POINTER);
  EXPECT_EQ(window.AddRef(), 1u);
  EXPECT_EQ(window.Release(), 1u);
  EXPECT_EQ(window.Release(), 1u);  // not counted: the owner deletes it
}

TEST_F(WebSliceWindowTest, SiteAnswersTheControl) {
  RecordingWindow window;
  win::ComPtr<IBrowserDouble> control = Open(window);
  ASSERT_TRUE(control);
  const std::wstring log = LogOf(control.Get());
  RECT client;
  GetClientRect(window.Handle(), &client);
  wchar_t context[128];
  swprintf(context, 128, L"GetWindowContext = 0x00000000, (0,0,%ld,%ld), (0,0,%ld,%ld), frame none, document none",
           client.right, client.bottom, client.right, client.bottom);
  EXPECT_NE(log.find(context), std::wstring::npos) << log;

  win::ComPtr<IOleClientSite> site;
  ASSERT_EQ(control->QuerySite(IID_IOleClientSite, site.PutVoid()), S_OK);
  IMoniker* moniker = reinterpret_cast<IMoniker*>(1);
  EXPECT_EQ(site->GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_CONTAINER, &moniker), E_NOTIMPL);
  EXPECT_EQ(moniker, nullptr);
  EXPECT_EQ(site->SaveObject(), E_NOTIMPL);
  EXPECT_EQ(site->ShowObject(), E_NOTIMPL);
  EXPECT_EQ(site->RequestNewObjectLayout(), E_NOTIMPL);

  win::ComPtr<IOleInPlaceSite> inPlace;
  ASSERT_EQ(control->QuerySite(IID_IOleInPlaceSite, inPlace.PutVoid()), S_OK);
  HWND siteWindow = nullptr;
  EXPECT_EQ(inPlace->GetWindow(&siteWindow), S_OK);
  EXPECT_EQ(siteWindow, window.Handle());
  EXPECT_EQ(inPlace->CanInPlaceActivate(), S_OK);
  EXPECT_EQ(inPlace->OnUIActivate(), E_NOTIMPL);
  EXPECT_EQ(inPlace->Scroll(SIZE{1, 1}), E_NOTIMPL);
  EXPECT_EQ(inPlace->OnPosRectChange(&client), E_NOTIMPL);

  win::ComPtr<IDocHostUIHandler> handler;
  ASSERT_EQ(control->QuerySite(IID_IDocHostUIHandler, handler.PutVoid()), S_OK);
  POINT point = {};
  EXPECT_EQ(handler->ShowContextMenu(0, &point, nullptr, nullptr), S_FALSE);
  EXPECT_EQ(handler->ShowUI(0, nullptr, nullptr, nullptr, nullptr), S_FALSE);
  EXPECT_EQ(handler->TranslateAccelerator(nullptr, nullptr, 0), S_FALSE);
  EXPECT_EQ(handler->TranslateUrl(0, nullptr, nullptr), S_FALSE);
  EXPECT_EQ(handler->FilterDataObject(nullptr, nullptr), S_FALSE);
  LPOLESTR key = reinterpret_cast<LPOLESTR>(1);
  EXPECT_EQ(handler->GetOptionKeyPath(&key, 0), S_OK);
  EXPECT_EQ(key, nullptr);
  IDispatch* external = nullptr;
  EXPECT_EQ(handler->GetExternal(&external), S_OK);
  EXPECT_EQ(external, static_cast<IDispatch*>(&window));
}

TEST_F(WebSliceWindowTest, HostInfoFlagsFollowTheHostUiOption) {
  RecordingWindow plain(0), share(WebSliceWindow::kKeepOuterBorder);
  win::ComPtr<IBrowserDouble> plainControl = Open(plain), shareControl = Open(share);
  ASSERT_TRUE(plainControl && shareControl);
  DWORD flags = 0, doubleClick = 0;
  UINT size = 0;
  ASSERT_EQ(plainControl->GetHostInfo(&flags, &doubleClick, &size), S_OK);
  EXPECT_EQ(flags, static_cast<DWORD>(DOCHOSTUIFLAG_THEME | DOCHOSTUIFLAG_NO3DOUTERBORDER | DOCHOSTUIFLAG_SCROLL_NO));
  EXPECT_EQ(doubleClick, static_cast<DWORD>(DOCHOSTUIDBLCLK_DEFAULT));
  EXPECT_EQ(size, sizeof(DOCHOSTUIINFO));
  ASSERT_EQ(shareControl->GetHostInfo(&flags, &doubleClick, &size), S_OK);
  EXPECT_EQ(flags, static_cast<DWORD>(DOCHOSTUIFLAG_THEME | DOCHOSTUIFLAG_SCROLL_NO));
  // Both scroll bars and border kept: only the theme is asked for.
  RecordingWindow both(WebSliceWindow::kKeepOuterBorder | WebSliceWindow::kKeepScrollBars);
  win::ComPtr<IBrowserDouble> bothControl = Open(both);
  ASSERT_EQ(bothControl->GetHostInfo(&flags, nullptr, nullptr), S_OK);
  EXPECT_EQ(flags, static_cast<DWORD>(DOCHOSTUIFLAG_THEME));
}

TEST(WebSliceHostInfo, SizeIsTheStructuresOwn) {
  // 20 bytes where pointers are 32 bits wide, as the control of that build expects.
  EXPECT_EQ(sizeof(DOCHOSTUIINFO), sizeof(void*) == 4 ? 20u : 32u);
}

TEST_F(WebSliceWindowTest, CreateMakesATitledPopupWithTheControlInPlace) {
  ShowWindow(owner_.Get(), SW_SHOWNOACTIVATE);
  RecordingWindow window;
  win::ComPtr<IBrowserDouble> control = Open(window, 460, 402);
  ASSERT_TRUE(control);
  HWND handle = window.Handle();
  wchar_t text[64] = L"";
  GetClassNameW(handle, text, 64);
  EXPECT_STREQ(text, L"WebSliceClass");
  GetWindowTextW(handle, text, 64);
  EXPECT_STREQ(text, L"分享到ZW空间");
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(handle, GWL_STYLE)) & ~(WS_VISIBLE | WS_CLIPSIBLINGS),
            static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN));
  EXPECT_EQ(GetWindow(handle, GW_OWNER), owner_.Get());
  RECT frame, client, embedded;
  GetWindowRect(handle, &frame);
  EXPECT_EQ(frame.right - frame.left, 460);
  EXPECT_EQ(frame.bottom - frame.top, 402);
  // Centred over the owner (200,150)-(800,550), which lies inside the work area.
  EXPECT_EQ(frame.left, 500 - 230);
  EXPECT_EQ(frame.top, 350 - 201);
  GetClientRect(handle, &client);
  GetClientRect(control->EmbeddingWindow(), &embedded);
  EXPECT_EQ(GetParent(control->EmbeddingWindow()), handle);
  EXPECT_TRUE(EqualRect(&client, &embedded));
  EXPECT_EQ(control->ConnectedSinks(), 1);
  const std::wstring log = LogOf(control.Get());
  EXPECT_EQ(log.find(L"SetClientSite(site)"), 0u) << log;
  EXPECT_NE(log.find(L"DoVerb(-5"), std::wstring::npos) << log;
  EXPECT_LT(log.find(L"SetObjectRects"), log.find(L"DoVerb(-5")) << log;
  EXPECT_EQ(window.Create(dll_.Module(), owner_.Get(), nullptr, 100, 100), 1);  // kept as it is
  EXPECT_EQ(window.Handle(), handle);
  GetWindowRect(handle, &frame);
  EXPECT_EQ(frame.right - frame.left, 460);
}

TEST_F(WebSliceWindowTest, TakesTheIconOfTheOwnersTopLevelWindow) {
  win::UniqueChildWindow toolbar(CreateWindowExW(0, L"STATIC", L"toolbar", WS_CHILD | WS_VISIBLE, 10, 10, 100, 20,
                                                 owner_.Get(), nullptr, nullptr, nullptr));
  HWND child = toolbar.Get();
  ShowWindow(owner_.Get(), SW_SHOWNOACTIVATE);
  HICON icon = LoadIconW(nullptr, IDI_INFORMATION);
  SendMessageW(owner_.Get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  RecordingWindow window;
  ASSERT_EQ(window.Create(dll_.Module(), child, nullptr, 300, 200), 1);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(window.Handle(), WM_GETICON, ICON_SMALL, 0)), icon);
  RECT frame;
  GetWindowRect(window.Handle(), &frame);
  EXPECT_EQ(frame.left, 500 - 150);  // over the top-level window, not the child
  EXPECT_EQ(frame.top, 350 - 100);
}

TEST_F(WebSliceWindowTest, HostIsHeldWhileAWindowObjectLives) {
  struct CountedHost : IUnknown {
    LONG references = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
  } first, second;
  {
    RecordingWindow window, other;
    ASSERT_EQ(window.Create(dll_.Module(), owner_.Get(), &first, 200, 100), 1);
    EXPECT_EQ(WebSliceWindow::SharedHost(), &first);
    EXPECT_EQ(WebSliceWindow::SharedOwner(), owner_.Get());
    EXPECT_EQ(first.references, 2);
    ASSERT_EQ(other.Create(dll_.Module(), owner_.Get(), &second, 200, 100), 1);
    EXPECT_EQ(WebSliceWindow::SharedHost(), &second);
    EXPECT_EQ(first.references, 1);
    EXPECT_EQ(second.references, 2);
  }
  EXPECT_EQ(second.references, 1);
  EXPECT_EQ(WebSliceWindow::SharedHost(), nullptr);
}

TEST_F(WebSliceWindowTest, LoadingTextShowsOnlyUntilTheFirstLoad) {
  RecordingWindow window;
  win::ComPtr<IBrowserDouble> control = Open(window);
  ASSERT_TRUE(control);
  ShowWindow(window.Handle(), SW_SHOWNOACTIVATE);
  HWND embedding = control->EmbeddingWindow();
  UpdateWindow(window.Handle());
  EXPECT_EQ(window.loadingPaints, 0);
  control->Fire(DISPID_DOWNLOADBEGIN, nullptr);
  EXPECT_FALSE(IsWindowVisible(embedding));
  UpdateWindow(window.Handle());
  EXPECT_EQ(window.loadingPaints, 1);
  control->Fire(DISPID_DOWNLOADCOMPLETE, nullptr);
  EXPECT_TRUE(IsWindowVisible(embedding));
  EXPECT_FALSE(window.FirstLoadPending());
  control->Fire(DISPID_DOWNLOADBEGIN, nullptr);
  EXPECT_TRUE(IsWindowVisible(embedding));
  InvalidateRect(window.Handle(), nullptr, TRUE);
  UpdateWindow(window.Handle());
  EXPECT_EQ(window.loadingPaints, 1);
  // Every event also reaches the derived window, in order.
  EXPECT_EQ(window.events, (std::vector<DISPID>{DISPID_DOWNLOADBEGIN, DISPID_DOWNLOADCOMPLETE, DISPID_DOWNLOADBEGIN}));
}

TEST_F(WebSliceWindowTest, NavigationEventsAlsoEndTheLoadingText) {
  for (DISPID ending : {DISPID_NAVIGATECOMPLETE2, DISPID_DOCUMENTCOMPLETE, DISPID_NAVIGATEERROR}) {
    RecordingWindow window;
    win::ComPtr<IBrowserDouble> control = Open(window);
    ASSERT_TRUE(control);
    control->Fire(DISPID_DOWNLOADBEGIN, nullptr);
    control->Fire(ending, L"http://zwspace.example/");
    EXPECT_TRUE(GetWindowLongPtrW(control->EmbeddingWindow(), GWL_STYLE) & WS_VISIBLE) << ending;
    EXPECT_FALSE(window.FirstLoadPending()) << ending;
  }
}

// The pixels of PaintLoading in a window-sized bitmap, or of a reference drawing.
std::vector<COLORREF> Drawn(HWND window, const std::function<void(HDC, RECT)>& draw) {
  RECT client;
  GetClientRect(window, &client);
  win::UniqueScreenDc screen(GetDC(nullptr));
  win::UniqueMemoryDc dc(CreateCompatibleDC(screen.Get()));
  win::UniqueBitmap bitmap(CreateCompatibleBitmap(screen.Get(), client.right, client.bottom));
  HGDIOBJ old = SelectObject(dc.Get(), bitmap.Get());
  FillRect(dc.Get(), &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  draw(dc.Get(), client);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < client.right; x += 1) pixels.push_back(GetPixel(dc.Get(), x, y));
  }
  SelectObject(dc.Get(), old);
  return pixels;
}

std::vector<COLORREF> Reference(HWND window, int font, const wchar_t* text) {
  return Drawn(window, [&](HDC dc, RECT area) {
    HGDIOBJ previous = SelectObject(dc, GetStockObject(font));
    InflateRect(&area, -10, -10);
    DrawTextW(dc, text, -1, &area, 0);
    SelectObject(dc, previous);
  });
}

TEST_F(WebSliceWindowTest, LoadingTextIsChineseUnderChinesePrcAndEnglishOtherwise) {
  EXPECT_STREQ(WebSliceWindow::LoadingText(2052), L"正在加载...");
  EXPECT_STREQ(WebSliceWindow::LoadingText(1033), L"Loading...");
  EXPECT_STREQ(WebSliceWindow::LoadingText(1028), L"Loading...");  // Chinese, Taiwan
  RecordingWindow window;
  ASSERT_TRUE(Open(window));
  const std::vector<COLORREF> painted = Drawn(window.Handle(), [&](HDC dc, RECT) { window.PaintLoading(dc); });
  const std::vector<COLORREF> chinese = Reference(window.Handle(), DEFAULT_GUI_FONT, L"正在加载...");
  const std::vector<COLORREF> english = Reference(window.Handle(), SYSTEM_FONT, L"Loading...");
  ASSERT_NE(chinese, english);
  EXPECT_EQ(painted, GetUserDefaultUILanguage() == 2052 ? chinese : english);
}

TEST_F(WebSliceWindowTest, ResizeFrameKeepsTheWindowInsideTheVirtualScreen) {
  RecordingWindow window;
  win::ComPtr<IBrowserDouble> control = Open(window);
  ASSERT_TRUE(control);
  ShowWindow(window.Handle(), SW_SHOWNOACTIVATE);
  const int screenWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  // As at left 500 on a 1024-pixel screen: 800 wide ends at 224.
  SetWindowPos(window.Handle(), nullptr, screenWidth - 524, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  DISPID id = 0;
  EXPECT_EQ(CallScript(control.Get(), L"ResizeFrame", {ScriptValue::Integer(800), ScriptValue::Integer(600)}, &id),
            S_OK);
  EXPECT_EQ(id, WebSliceWindow::kResizeFrame);
  RECT frame;
  GetWindowRect(window.Handle(), &frame);
  EXPECT_EQ(frame.left, screenWidth - 800);
  EXPECT_EQ(frame.top, 40);
  EXPECT_EQ(frame.right - frame.left, 800);
  EXPECT_EQ(frame.bottom - frame.top, 600);
  // Room enough: the window stays where it is; a third argument is not looked at.
  SetWindowPos(window.Handle(), nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(CallScript(control.Get(), L"resizeframe",
                       {ScriptValue::Integer(300), ScriptValue::Integer(200), ScriptValue::Text(L"x")}),
            S_OK);
  GetWindowRect(window.Handle(), &frame);
  EXPECT_EQ(frame.left, 30);
  EXPECT_EQ(frame.right - frame.left, 300);
  EXPECT_EQ(frame.bottom - frame.top, 200);
  // A width near the top of the range must not wrap around when added to left.
  EXPECT_EQ(CallScript(control.Get(), L"ResizeFrame", {ScriptValue::Integer(0x7FFFFFF0), ScriptValue::Integer(200)}),
            S_OK);
  GetWindowRect(window.Handle(), &frame);
  EXPECT_LE(frame.left, 30);
}

TEST_F(WebSliceWindowTest, ResizeFrameIgnoresWrongArgumentsAndHiddenWindows) {
  RecordingWindow window;
  win::ComPtr<IBrowserDouble> control = Open(window, 300, 200);
  ASSERT_TRUE(control);
  ShowWindow(window.Handle(), SW_SHOWNOACTIVATE);
  RECT before;
  GetWindowRect(window.Handle(), &before);
  const std::vector<std::vector<ScriptValue>> calls = {
      {},
      {ScriptValue::Integer(640)},
      {ScriptValue::Text(L"640"), ScriptValue::Text(L"480")},
      {ScriptValue::Integer(640), ScriptValue::Text(L"480")},
      {ScriptValue::Empty(), ScriptValue::Integer(480), ScriptValue::Integer(1)},
      {ScriptValue::NullText(), ScriptValue::NullText()},
      std::vector<ScriptValue>(50, ScriptValue::Empty()),
  };
  for (const auto& arguments : calls) {
    EXPECT_EQ(CallScript(control.Get(), L"ResizeFrame", arguments), S_OK) << arguments.size();
  }
  DISPPARAMS none = {nullptr, nullptr, 3, 0};  // a count without arguments
  EXPECT_EQ(window.Invoke(WebSliceWindow::kResizeFrame, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr,
                          nullptr),
            S_OK);
  EXPECT_EQ(window.Invoke(WebSliceWindow::kResizeFrame, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr,
                          nullptr),
            S_OK);
  ShowWindow(window.Handle(), SW_HIDE);
  EXPECT_EQ(CallScript(control.Get(), L"ResizeFrame", {ScriptValue::Integer(640), ScriptValue::Integer(480)}), S_OK);
  RECT after;
  GetWindowRect(window.Handle(), &after);
  EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(WebSliceWindowTest, ScriptNamesAreCaseInsensitive) {
  RecordingWindow window;
  UINT count = 0;
  EXPECT_EQ(window.GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  ITypeInfo* info = reinterpret_cast<ITypeInfo*>(1);
  EXPECT_EQ(window.GetTypeInfo(0, 0, &info), S_OK);
  EXPECT_EQ(info, nullptr);
  const std::pair<std::wstring, DISPID> names[] = {
      {L"ResizeFrame", 28000}, {L"setcookie", 28001}, {L"SETCOOKIE", 28001}, {L"LoGiN", 28002},
      {L"Logout", DISPID_UNKNOWN}, {L"SetCookie ", DISPID_UNKNOWN}, {L"", DISPID_UNKNOWN},
      {RepeatedText(100000), DISPID_UNKNOWN}, {L"SetCookie" + RepeatedText(300, L' '), DISPID_UNKNOWN},
  };
  for (const auto& [name, expected] : names) {
    LPOLESTR text = const_cast<LPOLESTR>(name.c_str());
    DISPID id = 12345;
    EXPECT_EQ(window.GetIDsOfNames(IID_NULL, &text, 1, 0, &id), S_OK) << name.size();
    EXPECT_EQ(id, expected) << name.substr(0, 20).c_str();
  }
  // Only the first name counts; the others get DISPID_UNKNOWN.
  LPOLESTR two[] = {const_cast<LPOLESTR>(L"login"), const_cast<LPOLESTR>(L"setcookie")};
  DISPID ids[2] = {1, 1};
  EXPECT_EQ(window.GetIDsOfNames(IID_NULL, two, 2, 0, ids), S_OK);
  EXPECT_EQ(ids[0], 28002);
  EXPECT_EQ(ids[1], DISPID_UNKNOWN);
  LPOLESTR missing = nullptr;
  DISPID id = 1;
  EXPECT_EQ(window.GetIDsOfNames(IID_NULL, &missing, 1, 0, &id), S_OK);
  EXPECT_EQ(id, DISPID_UNKNOWN);
  EXPECT_EQ(window.GetIDsOfNames(IID_NULL, nullptr, 1, 0, &id), E_INVALIDARG);
  GuardedText guarded;
  LPOLESTR unreadable = guarded.Unreadable();
  EXPECT_EQ(window.GetIDsOfNames(IID_NULL, &unreadable, 1, 0, &id), S_OK);
  EXPECT_EQ(id, DISPID_UNKNOWN);
}

TEST_F(WebSliceWindowTest, SetCookieTakesOnlySignaturesForTheCurrentNavigationKey) {
  RecordingWindow window;
  win::ComPtr<IBrowserDouble> control = Open(window);
  ASSERT_TRUE(control);
  EXPECT_STREQ(window.NavigationKey(), "");
  // Before any navigation the key is empty: the message is cookie and fixed text.
  EXPECT_EQ(CallScript(control.Get(), L"SetCookie", Signed("before=1", "")), S_OK);
  ASSERT_EQ(window.cookies, std::vector<std::wstring>{L"before=1"});

  NavigateWithForm(window, kAddressA, nullptr);
  EXPECT_STREQ(window.NavigationKey(), kKeyA);
  const std::vector<ScriptValue> forA = Signed("sid=7; path=/", kKeyA);
  EXPECT_EQ(CallScript(control.Get(), L"SetCookie", forA), S_OK);
  EXPECT_EQ(CallScript(control.Get(), L"setcookie", Signed("sid=7; path=/", kKeyB)), S_OK);  // another key
  EXPECT_EQ(CallScript(control.Get(), L"SetCookie", Signed("before=1", "")), S_OK);  // the old key
  std::vector<ScriptValue> forged = Signed("sid=8; path=/", kKeyA);
  forged[0] = ScriptValue::Text(L"sid=9; path=/");
  EXPECT_EQ(CallScript(control.Get(), L"SetCookie", forged), S_OK);
  // Text in the ANSI code page is signed and handed back as it came.
  const std::wstring chinese = L"nick=张三";
  EXPECT_EQ(CallScript(control.Get(), L"SetCookie",
                       Signed(AnsiText::FromWide(chinese, 100), kKeyA)),
            S_OK);
  EXPECT_EQ(window.cookies, (std::vector<std::wstring>{L"before=1", L"sid=7; path=/", chinese}));

  NavigateWithForm(window, kAddressB, nullptr);
  EXPECT_STREQ(window.NavigationKey(), kKeyB);
  EXPECT_EQ(CallScript(control.Get(), L"SetCookie", forA), S_OK);
  EXPECT_EQ(window.cookies.size(), 3u);
  // Upper-case hexadecimal digits sign the same.
  std::string signature = CookieSigner::Sign("up=1", kKeyB, kCookieFixedText);
  for (char& c : signature) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(CallScript(control.Get(), L"SetCookie",
                       {ScriptValue::Text(L"up=1"), ScriptValue::Text(AnsiText::ToWide(signature))}),
            S_OK);
  EXPECT_EQ(window.cookies.back(), L"up=1");
}

TEST_F(WebSliceWindowTest, SetCookieIgnoresMalformedCalls) {
  RecordingWindow window;
  win::ComPtr<IBrowserDouble> control = Open(window);
  ASSERT_TRUE(control);
  NavigateWithForm(window, kAddressA, nullptr);
  const std::vector<ScriptValue> good = Signed("a=1", kKeyA);
  const std::string longSignature(10000, 'A');
  const std::vector<std::vector<ScriptValue>> calls = {
      {},
      {good[0]},
      {good[0], ScriptValue::Integer(5)},
      {ScriptValue::Integer(5), good[1]},
      {ScriptValue::NullText(), ScriptValue::NullText()},
      {ScriptValue::NullText(), good[1]},
      {good[0], ScriptValue::NullText()},
      {ScriptValue::Text(RepeatedText(100000)), good[1]},
      {good[0], ScriptValue::Text(AnsiText::ToWide(longSignature))},
      {good[0], ScriptValue::Text(RepeatedText(100000, L'0'))},
      {ScriptValue::Text(L"a=1"), ScriptValue::Text(L"")},
      {ScriptValue::Text(L"a=1"), ScriptValue::Text(L"0")},
      std::vector<ScriptValue>(50, ScriptValue::NullText()),
  };
  for (const auto& arguments : calls) {
    EXPECT_EQ(CallScript(control.Get(), L"SetCookie", arguments), S_OK) << arguments.size();
  }
  EXPECT_TRUE(window.cookies.empty());
  // The right pair with something after it still counts.
  EXPECT_EQ(CallScript(control.Get(), L"SetCookie", {good[0], good[1], ScriptValue::Integer(1)}), S_OK);
  EXPECT_EQ(window.cookies, std::vector<std::wstring>{L"a=1"});
  EXPECT_EQ(CallScript(control.Get(), L"Login", {good[0], good[1]}), S_OK);
  EXPECT_EQ(window.cookies.size(), 1u);
}

TEST_F(WebSliceWindowTest, NavigateSendsTheAddressWithFlagsZero) {
  RecordingWindow window;
  EXPECT_EQ(window.Navigate(kAddressA), E_POINTER);  // no window, no control
  win::ComPtr<IBrowserDouble> control = Open(window);
  ASSERT_TRUE(control);
  EXPECT_EQ(window.Navigate(kAddressA), S_OK);
  const std::vector<RecordedNavigation> navigations = NavigationsOf(control.Get());
  ASSERT_EQ(navigations.size(), 1u);
  EXPECT_EQ(navigations[0].url, kAddressA);
  EXPECT_EQ(navigations[0].types, (std::vector<VARTYPE>{VT_BSTR, VT_I4, VT_EMPTY, VT_EMPTY, VT_EMPTY}));
  EXPECT_EQ(navigations[0].flags, 0);
  EXPECT_STREQ(window.NavigationKey(), "");  // only the message sets the key
}

TEST_F(WebSliceWindowTest, NavigateWithFormPostsTheDataAsBytesWithTheFormContentType) {
  RecordingWindow window;
  win::ComPtr<IBrowserDouble> control = Open(window);
  ASSERT_TRUE(control);
  EXPECT_EQ(NavigateWithForm(window, kAddressA, L"q=分享&n=1"), 0);
  EXPECT_EQ(NavigateWithForm(window, kAddressB, L""), 0);
  EXPECT_EQ(NavigateWithForm(window, kAddressA, nullptr), 0);
  GuardedText guarded;
  EXPECT_EQ(NavigateWithForm(window, kAddressB, guarded.Unreadable()), 0);
  const std::vector<RecordedNavigation> navigations = NavigationsOf(control.Get());
  ASSERT_EQ(navigations.size(), 4u);
  EXPECT_EQ(navigations[0].url, kAddressA);
  EXPECT_EQ(navigations[0].types,
            (std::vector<VARTYPE>{VT_BSTR, VT_EMPTY, VT_EMPTY, VT_ARRAY | VT_UI1, VT_BSTR}));
  EXPECT_EQ(navigations[0].postData, AnsiText::FromWide(std::wstring(L"q=分享&n=1"), 100));
  EXPECT_EQ(navigations[0].postData.size(), 10u);  // two characters of two bytes, no NUL
  EXPECT_EQ(navigations[0].headers, L"Content-Type: application/x-www-form-urlencoded\r\n");
  for (size_t i = 1; i < 4; ++i) {
    EXPECT_EQ(navigations[i].types, (std::vector<VARTYPE>{VT_BSTR, VT_EMPTY, VT_EMPTY, VT_EMPTY, VT_EMPTY})) << i;
  }
  EXPECT_EQ(navigations[3].url, kAddressB);
  EXPECT_STREQ(window.NavigationKey(), kKeyB);
}

TEST_F(WebSliceWindowTest, NavigateWithFormCutsLargeFormData) {
  RecordingWindow window;
  win::ComPtr<IBrowserDouble> control = Open(window);
  ASSERT_TRUE(control);
  const std::wstring ascii = RepeatedText(1 << 20, L'f');
  const std::wstring chinese = L"a" + RepeatedText(1 << 19, L'中');
  NavigateWithForm(window, kAddressA, ascii.c_str());
  NavigateWithForm(window, kAddressA, chinese.c_str());
  const std::vector<RecordedNavigation> navigations = NavigationsOf(control.Get());
  ASSERT_EQ(navigations.size(), 2u);
  EXPECT_EQ(navigations[0].postData, std::string(2083, 'f'));
  // "a" and 1041 characters of two bytes: a character is not split at the limit.
  EXPECT_EQ(navigations[1].postData.size(), 2083u);
  EXPECT_EQ(AnsiText::ToWide(navigations[1].postData), chinese.substr(0, 1042));
}

TEST_F(WebSliceWindowTest, NavigateWithFormRefusesUnreadableAndOverlongAddresses) {
  RecordingWindow window;
  win::ComPtr<IBrowserDouble> control = Open(window);
  ASSERT_TRUE(control);
  GuardedText guarded;
  const std::wstring longest = L"http://zwspace.example/" + RepeatedText(2083 - 23);
  const std::wstring tooLong = longest + L"y";
  const std::wstring huge = RepeatedText(10000);
  const wchar_t* refused[] = {nullptr, guarded.Unreadable(), guarded.Unterminated(100), guarded.Unterminated(3000),
                              tooLong.c_str(), huge.c_str(), reinterpret_cast<const wchar_t*>(1)};
  for (const wchar_t* address : refused) {
    EXPECT_EQ(NavigateWithForm(window, address, L"a=1"), 0);
  }
  EXPECT_EQ(control->NavigationCount(), 0);
  EXPECT_STREQ(window.NavigationKey(), "");
  NavigateWithForm(window, longest.c_str(), nullptr);
  const std::vector<RecordedNavigation> navigations = NavigationsOf(control.Get());
  ASSERT_EQ(navigations.size(), 1u);
  EXPECT_EQ(navigations[0].url, longest);
  EXPECT_EQ(strlen(window.NavigationKey()), 32u);
}

TEST_F(WebSliceWindowTest, CookieMessageSetsTheCookieAndRefusesBadStrings) {
  RecordingWindow window;
  ASSERT_TRUE(Open(window));
  const wchar_t url[] = L"http://cookies.zwspace.example/";
  EXPECT_EQ(SendMessageW(window.Handle(), WebSliceWindow::kSetCookieFor, reinterpret_cast<WPARAM>(url),
                         reinterpret_cast<LPARAM>(L"slice=1")),
            0);
  EXPECT_EQ(CookieOf(url), L"slice=1");
  GuardedText guarded;
  const std::wstring huge = L"slice=" + RepeatedText(10000);
  const std::wstring hugeUrl = L"http://cookies.zwspace.example/" + RepeatedText(10000);
  const std::pair<const wchar_t*, const wchar_t*> refused[] = {
      {nullptr, L"slice=2"}, {url, nullptr}, {guarded.Unreadable(), L"slice=2"}, {url, guarded.Unreadable()},
      {url, guarded.Unterminated(64)}, {url, huge.c_str()}, {hugeUrl.c_str(), L"slice=2"},
  };
  for (const auto& [target, data] : refused) {
    SendMessageW(window.Handle(), WebSliceWindow::kSetCookieFor, reinterpret_cast<WPARAM>(target),
                 reinterpret_cast<LPARAM>(data));
  }
  EXPECT_EQ(CookieOf(url), L"slice=1");
}

TEST_F(WebSliceWindowTest, ChildPopupKeepsTheWindowFromHiding) {
  RecordingWindow window;
  ASSERT_TRUE(Open(window));
  HWND handle = window.Handle();
  ShowWindow(handle, SW_SHOWNOACTIVATE);
  EXPECT_EQ(SendMessageW(handle, WebSliceWindow::kHasNoChildPopup, 0, 0), 1);
  win::UniqueWindow popup(CreateWindowExW(0, L"STATIC", L"popup", WS_POPUP, 0, 0, 10, 10, handle, nullptr, nullptr,
                                          nullptr));
  EXPECT_EQ(SendMessageW(handle, WebSliceWindow::kRecordChildPopup, reinterpret_cast<WPARAM>(popup.Get()), 0), 0);
  EXPECT_EQ(SendMessageW(handle, WebSliceWindow::kHasNoChildPopup, 0, 0), 0);
  EXPECT_EQ(SendMessageW(handle, WebSliceWindow::kHideMessage, 0, 0), 0);
  EXPECT_TRUE(IsWindowVisible(handle));
  HWND gone = popup.Get();
  popup.Reset();
  EXPECT_EQ(SendMessageW(handle, WebSliceWindow::kHasNoChildPopup, 0, 0), 1);
  EXPECT_EQ(SendMessageW(handle, WebSliceWindow::kHideForReason, 7, 0), 0);
  EXPECT_FALSE(IsWindowVisible(handle));
  EXPECT_EQ(SendMessageW(handle, WebSliceWindow::kRecordChildPopup, 0, 0), reinterpret_cast<LRESULT>(gone));
}

// Posts a key to `target` and takes it off the queue as a message loop would.
UINT DeliveredKey(HWND target, WPARAM key) {
  PostMessageW(target, WM_KEYDOWN, key, 0);
  MSG message = {};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.hwnd == target) return message.message;
    DispatchMessageW(&message);
  }
  return 0xFFFF;
}

TEST_F(WebSliceWindowTest, KeysTypedInThePageReachTheControlWhileActive) {
  RecordingWindow window;
  win::ComPtr<IBrowserDouble> control = Open(window);
  ASSERT_TRUE(control);
  HWND embedding = control->EmbeddingWindow();
  control->SetAcceleratorAnswer(S_OK);
  EXPECT_EQ(DeliveredKey(embedding, VK_TAB), static_cast<UINT>(WM_KEYDOWN));  // not active: no hook
  SendMessageW(window.Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
  ASSERT_TRUE(window.KeyboardHookInstalled());
  EXPECT_EQ(DeliveredKey(embedding, VK_TAB), static_cast<UINT>(WM_NULL));
  EXPECT_EQ(DeliveredKey(embedding, 'C'), static_cast<UINT>(WM_NULL));
  EXPECT_EQ(DeliveredKey(owner_.Get(), 'D'), static_cast<UINT>(WM_KEYDOWN));  // not the page's
  control->SetAcceleratorAnswer(S_FALSE);
  EXPECT_EQ(DeliveredKey(embedding, 'E'), static_cast<UINT>(WM_KEYDOWN));  // the control did not take it
  const std::wstring log = LogOf(control.Get());
  EXPECT_NE(log.find(L"TranslateAccelerator(0x0100, 0x09)\nTranslateAccelerator(0x0100, 0x43)\n"
                     L"TranslateAccelerator(0x0100, 0x45)"),
            std::wstring::npos)
      << log;
  EXPECT_EQ(log.find(L"0x44"), std::wstring::npos) << log;
  // A loop that peeks before it takes hands the key over once.
  control->SetAcceleratorAnswer(S_OK);
  PostMessageW(embedding, WM_KEYDOWN, 'F', 0);
  MSG peeked = {};
  EXPECT_TRUE(PeekMessageW(&peeked, embedding, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE));
  MSG taken = {};
  EXPECT_TRUE(PeekMessageW(&taken, embedding, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
  EXPECT_EQ(taken.message, static_cast<UINT>(WM_NULL));
  const std::wstring after = LogOf(control.Get());
  EXPECT_EQ(after.find(L"0x46"), after.rfind(L"0x46")) << after;
  EXPECT_NE(after.find(L"0x46"), std::wstring::npos) << after;
  SendMessageW(window.Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_FALSE(window.KeyboardHookInstalled());
  SendMessageW(window.Handle(), WM_ACTIVATE, WA_CLICKACTIVE, 0);
  EXPECT_TRUE(window.KeyboardHookInstalled());
  ShowWindow(window.Handle(), SW_SHOWNOACTIVATE);
  ShowWindow(window.Handle(), SW_HIDE);
  EXPECT_FALSE(window.KeyboardHookInstalled());
}

TEST_F(WebSliceWindowTest, ResizingTheWindowResizesTheControl) {
  RecordingWindow window;
  win::ComPtr<IBrowserDouble> control = Open(window);
  ASSERT_TRUE(control);
  SetWindowPos(window.Handle(), nullptr, 0, 0, 600, 500, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT client, embedded;
  GetClientRect(window.Handle(), &client);
  GetClientRect(control->EmbeddingWindow(), &embedded);
  EXPECT_TRUE(EqualRect(&client, &embedded));
  wchar_t rects[96], verb[64];
  swprintf(rects, 96, L"SetObjectRects((0,0,%ld,%ld), (0,0,%ld,%ld))\n", client.right, client.bottom, client.right,
           client.bottom);
  swprintf(verb, 64, L"DoVerb(-5, (0,0,%ld,%ld))", client.right, client.bottom);
  const std::wstring log = LogOf(control.Get());
  ASSERT_NE(log.find(rects), std::wstring::npos) << log;
  EXPECT_NE(log.find(verb, log.find(rects)), std::wstring::npos) << log;
}

TEST_F(WebSliceWindowTest, DestroyingTheWindowWhileAnEventIsDeliveredLeavesNothingBehind) {
  RecordingWindow window;
  window.destroyOn = DISPID_DOWNLOADBEGIN;
  win::ComPtr<IBrowserDouble> control = Open(window);
  ASSERT_TRUE(control);
  HWND first = window.Handle();
  EXPECT_EQ(control->Fire(DISPID_DOWNLOADBEGIN, nullptr), S_OK);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(window.Handle(), nullptr);
  EXPECT_EQ(window.Browser(), nullptr);
  EXPECT_EQ(control->ConnectedSinks(), 0);
  EXPECT_NE(LogOf(control.Get()).find(L"SetClientSite(null)"), std::wstring::npos);
  // The page goes on: nothing reaches the window object any more.
  control->Fire(DISPID_NAVIGATECOMPLETE2, kAddressA);
  control->Fire(DISPID_WINDOWCLOSING, nullptr);
  EXPECT_EQ(CallScript(control.Get(), L"SetCookie", {}), E_FAIL);
  EXPECT_EQ(window.events, std::vector<DISPID>{DISPID_DOWNLOADBEGIN});
  // The object makes a new window with a control of its own.
  window.destroyOn = 0;
  win::ComPtr<IBrowserDouble> second = Open(window);
  ASSERT_TRUE(second);
  EXPECT_NE(second.Get(), control.Get());
  EXPECT_EQ(second->ConnectedSinks(), 1);
}

TEST_F(WebSliceWindowTest, DeletingTheObjectLetsGoOfTheControl) {
  win::ComPtr<IBrowserDouble> control;
  HWND handle = nullptr;
  {
    RecordingWindow window;
    control = Open(window);
    ASSERT_TRUE(control);
    handle = window.Handle();
  }
  EXPECT_FALSE(IsWindow(handle));
  EXPECT_EQ(control->ConnectedSinks(), 0);
  void* site = nullptr;
  EXPECT_EQ(control->QuerySite(IID_IOleClientSite, &site), E_FAIL);
  EXPECT_EQ(control->Fire(DISPID_DOCUMENTCOMPLETE, kAddressA), S_OK);
  EXPECT_EQ(CallScript(control.Get(), L"ResizeFrame", {ScriptValue::Integer(1), ScriptValue::Integer(1)}), E_FAIL);
}

TEST_F(WebSliceWindowTest, OnQuitDisconnectsTheEvents) {
  RecordingWindow window;
  win::ComPtr<IBrowserDouble> control = Open(window);
  ASSERT_TRUE(control);
  control->Fire(DISPID_ONQUIT, nullptr);
  EXPECT_EQ(control->ConnectedSinks(), 0);
  control->Fire(DISPID_DOWNLOADBEGIN, nullptr);
  EXPECT_EQ(window.events, std::vector<DISPID>{DISPID_ONQUIT});
  EXPECT_TRUE(IsWindow(window.Handle()));
}

// A class object of CLSID_WebBrowser that cannot make the control.
class FailingFactory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = (iid == IID_IUnknown || iid == IID_IClassFactory) ? static_cast<IClassFactory*>(this) : nullptr;
    return *out != nullptr ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** out) override {
    *out = nullptr;
    return E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

TEST(WebSliceWithoutControl, WindowStaysEmptyAndNeverShowsTheLoadingText) {
  ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
  FailingFactory factory;
  DWORD cookie = 0;
  ASSERT_EQ(CoRegisterClassObject(CLSID_WebBrowser, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie),
            S_OK);
  {
    BarshareDll dll;
    RecordingWindow window;
    ASSERT_EQ(window.Create(dll.Module(), nullptr, nullptr, 300, 200), 1);
    EXPECT_EQ(window.Browser(), nullptr);
    EXPECT_EQ(FindWindowExW(window.Handle(), nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(window.Navigate(kAddressA), E_POINTER);
    EXPECT_EQ(NavigateWithForm(window, kAddressA, L"a=1"), 0);
    EXPECT_STREQ(window.NavigationKey(), "");  // default handling
    window.Invoke(DISPID_DOWNLOADBEGIN, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(window.Handle(), SW_SHOWNOACTIVATE);
    UpdateWindow(window.Handle());
    EXPECT_EQ(window.loadingPaints, 0);
  }
  CoRevokeClassObject(cookie);
  OleUninitialize();
}

}  // namespace
