#include "BrowserControlDouble.h"

#include <exdispid.h>
#include <mshtmhst.h>
#include <olectl.h>

#include <cstdarg>
#include <cwchar>

#include "BrowserDoubleModule.h"
#include "HtmlDocumentDouble.h"
#include "win/QiTable.h"

namespace {

const wchar_t kEmbeddingClass[] = L"Shell Embedding";

std::wstring RectText(LPCRECT rect) {
  if (rect == nullptr) return L"null";
  wchar_t text[64];
  swprintf(text, 64, L"(%ld,%ld,%ld,%ld)", rect->left, rect->top, rect->right, rect->bottom);
  return text;
}

// The variant a VARIANT* argument carries, looking through VT_BYREF VARIANTs.
const VARIANT* Value(const VARIANT* argument) {
  if (argument != nullptr && V_VT(argument) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(argument) != nullptr) {
    return V_VARIANTREF(argument);
  }
  return argument;
}

std::wstring TextOf(const VARIANT* argument) {
  const VARIANT* value = Value(argument);
  if (value == nullptr || V_VT(value) != VT_BSTR || V_BSTR(value) == nullptr) return std::wstring();
  return std::wstring(V_BSTR(value), SysStringLen(V_BSTR(value)));
}

std::string BytesOf(const VARIANT* argument) {
  const VARIANT* value = Value(argument);
  if (value == nullptr || V_VT(value) != (VT_ARRAY | VT_UI1) || V_ARRAY(value) == nullptr) return std::string();
  SAFEARRAY* array = V_ARRAY(value);
  LONG lower = 0, upper = -1;
  SafeArrayGetLBound(array, 1, &lower);
  SafeArrayGetUBound(array, 1, &upper);
  void* data = nullptr;
  if (upper < lower || FAILED(SafeArrayAccessData(array, &data))) return std::string();
  std::string bytes(static_cast<const char*>(data), static_cast<size_t>(upper - lower + 1));
  SafeArrayUnaccessData(array);
  return bytes;
}

BSTR NewText(const std::wstring& text) { return SysAllocStringLen(text.data(), static_cast<UINT>(text.size())); }

}  // namespace

BrowserControlDouble::BrowserControlDouble()
    : events_(static_cast<IWebBrowser2*>(this), static_cast<IConnectionPointContainer*>(this)) {
  BrowserDoubleModule::ObjectCreated();
}

BrowserControlDouble::~BrowserControlDouble() {
  events_.Clear();
  if (embedding_) SetWindowLongPtrW(embedding_.Get(), GWLP_USERDATA, 0);
  embedding_.Reset();
  BrowserDoubleModule::ObjectDestroyed();
}

void BrowserControlDouble::RegisterWindowClass(HINSTANCE module) {
  WNDCLASSW windowClass = {};
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = &BrowserControlDouble::EmbeddingProc;
  windowClass.hInstance = module;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kEmbeddingClass;
  RegisterClassW(&windowClass);
}

void BrowserControlDouble::UnregisterWindowClass(HINSTANCE module) { UnregisterClassW(kEmbeddingClass, module); }

HRESULT BrowserControlDouble::QueryInterface(REFIID iid, void** out) {
  static const win::QiEntry kInterfaces[] = {
      {&IID_IWebBrowser2, win::QiOffset<IWebBrowser2, BrowserControlDouble>()},
      {&IID_IWebBrowserApp, win::QiOffset<IWebBrowser2, BrowserControlDouble>()},
      {&IID_IWebBrowser, win::QiOffset<IWebBrowser2, BrowserControlDouble>()},
      {&IID_IDispatch, win::QiOffset<IWebBrowser2, BrowserControlDouble>()},
      {&IID_IOleObject, win::QiOffset<IOleObject, BrowserControlDouble>()},
      {&IID_IOleWindow, win::QiOffset<IOleInPlaceObject, BrowserControlDouble>()},
      {&IID_IOleInPlaceObject, win::QiOffset<IOleInPlaceObject, BrowserControlDouble>()},
      {&IID_IOleInPlaceActiveObject, win::QiOffset<IOleInPlaceActiveObject, BrowserControlDouble>()},
      {&IID_IConnectionPointContainer, win::QiOffset<IConnectionPointContainer, BrowserControlDouble>()},
      {&IID_IBrowserDouble, win::QiOffset<IBrowserDouble, BrowserControlDouble>()},
      {nullptr, 0},
  };
  return win::QiSearch(this, kInterfaces, iid, out);
}

