#include "webslice/WebSliceWindow.h"

#include <exdispid.h>
#include <wininet.h>

#include <vector>

#include "button/CreatorRecord.h"
#include "webslice/AnsiText.h"
#include "webslice/SignedCookieCheck.h"
#include "webslice/WindowPlacement.h"
#include "win/QiTable.h"

namespace {

constexpr DWORD kWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr LANGID kChinesePrc = 2052;
constexpr int kLoadingMargin = 10;
constexpr UINT kLastKeyMessage = 0x108;
constexpr size_t kNameChars = 259;
// Byte limits of the ANSI copies: an address (and form data) without its
// NUL, a signature text.
constexpr size_t kAddressBytes = WebSliceWindow::kAddressChars - 1;
constexpr size_t kPostBytes = kAddressBytes;
constexpr size_t kSignatureBytes = 259;
const wchar_t kFormContentType[] = L"Content-Type: application/x-www-form-urlencoded\r\n";

// Held by no window: released when the last window object goes, never at unload.
struct SharedState {
  win::ComPtr<IUnknown> host;
  HWND owner = nullptr;
  int liveObjects = 0;
};

SharedState& Shared() {
  static SharedState* const state = new SharedState();
  return *state;
}

// A variant of type vt, empty until filled; cleared when it goes.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  ~Variant() { VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* Get() { return &value_; }
  void SetText(const wchar_t* text) {
    VariantClear(&value_);
    V_VT(&value_) = VT_BSTR;
    V_BSTR(&value_) = SysAllocString(text);
  }
  void SetInteger(LONG number) {
    VariantClear(&value_);
    V_VT(&value_) = VT_I4;
    V_I4(&value_) = number;
  }
  // The bytes without a NUL as a one-dimensional VT_UI1 array.
  bool SetBytes(const std::string& bytes) {
    VariantClear(&value_);
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (array == nullptr) return false;
    void* data = nullptr;
    if (SUCCEEDED(SafeArrayAccessData(array, &data))) {
      if (!bytes.empty()) CopyMemory(data, bytes.data(), bytes.size());
      SafeArrayUnaccessData(array);
    }
    V_VT(&value_) = VT_ARRAY | VT_UI1;
    V_ARRAY(&value_) = array;
    return true;
  }

 private:
  VARIANT value_;
};

// The characters of a script's text argument before its first NUL, at most maxChars.
size_t ScriptTextLength(const wchar_t* text, size_t maxChars) {
  if (text == nullptr) return 0;
  const size_t length = SysStringLen(const_cast<BSTR>(text));
  return wcsnlen(text, length < maxChars ? length : maxChars);
}

}  // namespace

WebSliceWindow::WebSliceWindow(DWORD hostUiOption) : hostUiOption_(hostUiOption) { ++Shared().liveObjects; }

WebSliceWindow::~WebSliceWindow() {
  DestroyOwnWindow();
  ReleaseControl();
  SharedState& shared = Shared();
  if (--shared.liveObjects == 0) shared.host = nullptr;
}

IUnknown* WebSliceWindow::SharedHost() { return Shared().host.Get(); }

HWND WebSliceWindow::SharedOwner() { return Shared().owner; }

const wchar_t* WebSliceWindow::LoadingText(LANGID language) {
  return language == kChinesePrc ? L"正在加载..." : L"Loading...";
}

void WebSliceWindow::DestroyOwnWindow() {
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
  window_ = nullptr;
}

// ---- window

bool WebSliceWindow::RegisterWindowClass(HMODULE module) {
  WNDCLASSW existing = {};
  if (GetClassInfoW(module, kClassName, &existing)) {
    if (existing.lpfnWndProc == &WebSliceWindow::ClassWindowProc) return true;
    // Left by an earlier load of this code at another address.
    UnregisterClassW(kClassName, module);
  }
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = &WebSliceWindow::ClassWindowProc;
  windowClass.hInstance = module;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = kClassName;
  return RegisterClassW(&windowClass) != 0;
}

