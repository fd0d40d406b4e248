#include "controls/HtmlView.h"

#include <new>

#include "frame/ModuleState.h"
#include "win/QiTable.h"

namespace {
constexpr const char* kClassName = "TovakHtmlView";
}  // namespace

// The browser control's container: client site, in-place site and frame in
// one object, living as long as the control holds a reference to it.
class HtmlView::Site : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
 public:
  explicit Site(HWND window) : window_(window) {}

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    static const win::QiEntry kInterfaces[] = {
        {&IID_IOleClientSite, win::QiOffset<IOleClientSite, Site>()},
        {&IID_IOleInPlaceSite, win::QiOffset<IOleInPlaceSite, Site>()},
        {&IID_IOleWindow, win::QiOffset<IOleInPlaceSite, Site>()},
        {&IID_IOleInPlaceFrame, win::QiOffset<IOleInPlaceFrame, Site>()},
        {&IID_IOleInPlaceUIWindow, win::QiOffset<IOleInPlaceFrame, Site>()},
        {nullptr, 0},
    };
    return win::QiSearch(this, kInterfaces, iid, object);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&references_); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return left;
  }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP GetContainer(IOleContainer** container) override {
    *container = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (both sites)
  STDMETHODIMP GetWindow(HWND* window) override {
    *window = window_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                LPRECT clip, LPOLEINPLACEFRAMEINFO info) override {
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *document = nullptr;
    GetClientRect(window_, position);
    GetClientRect(window_, clip);
    info->fMDIApp = FALSE;
    info->hwndFrame = GetAncestor(window_, GA_ROOT);
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow and IOleInPlaceFrame: no menus, tools or borders.
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  virtual ~Site() = default;
  LONG references_ = 1;
  HWND window_;
};

HtmlView::HtmlView() = default;

HtmlView::~HtmlView() { Destroy(); }

LRESULT CALLBACK HtmlView::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool HtmlView::Create(HWND parent, int id, const RECT& place) {
  if (window_) return true;
  HMODULE module = ModuleState::LibraryModule();
  WNDCLASSA windowClass = {};
  if (!GetClassInfoA(module, kClassName, &windowClass)) {
    windowClass.lpfnWndProc = &HtmlView::Procedure;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassA(&windowClass)) return false;
  }
  window_.Reset(CreateWindowExA(0, kClassName, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, place.left,
                                place.top, place.right - place.left, place.bottom - place.top, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module, nullptr));
  if (!window_) return false;
  if (!Embed()) {
    Destroy();
    return false;
  }
  return true;
}

bool HtmlView::Embed() {
  if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, browser_.PutVoid())))
    return false;
  site_.Attach(new (std::nothrow) Site(window_.Get()));
  if (!site_ || FAILED(browser_->SetClientSite(site_.Get()))) return false;
  RECT area;
  GetClientRect(window_.Get(), &area);
  if (FAILED(browser_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_.Get(), 0, window_.Get(), &area)))
    return false;
  return SUCCEEDED(browser_.As(IID_IWebBrowser2, web_));
}

bool HtmlView::Navigate(const std::string& address) {
  if (!web_) return false;
  int length = MultiByteToWideChar(CP_ACP, 0, address.c_str(), -1, nullptr, 0);
  BSTR url = SysAllocStringLen(nullptr, static_cast<UINT>(length > 0 ? length - 1 : 0));
  if (url == nullptr) return false;
  MultiByteToWideChar(CP_ACP, 0, address.c_str(), -1, url, length);
  VARIANT empty;
  VariantInit(&empty);
  HRESULT result = web_->Navigate(url, &empty, &empty, &empty, &empty);
  SysFreeString(url);
  return SUCCEEDED(result);
}

void HtmlView::Destroy() {
  web_.Reset();
  if (browser_) {
    browser_->Close(OLECLOSE_NOSAVE);
    browser_->SetClientSite(nullptr);
  }
  browser_.Reset();
  site_.Reset();
  window_.Reset();
}