ULONG BrowserControlDouble::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG BrowserControlDouble::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

void BrowserControlDouble::Record(const wchar_t* format, ...) {
  wchar_t line[512];
  va_list arguments;
  va_start(arguments, format);
  vswprintf(line, 512, format, arguments);
  va_end(arguments);
  log_.push_back(line);
}

HRESULT BrowserControlDouble::get_Document(IDispatch** document) {
  if (document == nullptr) return E_POINTER;
  *document = nullptr;
  if (documentKind_ == kDocumentNone) return E_FAIL;
  *document = new HtmlDocumentDouble(title_, url_, documentKind_);
  return S_OK;
}

HRESULT BrowserControlDouble::Navigate2(VARIANT* url, VARIANT* flags, VARIANT* target, VARIANT* postData,
                                        VARIANT* headers) {
  Navigation navigation = {};
  VARIANT* arguments[5] = {url, flags, target, postData, headers};
  for (int i = 0; i < 5; ++i) navigation.types[i] = arguments[i] != nullptr ? V_VT(arguments[i]) : static_cast<VARTYPE>(VT_ERROR);
  navigation.url = TextOf(url);
  const VARIANT* flagValue = Value(flags);
  navigation.flags = flagValue != nullptr && V_VT(flagValue) == VT_I4 ? V_I4(flagValue) : -1;
  navigation.postData = BytesOf(postData);
  navigation.headers = TextOf(headers);
  url_ = navigation.url;
  navigations_.push_back(navigation);
  Record(L"Navigate2(%ls)", navigation.url.substr(0, 200).c_str());
  if (embedding_) InvalidateRect(embedding_.Get(), nullptr, TRUE);
  return url == nullptr ? E_INVALIDARG : S_OK;
}

HRESULT BrowserControlDouble::SetClientSite(IOleClientSite* site) {
  Record(L"SetClientSite(%ls)", site != nullptr ? L"site" : L"null");
  site_ = win::ComPtr<IOleClientSite>(site);
  return S_OK;
}

HRESULT BrowserControlDouble::GetClientSite(IOleClientSite** site) {
  if (site == nullptr) return E_POINTER;
  return site_.CopyTo(site);
}

HRESULT BrowserControlDouble::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT position) {
  if (verb != OLEIVERB_INPLACEACTIVATE && verb != OLEIVERB_SHOW && verb != OLEIVERB_UIACTIVATE) {
    Record(L"DoVerb(%ld)", verb);
    return OLEOBJ_S_INVALIDVERB;
  }
  const HRESULT result = ActivateInPlace(site != nullptr ? site : site_.Get(), parent, position);
  Record(L"DoVerb(%ld, %ls) = 0x%08lx", verb, RectText(position).c_str(), static_cast<unsigned long>(result));
  return result;
}

// What the system's control does on in-place activation: asks the site
// whether it may, tells it that it does, takes the window and its rectangles
// from it and shows itself in a child of that window.
HRESULT BrowserControlDouble::ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT position) {
  if (site == nullptr) return E_INVALIDARG;
  win::ComPtr<IOleInPlaceSite> inPlace;
  if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, inPlace.PutVoid()))) return E_NOINTERFACE;
  const HRESULT can = inPlace->CanInPlaceActivate();
  if (can != S_OK) return E_FAIL;
  inPlace->OnInPlaceActivate();
  HWND siteWindow = nullptr;
  inPlace->GetWindow(&siteWindow);
  win::ComPtr<IOleInPlaceFrame> frame;
  win::ComPtr<IOleInPlaceUIWindow> document;
  RECT place = {}, clip = {};
  OLEINPLACEFRAMEINFO frameInfo = {};
  frameInfo.cb = sizeof frameInfo;
  const HRESULT context = inPlace->GetWindowContext(frame.Put(), document.Put(), &place, &clip, &frameInfo);
  Record(L"GetWindowContext = 0x%08lx, %ls, %ls, frame %ls, document %ls", static_cast<unsigned long>(context),
         RectText(&place).c_str(), RectText(&clip).c_str(), frame ? L"given" : L"none",
         document ? L"given" : L"none");
  HWND owner = parent != nullptr ? parent : siteWindow;
  if (owner == nullptr) return E_FAIL;
  const RECT& where = position != nullptr ? *position : place;
  if (!embedding_) {
    embedding_.Reset(CreateWindowExW(0, kEmbeddingClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, where.left,
                                     where.top, where.right - where.left, where.bottom - where.top, owner, nullptr,
                                     BrowserDoubleModule::Handle(), this));
    if (!embedding_) return E_FAIL;
    SetWindowLongPtrW(embedding_.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  } else {
    MoveWindow(embedding_.Get(), where.left, where.top, where.right - where.left, where.bottom - where.top, TRUE);
  }
  return S_OK;
}