int WebSliceWindow::Create(HMODULE module, HWND owner, IUnknown* host, int width, int height) {
  if (window_ != nullptr && IsWindow(window_)) return 1;
  window_ = nullptr;
  module_ = module;
  owner_ = owner;
  if (!RegisterWindowClass(module)) return 0;
  HWND window = CreateWindowExW(0, kClassName, nullptr, kWindowStyle, 0, 0, width, height, owner, nullptr, module,
                                this);
  if (window == nullptr) {
    window_ = nullptr;
    return 0;
  }
  std::vector<wchar_t> title(kAddressChars, L'\0');
  LoadStringW(module, kTitleStringId, title.data(), static_cast<int>(title.size()));
  SetWindowTextW(window, title.data());
  SharedState& shared = Shared();
  shared.host = win::ComPtr<IUnknown>(host);
  shared.owner = owner;
  return 1;
}

LRESULT CALLBACK WebSliceWindow::ClassWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* self = static_cast<WebSliceWindow*>(create != nullptr ? create->lpCreateParams : nullptr);
    if (self != nullptr) {
      self->window_ = window;
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
  }
  auto* self = reinterpret_cast<WebSliceWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr || self->window_ != window) return DefWindowProcW(window, message, wParam, lParam);
  return self->WindowProc(message, wParam, lParam);
}

LRESULT WebSliceWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = window_;
  switch (message) {
    case WM_CREATE:
      return OnCreate();
    case WM_DESTROY:
      OnDestroy();
      break;
    case WM_SIZE:
      OnSize();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) {
        InstallKeyboardHook();
      } else {
        RemoveKeyboardHook();
      }
      return 0;
    case WM_SHOWWINDOW:
      if (!wParam) RemoveKeyboardHook();
      break;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_NCDESTROY:
      RemoveKeyboardHook();
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      window_ = nullptr;
      break;
    case kHideMessage:
    case kHideForReason:
    case kNavigateWithForm:
    case kSetCookieFor:
    case kHasNoChildPopup:
    case kRecordChildPopup:
      return OnUserMessage(message, wParam, lParam);
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT WebSliceWindow::OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kHideMessage:
      SendMessageW(window_, kHideForReason, 3, 0);
      return 0;
    case kHideForReason:
      if (childPopup_ == nullptr || !IsWindow(childPopup_)) ShowWindow(window_, SW_HIDE);
      return 0;
    case kNavigateWithForm:
      return OnNavigateWithForm(wParam, lParam);
    case kSetCookieFor:
      return OnSetCookieFor(wParam, lParam);
    case kHasNoChildPopup:
      return (childPopup_ == nullptr || !IsWindow(childPopup_)) ? 1 : 0;
    default: {
      HWND previous = childPopup_;
      childPopup_ = reinterpret_cast<HWND>(wParam);
      return reinterpret_cast<LRESULT>(previous);
    }
  }
}

LRESULT WebSliceWindow::OnCreate() {
  CreateControl();
  ownerTop_ = owner_;
  while (ownerTop_ != nullptr && (GetWindowLongPtrW(ownerTop_, GWL_STYLE) & WS_CHILD) != 0) {
    ownerTop_ = GetParent(ownerTop_);
  }
  TakeOwnerIcon();
  WindowPlacement::PlaceWindow(window_, ownerTop_, WindowPlacement::Rule::Centred);
  return 0;
}

void WebSliceWindow::TakeOwnerIcon() {
  if (ownerTop_ == nullptr) return;
  auto icon = reinterpret_cast<HICON>(SendMessageW(ownerTop_, WM_GETICON, ICON_SMALL, 0));
  if (icon == nullptr) icon = reinterpret_cast<HICON>(SendMessageW(ownerTop_, WM_GETICON, ICON_BIG, 0));
  if (icon == nullptr) icon = reinterpret_cast<HICON>(GetClassLongPtrW(ownerTop_, GCLP_HICON));
  if (icon != nullptr) SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void WebSliceWindow::OnDestroy() {
  ReleaseControl();
  RemoveKeyboardHook();
  embedding_ = nullptr;
}

void WebSliceWindow::OnSize() {
  if (!browser_) return;
  RECT rect;
  GetControlRect(&rect);
  win::ComPtr<IOleInPlaceObject> inPlace;
  if (SUCCEEDED(browser_.As(IID_IOleInPlaceObject, inPlace))) inPlace->SetObjectRects(&rect, &rect);
  win::ComPtr<IOleObject> object;
  if (SUCCEEDED(browser_.As(IID_IOleObject, object))) {
    object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0, window_, &rect);
  }
}

