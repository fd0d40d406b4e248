#include "ToolbarHostDouble.h"

#include <cstdarg>
#include <cwchar>
#include <utility>

#include "AccountServiceDouble.h"

namespace {

const wchar_t kWindowClass[] = L"ToolbarHostDoubleWindow";

void RegisterWindowClass(WNDPROC procedure) {
  static const ATOM atom = [procedure] {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    return RegisterClassW(&windowClass);
  }();
  (void)atom;
}

// The icon's width and height, as "16x16", or "no icon".
std::wstring IconSize(HICON icon) {
  ICONINFO info = {};
  if (icon == nullptr || !GetIconInfo(icon, &info)) return L"no icon";
  win::UniqueBitmap color(info.hbmColor), mask(info.hbmMask);
  BITMAP bitmap = {};
  GetObjectW(color ? color.Get() : mask.Get(), sizeof bitmap, &bitmap);
  wchar_t text[32];
  swprintf(text, 32, L"%ldx%ld", bitmap.bmWidth, bitmap.bmHeight);
  return text;
}

}  // namespace

ToolbarHostDouble::ToolbarHostDouble() : ToolbarHostDouble(Options()) {}

ToolbarHostDouble::ToolbarHostDouble(const Options& options)
    : options_(options), accounts_(std::make_unique<AccountServiceDouble>()) {
  if (options_.answersBrowser) {
    CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IWebBrowser2, browser_.PutVoid());
  }
  RegisterWindowClass(&ToolbarHostDouble::WindowProc);
  window_.Reset(CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClass, L"toolbar", WS_POPUP, 0, 0, 400, 24, nullptr,
                                nullptr, GetModuleHandleW(nullptr), this));
  if (options_.toolbarVisible) ShowWindow(window_.Get(), SW_SHOWNOACTIVATE);
}

ToolbarHostDouble::~ToolbarHostDouble() { RemoveButtons(); }

HRESULT ToolbarHostDouble::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IUnknown || (iid == IID_IToolbarHost && options_.answersToolbarHost)) {
    *out = static_cast<IToolbarHost*>(this);
    AddRef();
    return S_OK;
  }
  if (iid == IID_IWebBrowser2 && browser_) {
    return browser_->QueryInterface(iid, out);
  }
  return E_NOINTERFACE;
}

ULONG ToolbarHostDouble::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG ToolbarHostDouble::Release() { return static_cast<ULONG>(InterlockedDecrement(&references_)); }

void ToolbarHostDouble::Record(const wchar_t* format, ...) {
  wchar_t line[512];
  va_list arguments;
  va_start(arguments, format);
  vswprintf(line, 512, format, arguments);
  va_end(arguments);
  log_.push_back(line);
}

HRESULT ToolbarHostDouble::GetToolbarWindow(HWND* window) {
  Record(L"GetToolbarWindow");
  if (window == nullptr) return E_POINTER;
  *window = window_.Get();
  return S_OK;
}

HRESULT ToolbarHostDouble::GetHostService(int service, REFIID iid, void** out) {
  Record(L"GetHostService(%d)", service);
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (service != kAccountServiceNumber || !options_.offersAccountService) return E_NOINTERFACE;
  return accounts_->QueryInterface(iid, out);
}

HRESULT ToolbarHostDouble::AddButton(int commandId, IUnknown* button, int reserved) {
  Record(L"AddButton(%d, %ls, %d)", commandId, button != nullptr ? L"button" : L"null", reserved);
  if (FAILED(options_.addButtonResult)) return options_.addButtonResult;
  win::ComPtr<IToolbarButton> primary;
  if (button == nullptr || FAILED(button->QueryInterface(IID_IToolbarButton, primary.PutVoid()))) {
    return E_INVALIDARG;
  }
  buttons_.push_back(std::move(primary));
  return S_OK;
}

HRESULT ToolbarHostDouble::SetButtonStyle(int commandId, int style) {
  Record(L"SetButtonStyle(%d, %d)", commandId, style);
  return S_OK;
}

HRESULT ToolbarHostDouble::SetButtonState(int commandId, int state) {
  Record(L"SetButtonState(%d, %d)", commandId, state);
  return S_OK;
}

HRESULT ToolbarHostDouble::SetButtonText(int commandId, const wchar_t* text) {
  Record(L"SetButtonText(%d, %ls)", commandId, text != nullptr ? text : L"null");
  return S_OK;
}

HRESULT ToolbarHostDouble::AddButtonIcon(HICON icon, int* imageIndex) {
  Record(L"AddButtonIcon(%ls)", IconSize(icon).c_str());
  if (imageIndex == nullptr) return E_POINTER;
  *imageIndex = nextImage_++;
  return S_OK;
}

HRESULT ToolbarHostDouble::SetButtonImage(int commandId, int imageIndex) {
  Record(L"SetButtonImage(%d, %d)", commandId, imageIndex);
  return S_OK;
}

HRESULT ToolbarHostDouble::AdviseBrowserEvents(IUnknown* button, DWORD* cookie) {
  Record(L"AdviseBrowserEvents");
  if (button == nullptr || cookie == nullptr) return E_POINTER;
  *cookie = nextCookie_++;
  return S_OK;
}

HRESULT ToolbarHostDouble::UnadviseBrowserEvents(DWORD cookie) {
  Record(L"UnadviseBrowserEvents(%lu)", cookie);
  return S_OK;
}

HRESULT ToolbarHostDouble::Reserved4() { return E_NOTIMPL; }
HRESULT ToolbarHostDouble::Reserved6() { return E_NOTIMPL; }
HRESULT ToolbarHostDouble::Reserved7() { return E_NOTIMPL; }
HRESULT ToolbarHostDouble::Reserved9() { return E_NOTIMPL; }
HRESULT ToolbarHostDouble::Reserved11() { return E_NOTIMPL; }
HRESULT ToolbarHostDouble::Reserved13() { return E_NOTIMPL; }
HRESULT ToolbarHostDouble::Reserved15() { return E_NOTIMPL; }
HRESULT ToolbarHostDouble::Reserved18() { return E_NOTIMPL; }
HRESULT ToolbarHostDouble::Reserved19() { return E_NOTIMPL; }
HRESULT ToolbarHostDouble::Reserved20() { return E_NOTIMPL; }
HRESULT ToolbarHostDouble::Reserved21() { return E_NOTIMPL; }
HRESULT ToolbarHostDouble::Reserved22() { return E_NOTIMPL; }
HRESULT ToolbarHostDouble::Reserved23() { return E_NOTIMPL; }

void ToolbarHostDouble::RemoveButtons() {
  for (win::ComPtr<IToolbarButton>& button : buttons_) {
    button->Uninitialize();
    button.Reset();
  }
  buttons_.clear();
}

void ToolbarHostDouble::PumpMessages(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void ToolbarHostDouble::OnTimerMessage(UINT_PTR timerId) {
  for (const win::ComPtr<IToolbarButton>& button : buttons_) {
    wchar_t line[64];
    swprintf(line, 64, L"%u->%d", static_cast<unsigned>(timerId), button->OnTimer(static_cast<UINT>(timerId)));
    timers_.push_back(line);
  }
}

LRESULT CALLBACK ToolbarHostDouble::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<ToolbarHostDouble*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self != nullptr && message == WM_COMMAND) {
    self->commands_.push_back({wParam, lParam});
    return 0;
  }
  if (self != nullptr && message == WM_TIMER) {
    self->OnTimerMessage(wParam);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