HRESULT BrowserControlDouble::GetUserClassID(CLSID* classId) {
  if (classId == nullptr) return E_POINTER;
  *classId = CLSID_WebBrowser;
  return S_OK;
}

HRESULT BrowserControlDouble::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = embedding_.Get();
  return embedding_ ? S_OK : E_FAIL;
}

HRESULT BrowserControlDouble::InPlaceDeactivate() {
  Record(L"InPlaceDeactivate");
  embedding_.Reset();
  return S_OK;
}

HRESULT BrowserControlDouble::SetObjectRects(LPCRECT position, LPCRECT clip) {
  Record(L"SetObjectRects(%ls, %ls)", RectText(position).c_str(), RectText(clip).c_str());
  if (position == nullptr) return E_INVALIDARG;
  if (embedding_) {
    MoveWindow(embedding_.Get(), position->left, position->top, position->right - position->left,
               position->bottom - position->top, TRUE);
  }
  return S_OK;
}

HRESULT BrowserControlDouble::TranslateAccelerator(LPMSG message) {
  if (message == nullptr) return E_INVALIDARG;
  Record(L"TranslateAccelerator(0x%04x, 0x%02x)", message->message, static_cast<unsigned>(message->wParam));
  return acceleratorAnswer_;
}

HRESULT BrowserControlDouble::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (points != nullptr) *points = nullptr;
  return E_NOTIMPL;
}

HRESULT BrowserControlDouble::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
  if (point == nullptr) return E_POINTER;
  *point = nullptr;
  if (iid != DIID_DWebBrowserEvents2) return CONNECT_E_NOCONNECTION;
  *point = &events_;
  events_.AddRef();
  return S_OK;
}

HRESULT BrowserControlDouble::SetPage(const wchar_t* title, const wchar_t* url, int documentKind) {
  title_ = title != nullptr ? title : L"";
  url_ = url != nullptr ? url : L"";
  documentKind_ = documentKind;
  return S_OK;
}

// The arguments are those of DWebBrowserEvents2, by reference where the
// system's control passes references.
HRESULT BrowserControlDouble::Fire(DISPID event, const wchar_t* url) {
  // A sink may let go of the control while the event is delivered.
  win::ComPtr<IWebBrowser2> self(static_cast<IWebBrowser2*>(this));
  VARIANT address, frame, status, cancel;
  V_VT(&address) = VT_BSTR;
  V_BSTR(&address) = SysAllocString(url != nullptr ? url : L"");
  V_VT(&frame) = VT_BSTR;
  V_BSTR(&frame) = SysAllocString(L"");
  V_VT(&status) = VT_I4;
  V_I4(&status) = 404;
  VARIANT_BOOL cancelled = VARIANT_FALSE;
  V_VT(&cancel) = VT_BOOL | VT_BYREF;
  V_BOOLREF(&cancel) = &cancelled;

  VARIANT arguments[5];
  for (VARIANT& argument : arguments) VariantInit(&argument);
  auto byReference = [](VARIANT& argument, VARIANT* value) {
    V_VT(&argument) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&argument) = value;
  };
  auto browser = [this](VARIANT& argument) {
    V_VT(&argument) = VT_DISPATCH;
    V_DISPATCH(&argument) = static_cast<IWebBrowser2*>(this);
  };
  DISPPARAMS parameters = {arguments, nullptr, 0, 0};
  switch (event) {
    case DISPID_NAVIGATECOMPLETE2:
    case DISPID_DOCUMENTCOMPLETE:
      browser(arguments[1]);
      byReference(arguments[0], &address);
      parameters.cArgs = 2;
      break;
    case DISPID_NAVIGATEERROR:
      browser(arguments[4]);
      byReference(arguments[3], &address);
      byReference(arguments[2], &frame);
      byReference(arguments[1], &status);
      arguments[0] = cancel;
      parameters.cArgs = 5;
      break;
    case DISPID_WINDOWCLOSING:
      V_VT(&arguments[1]) = VT_BOOL;
      V_BOOL(&arguments[1]) = VARIANT_FALSE;
      arguments[0] = cancel;
      parameters.cArgs = 2;
      break;
    default:
      break;
  }
  if (event == DISPID_NAVIGATECOMPLETE2) url_ = url != nullptr ? url : L"";
  Record(L"Fire(%ld)", event);
  events_.Deliver(event, &parameters);
  VariantClear(&address);
  VariantClear(&frame);
  return S_OK;
}