void WebSliceWindow::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window_, &paint);
  if (embedding_ != nullptr && IsWindow(embedding_) && !IsWindowVisible(embedding_)) PaintLoading(dc);
  EndPaint(window_, &paint);
}

void WebSliceWindow::GetControlRect(RECT* rect) {
  if (rect == nullptr) return;
  SetRectEmpty(rect);
  if (window_ != nullptr) GetClientRect(window_, rect);
}

LRESULT WebSliceWindow::ChildWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

int WebSliceWindow::Reserved15() { return 0; }

// ---- the control

bool WebSliceWindow::CreateControl() {
  win::ComPtr<IUnknown> control;
  const DWORD context = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;
  if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, context, IID_IUnknown, control.PutVoid()))) return false;
  OleRun(control.Get());
  if (FAILED(control.As(IID_IWebBrowser2, browser_))) return false;
  auto* site = static_cast<IOleClientSite*>(this);
  win::ComPtr<IOleObject> object;
  if (SUCCEEDED(browser_.As(IID_IOleObject, object))) object->SetClientSite(site);
  RECT rect;
  GetControlRect(&rect);
  win::ComPtr<IOleInPlaceObject> inPlace;
  if (SUCCEEDED(browser_.As(IID_IOleInPlaceObject, inPlace))) inPlace->SetObjectRects(&rect, &rect);
  if (object) object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, window_, &rect);
  ConnectEvents();
  return true;
}

void WebSliceWindow::ConnectEvents() {
  win::ComPtr<IConnectionPointContainer> container;
  win::ComPtr<IConnectionPoint> point;
  if (FAILED(browser_.As(IID_IConnectionPointContainer, container)) ||
      FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.Put()))) {
    return;
  }
  DWORD cookie = 0;
  if (SUCCEEDED(point->Advise(static_cast<IDispatch*>(this), &cookie))) eventCookie_ = cookie;
}

void WebSliceWindow::DisconnectEvents() {
  if (eventCookie_ == 0 || !browser_) return;
  const DWORD cookie = eventCookie_;
  eventCookie_ = 0;
  win::ComPtr<IConnectionPointContainer> container;
  win::ComPtr<IConnectionPoint> point;
  if (SUCCEEDED(browser_.As(IID_IConnectionPointContainer, container)) &&
      SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.Put()))) {
    point->Unadvise(cookie);
  }
}

// The control may call back while it lets go; it finds this object without
// a control and its events already disconnected.
void WebSliceWindow::ReleaseControl() {
  if (!browser_) return;
  DisconnectEvents();
  win::ComPtr<IWebBrowser2> browser;
  browser.Swap(browser_);
  win::ComPtr<IOleObject> object;
  if (SUCCEEDED(browser.As(IID_IOleObject, object))) object->SetClientSite(nullptr);
}

HRESULT WebSliceWindow::Navigate(const wchar_t* url) {
  Variant flags;
  flags.SetInteger(0);
  return Navigate2(url, flags.Get(), nullptr, nullptr);
}

HRESULT WebSliceWindow::Navigate2(const wchar_t* url, VARIANT* flags, VARIANT* postData, VARIANT* headers) {
  if (!browser_) return E_POINTER;
  Variant address, empty, noFlags, noPost, noHeaders;
  address.SetText(url != nullptr ? url : L"");
  return browser_->Navigate2(address.Get(), flags != nullptr ? flags : noFlags.Get(), empty.Get(),
                             postData != nullptr ? postData : noPost.Get(),
                             headers != nullptr ? headers : noHeaders.Get());
}

LRESULT WebSliceWindow::OnNavigateWithForm(WPARAM wParam, LPARAM lParam) {
  const std::optional<std::wstring> address = AnsiText::Read(reinterpret_cast<const wchar_t*>(wParam), kAddressChars);
  // An address that does not end within its buffer is not taken, nor cut.
  if (!address || address->size() >= kAddressChars || !browser_) {
    return DefWindowProcW(window_, kNavigateWithForm, wParam, lParam);
  }
  SetNavigationKey(address->c_str());
  const std::optional<std::wstring> form = AnsiText::Read(reinterpret_cast<const wchar_t*>(lParam), kPostBytes);
  if (!form || form->empty()) {
    Navigate2(address->c_str(), nullptr, nullptr, nullptr);
    return 0;
  }
  Variant postData, headers;
  if (postData.SetBytes(AnsiText::FromWide(*form, kPostBytes))) {
    headers.SetText(kFormContentType);
    Navigate2(address->c_str(), nullptr, postData.Get(), headers.Get());
  }
  return 0;
}

LRESULT WebSliceWindow::OnSetCookieFor(WPARAM wParam, LPARAM lParam) {
  const std::optional<std::wstring> url = AnsiText::Read(reinterpret_cast<const wchar_t*>(wParam), kAddressChars);
  const std::optional<std::wstring> data = AnsiText::Read(reinterpret_cast<const wchar_t*>(lParam), kCookieChars);
  if (!url || !data || url->size() >= kAddressChars || data->size() >= kCookieChars) {
    return DefWindowProcW(window_, kSetCookieFor, wParam, lParam);
  }
  InternetSetCookieW(url->c_str(), nullptr, data->c_str());
  return 0;
}

// ---- loading text

HWND WebSliceWindow::EmbeddingWindow() {
  if (embedding_ == nullptr && window_ != nullptr) {
    embedding_ = FindWindowExW(window_, nullptr, L"Shell Embedding", nullptr);
  }
  return embedding_;
}

void WebSliceWindow::ShowLoading(BOOL on) {
  HWND embedding = EmbeddingWindow();
  if (embedding == nullptr) return;
  ShowWindow(embedding, on ? SW_HIDE : SW_SHOW);
  if (on) InvalidateRect(window_, nullptr, TRUE);
}

void WebSliceWindow::PaintLoading(HDC dc) {
  const LANGID language = GetUserDefaultUILanguage();
  HGDIOBJ font = GetStockObject(language == kChinesePrc ? DEFAULT_GUI_FONT : SYSTEM_FONT);
  HGDIOBJ previous = SelectObject(dc, font);
  RECT area;
  GetClientRect(window_, &area);
  InflateRect(&area, -kLoadingMargin, -kLoadingMargin);
  DrawTextW(dc, LoadingText(language), -1, &area, 0);
  SelectObject(dc, previous);
}

// ---- keyboard

void WebSliceWindow::InstallKeyboardHook() {
  if (keyboardHook_) return;
  keyboardHook_.Reset(SetWindowsHookExW(WH_GETMESSAGE, &WebSliceWindow::KeyboardHook, nullptr, GetCurrentThreadId()));
}

void WebSliceWindow::RemoveKeyboardHook() { keyboardHook_.Reset(); }

// The window object behind a message's target: the target's top-level
// window, when it is a window of this class procedure with its hook in place.
WebSliceWindow* WebSliceWindow::FromTarget(HWND target) {
  if (target == nullptr) return nullptr;
  HWND root = GetAncestor(target, GA_ROOT);
  if (root == nullptr ||
      GetWindowLongPtrW(root, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&WebSliceWindow::ClassWindowProc)) {
    return nullptr;
  }
  auto* self = reinterpret_cast<WebSliceWindow*>(GetWindowLongPtrW(root, GWLP_USERDATA));
  return self != nullptr && self->window_ == root && self->keyboardHook_ ? self : nullptr;
}