HRESULT BrowserControlDouble::CallExternal(const wchar_t* name, DISPPARAMS* arguments, DISPID* id) {
  win::ComPtr<IDocHostUIHandler> handler;
  if (!site_ || FAILED(site_.As(IID_IDocHostUIHandler, handler))) return E_FAIL;
  win::ComPtr<IDispatch> external;
  if (FAILED(handler->GetExternal(external.Put())) || !external) return E_FAIL;
  DISPID found = DISPID_UNKNOWN;
  LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
  HRESULT result = external->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &found);
  if (id != nullptr) *id = found;
  if (FAILED(result)) return result;
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  VARIANT answer;
  VariantInit(&answer);
  result = external->Invoke(found, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                            arguments != nullptr ? arguments : &none, &answer, nullptr, nullptr);
  VariantClear(&answer);
  return result;
}

HRESULT BrowserControlDouble::GetNavigation(int index, NavigationRecord* record) {
  if (record == nullptr) return E_POINTER;
  if (index < 0 || index >= NavigationCount()) return E_INVALIDARG;
  const Navigation& navigation = navigations_[static_cast<size_t>(index)];
  for (int i = 0; i < 5; ++i) record->types[i] = navigation.types[i];
  record->url = NewText(navigation.url);
  record->flags = navigation.flags;
  record->postData = SysAllocStringByteLen(navigation.postData.data(), static_cast<UINT>(navigation.postData.size()));
  record->headers = NewText(navigation.headers);
  return S_OK;
}

HRESULT BrowserControlDouble::GetLog(BSTR* log) {
  if (log == nullptr) return E_POINTER;
  std::wstring text;
  for (const std::wstring& line : log_) text += line + L"\n";
  *log = NewText(text);
  return S_OK;
}

HRESULT BrowserControlDouble::GetHostInfo(DWORD* flags, DWORD* doubleClick, UINT* size) {
  win::ComPtr<IDocHostUIHandler> handler;
  if (!site_ || FAILED(site_.As(IID_IDocHostUIHandler, handler))) return E_FAIL;
  DOCHOSTUIINFO info = {};
  info.cbSize = sizeof info;
  info.dwDoubleClick = DOCHOSTUIDBLCLK_SHOWPROPERTIES;
  const HRESULT result = handler->GetHostInfo(&info);
  if (flags != nullptr) *flags = info.dwFlags;
  if (doubleClick != nullptr) *doubleClick = info.dwDoubleClick;
  if (size != nullptr) *size = info.cbSize;
  return result;
}

HRESULT BrowserControlDouble::QuerySite(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  return site_ ? site_->QueryInterface(iid, out) : E_FAIL;
}

// The page: a pale sheet with the address it was sent to.
void BrowserControlDouble::Paint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT area;
  GetClientRect(window, &area);
  win::UniqueBrush sheet(CreateSolidBrush(RGB(0xEE, 0xF4, 0xFB)));
  FillRect(dc, &area, sheet.Get());
  InflateRect(&area, -8, -8);
  SetBkMode(dc, TRANSPARENT);
  const std::wstring text = L"[browser control double]\n" + url_;
  DrawTextW(dc, text.c_str(), -1, &area, DT_WORDBREAK);
  EndPaint(window, &paint);
}

LRESULT CALLBACK BrowserControlDouble::EmbeddingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<BrowserControlDouble*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self != nullptr) {
    switch (message) {
      case kBrowserDoubleQueryMessage:
        return self->QueryInterface(*reinterpret_cast<const IID*>(wParam), reinterpret_cast<void**>(lParam));
      case WM_PAINT:
        self->Paint(window);
        return 0;
      case WM_NCDESTROY:
        // Destroyed with its parent: the control no longer owns a window.
        (void)self->embedding_.Release();
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
      default:
        break;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