LRESULT CALLBACK WebSliceWindow::KeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
  auto* message = reinterpret_cast<MSG*>(lParam);
  // Only messages taken off the queue: a peek that leaves one there would
  // otherwise hand the same key to the control twice.
  if (code == HC_ACTION && wParam == PM_REMOVE && message != nullptr && message->message >= WM_KEYDOWN &&
      message->message <= kLastKeyMessage) {
    WebSliceWindow* self = FromTarget(message->hwnd);
    if (self != nullptr && self->ForwardKey(message)) {
      message->message = WM_NULL;
      return 0;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool WebSliceWindow::ForwardKey(MSG* message) {
  win::ComPtr<IOleInPlaceActiveObject> active;
  if (!browser_ || FAILED(browser_.As(IID_IOleInPlaceActiveObject, active))) return false;
  return active->TranslateAccelerator(message) == S_OK;
}

// ---- IUnknown, the site interfaces

HRESULT WebSliceWindow::QueryInterface(REFIID iid, void** out) {
  static const win::QiEntry kInterfaces[] = {
      {&IID_IOleWindow, win::QiOffset<IOleInPlaceSite, WebSliceWindow>()},
      {&IID_IDispatch, win::QiOffset<IDispatch, WebSliceWindow>()},
      {&IID_IOleClientSite, win::QiOffset<IOleClientSite, WebSliceWindow>()},
      {&IID_IOleInPlaceSite, win::QiOffset<IOleInPlaceSite, WebSliceWindow>()},
      {&IID_IDocHostUIHandler, win::QiOffset<IDocHostUIHandler, WebSliceWindow>()},
      {nullptr, 0},
  };
  return win::QiSearch(this, kInterfaces, iid, out);
}

HRESULT WebSliceWindow::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker != nullptr) *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT WebSliceWindow::GetContainer(IOleContainer** container) {
  if (container != nullptr) *container = nullptr;
  return E_NOTIMPL;
}

HRESULT WebSliceWindow::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = window_;
  return S_OK;
}

HRESULT WebSliceWindow::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                         LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
  if (frame != nullptr) *frame = nullptr;
  if (document != nullptr) *document = nullptr;
  RECT rect;
  GetControlRect(&rect);
  if (position != nullptr) *position = rect;
  if (clip != nullptr) *clip = rect;
  if (info != nullptr) {
    info->fMDIApp = FALSE;
    info->hwndFrame = nullptr;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
  }
  return S_OK;
}

// The size field is the structure's own: 20 bytes in the 32-bit build.
HRESULT WebSliceWindow::GetHostInfo(DOCHOSTUIINFO* info) {
  if (info == nullptr) return E_POINTER;
  info->cbSize = sizeof(DOCHOSTUIINFO);
  info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
  info->dwFlags |= DOCHOSTUIFLAG_THEME;
  if (!(hostUiOption_ & kKeepOuterBorder)) info->dwFlags |= DOCHOSTUIFLAG_NO3DOUTERBORDER;
  if (!(hostUiOption_ & kKeepScrollBars)) info->dwFlags |= DOCHOSTUIFLAG_SCROLL_NO;
  return S_OK;
}

HRESULT WebSliceWindow::GetOptionKeyPath(LPOLESTR* key, DWORD) {
  if (key != nullptr) *key = nullptr;
  return S_OK;
}

HRESULT WebSliceWindow::GetDropTarget(IDropTarget*, IDropTarget** target) {
  if (target != nullptr) *target = nullptr;
  return S_OK;
}

HRESULT WebSliceWindow::GetExternal(IDispatch** external) {
  if (external == nullptr) return E_POINTER;
  *external = static_cast<IDispatch*>(this);
  return S_OK;
}

HRESULT WebSliceWindow::TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) {
  if (translated != nullptr) *translated = nullptr;
  return S_FALSE;
}

HRESULT WebSliceWindow::FilterDataObject(IDataObject*, IDataObject** filtered) {
  if (filtered != nullptr) *filtered = nullptr;
  return S_FALSE;
}

// ---- the script object

HRESULT WebSliceWindow::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT WebSliceWindow::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  return S_OK;
}

// Only the first name counts. An unknown name still succeeds, as pages
// expect, but gets DISPID_UNKNOWN, which Invoke ignores, rather than
// whatever the caller's variable held.
HRESULT WebSliceWindow::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  const std::optional<std::wstring> name = AnsiText::Read(names[0], kNameChars);
  if (!name) return S_OK;
  static const struct {
    const wchar_t* name;
    DISPID id;
  } kNames[] = {{L"ResizeFrame", kResizeFrame}, {L"SetCookie", kSetCookie}, {L"Login", kLogin}};
  for (const auto& entry : kNames) {
    if (lstrcmpiW(name->c_str(), entry.name) == 0) ids[0] = entry.id;
  }
  return S_OK;
}

HRESULT WebSliceWindow::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* arguments, VARIANT*, EXCEPINFO*, UINT*) {
  switch (id) {
    case DISPID_DOWNLOADBEGIN:
      if (firstLoadPending_) ShowLoading(TRUE);
      break;
    case DISPID_DOWNLOADCOMPLETE:
    case DISPID_NAVIGATECOMPLETE2:
    case DISPID_DOCUMENTCOMPLETE:
    case DISPID_NAVIGATEERROR:
      firstLoadPending_ = false;
      ShowLoading(FALSE);
      break;
    case kResizeFrame:
      ResizeFrame(arguments);
      break;
    case kSetCookie:
      SetCookie(arguments);
      break;
    default:
      break;
  }
  OnBrowserEvent(id, arguments);
  return S_OK;
}

const VARIANT* WebSliceWindow::Argument(const DISPPARAMS* arguments, UINT position) {
  if (arguments == nullptr || arguments->rgvarg == nullptr || position >= arguments->cArgs) return nullptr;
  return &arguments->rgvarg[arguments->cArgs - 1 - position];
}

const wchar_t* WebSliceWindow::TextArgument(const DISPPARAMS* arguments, UINT position) {
  const VARIANT* value = Argument(arguments, position);
  if (value != nullptr && V_VT(value) == (VT_VARIANT | VT_BYREF)) value = V_VARIANTREF(value);
  return value != nullptr && V_VT(value) == VT_BSTR ? V_BSTR(value) : nullptr;
}

void WebSliceWindow::ResizeFrame(const DISPPARAMS* arguments) {
  const VARIANT* width = Argument(arguments, 0);
  const VARIANT* height = Argument(arguments, 1);
  if (width == nullptr || height == nullptr || V_VT(width) != VT_I4 || V_VT(height) != VT_I4) return;
  if (window_ == nullptr || !IsWindowVisible(window_)) return;
  RECT frame;
  GetWindowRect(window_, &frame);
  const LONGLONG screenWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  LONGLONG left = frame.left;
  // Summed wide: a huge width from script must not wrap around.
  if (left + V_I4(width) > screenWidth) left = screenWidth - V_I4(width);
  SetWindowPos(window_, nullptr, static_cast<int>(left), frame.top, V_I4(width), V_I4(height),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void WebSliceWindow::SetCookie(const DISPPARAMS* arguments) {
  const VARIANT* cookie = Argument(arguments, 0);
  const VARIANT* signature = Argument(arguments, 1);
  if (cookie == nullptr || signature == nullptr || V_VT(cookie) != VT_BSTR || V_VT(signature) != VT_BSTR) return;
  // Characters beyond these could not fit the byte limits anyway.
  const std::string cookieText =
      AnsiText::FromWide(V_BSTR(cookie), ScriptTextLength(V_BSTR(cookie), kAddressBytes), kAddressBytes);
  const std::string signatureText =
      AnsiText::FromWide(V_BSTR(signature), ScriptTextLength(V_BSTR(signature), kSignatureBytes), kSignatureBytes);
  if (SignedCookieCheck(signatureText.c_str(), static_cast<int>(signatureText.size()), cookieText.c_str(),
                        navigationKey_, kCookieFixedText)) {
    OnVerifiedCookie(AnsiText::ToWide(cookieText).c_str());
  }
}

// ---- the rest of the virtual operations

HRESULT WebSliceWindow::OnBrowserEvent(DISPID id, DISPPARAMS*) {
  if (id == DISPID_ONQUIT) DisconnectEvents();
  return S_OK;
}

void WebSliceWindow::OnVerifiedCookie(const wchar_t*) {}

void WebSliceWindow::SetNavigationKey(const wchar_t* text) {
  const std::string bytes = text != nullptr ? AnsiText::FromWide(text, wcslen(text), static_cast<size_t>(-1))
                                            : std::string();
  CreatorRecord::Md5Hex(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), navigationKey_);
}
