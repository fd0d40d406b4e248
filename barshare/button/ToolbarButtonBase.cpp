#include "button/ToolbarButtonBase.h"

#include <shlwapi.h>

#include <cwchar>

#include "button/AccountMap.h"
#include "button/CreatorRecord.h"
#include "button/ToolbarRegistry.h"
#include "win/QiTable.h"

namespace {

constexpr DISPID kDispidOnQuit = 253;

template <typename Interface, typename Object>
Interface* As(Object* object) {
  return static_cast<Interface*>(object);
}

}  // namespace

ToolbarButtonBase::ToolbarButtonBase(const ButtonConfig& config, const ButtonJobTable* jobs, int* imageIndex)
    : config_(config),
      module_(ServerModule::Handle()),
      imageIndex_(imageIndex),
      job_(jobs, config.commandId, As<IToolbarButton>(this)) {}

ToolbarButtonBase::~ToolbarButtonBase() {
  StopJob();
  DisconnectBrowserEvents();
}

HRESULT ToolbarButtonBase::QueryInterface(REFIID iid, void** out) {
  static const win::QiEntry kInterfaces[] = {
      {&IID_IToolbarButton, win::QiOffset<IToolbarButton, ToolbarButtonBase>()},
      {&IID_IToolbarButtonAlt, win::QiOffset<IToolbarButton, ToolbarButtonBase>()},
      {&IID_ICaptionProvider, win::QiOffset<ICaptionProvider, ToolbarButtonBase>()},
      {&IID_IButtonOption, win::QiOffset<IButtonOption, ToolbarButtonBase>()},
      {&IID_IButtonUninstall, win::QiOffset<IButtonUninstall, ToolbarButtonBase>()},
      {&IID_IDispatch, win::QiOffset<IDispatch, ToolbarButtonBase>()},
      {nullptr, 0},
  };
  return win::QiSearch(this, kInterfaces, iid, out);
}

ULONG ToolbarButtonBase::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG ToolbarButtonBase::Release() {
  LONG left = InterlockedDecrement(&references_);
  if (left == 0) {
    // The job thread calls into the derived object: end it while that still exists.
    StopJob();
    delete this;
  }
  return static_cast<ULONG>(left);
}

HRESULT ToolbarButtonBase::Initialize(IUnknown* host) {
  if (host == nullptr) return E_POINTER;
  HRESULT result = host->QueryInterface(IID_IWebBrowser2, browser_.PutVoid());
  if (FAILED(result) && result != E_NOINTERFACE) return result;
  result = host->QueryInterface(IID_IToolbarHost, host_.PutVoid());
  if (FAILED(result) && result != E_NOINTERFACE) return result;
  if (!browser_ || !host_) {
    browser_.Reset();
    host_.Reset();
    return E_FAIL;
  }

  const int id = config_.commandId;
  const HRESULT window = host_->GetToolbarWindow(&toolbarWindow_);
  job_.SetWindow(toolbarWindow_);
  if (FAILED(window)) return E_FAIL;
  if (FAILED(host_->AddButton(id, As<IToolbarButton>(this), 0))) return E_FAIL;
  host_->SetButtonStyle(id, config_.style);
  host_->SetButtonState(id, config_.state);

  if (*imageIndex_ < 0 && config_.iconId != 0) {
    HICON icon = LoadIconW(module_, MAKEINTRESOURCEW(config_.iconId));
    host_->AddButtonIcon(icon, imageIndex_);
  }
  host_->SetButtonImage(id, *imageIndex_);

  if (config_.captionId != 0) {
    wchar_t caption[64] = L"";
    LoadStringW(module_, config_.captionId, caption, 64);
    host_->SetButtonText(id, caption);
  }

  hostShown_ = 1;
  visible_ = IsWindowVisible(toolbarWindow_) ? 1 : 0;
  SetShown(hostShown_ && visible_);

  if (config_.flags & kButtonAsksAccount) {
    win::ComPtr<IAccountService> accounts;
    host_->GetHostService(kAccountServiceNumber, IID_IAccountService, accounts.PutVoid());
    int number = 0;
    if (accounts && accounts->GetLoginInfo(&number, nullptr, 0) != 0) SetAccount(number);
  }
  return S_OK;
}

HRESULT ToolbarButtonBase::Execute() { return S_OK; }

int ToolbarButtonBase::GetTooltip(int commandId, wchar_t* buffer, int chars) {
  if (!IsOwnId(commandId) || config_.tooltipId == 0 || buffer == nullptr || chars <= 0) return 0;
  LoadStringW(module_, config_.tooltipId, buffer, chars);
  return 1;
}

int ToolbarButtonBase::GetKind() { return config_.kind; }

int ToolbarButtonBase::OnTimer(UINT timerId) {
  if (job_.IsJobTimer(timerId)) {
    JobTick();
    return 1;
  }
  return LOWORD(timerId) == 0 ? 1 : 0;
}

int ToolbarButtonBase::Reserved8() { return 0; }

void ToolbarButtonBase::Reserved9() {}

void ToolbarButtonBase::Uninitialize() {
  hostShown_ = 0;
  if (shown_) SetShown(0);
  menu_.Reset();
  StopJob();
}

int ToolbarButtonBase::Reserved11() { return 1; }

void ToolbarButtonBase::OnToolbarVisible(int, int visible) {
  visible_ = visible;
  UpdateShown();
}

HRESULT ToolbarButtonBase::OnBrowserChanged(int, IUnknown* browser) {
  if (!(config_.flags & kButtonFollowsBrowser)) return S_OK;
  win::ComPtr<IWebBrowser2> next;
  if (browser != nullptr) {
    HRESULT result = browser->QueryInterface(IID_IWebBrowser2, next.PutVoid());
    if (FAILED(result) && result != E_NOINTERFACE) return result;
  }
  browser_.Swap(next);
  if (shown_) {
    DisconnectBrowserEvents();
    ConnectBrowserEvents();
  }
  return S_OK;
}

int ToolbarButtonBase::AcceptsState(int value) {
  return (config_.flags & kButtonAnyNonzeroState) ? value != 0 : value == 1;
}

int ToolbarButtonBase::GetDescription(int, int kind, DescriptionRequest* request) {
  if (kind != 1 || request == nullptr || request->buffer == nullptr || request->bufferChars <= 0) return 0;
  if (config_.descriptionId == 0) return 0;
  return LoadStringW(module_, config_.descriptionId, request->buffer, request->bufferChars) > 0 ? 1 : 0;
}

int ToolbarButtonBase::Reserved16() { return 0; }

int ToolbarButtonBase::OnCommand(WPARAM, LPARAM) { return 0; }

void ToolbarButtonBase::ShowMenu(UINT flags, const RECT* rect) {
  if (!menu_ || rect == nullptr) return;
  TPMPARAMS exclude = {sizeof exclude, *rect};
  TrackPopupMenuEx(menu_.Get(), flags, rect->left, rect->bottom, toolbarWindow_, &exclude);
}

void ToolbarButtonBase::SetShown(int on) {
  shown_ = on ? 1 : 0;
  if (shown_) {
    if ((config_.flags & kButtonFollowsBrowser) && !eventsConnected_) ConnectBrowserEvents();
  } else if (config_.flags & kButtonFollowsBrowser) {
    DisconnectBrowserEvents();
  }
  job_.RestartTimer(shown_ != 0);
}

void ToolbarButtonBase::SetAccount(int accountNumber) { account_ = accountNumber; }

void ToolbarButtonBase::JobTick() { job_.Tick(); }

void ToolbarButtonBase::StartJob() { job_.Start(); }

void ToolbarButtonBase::StopJob() { job_.Stop(); }

int ToolbarButtonBase::AcceptJob(int) { return 0; }

void ToolbarButtonBase::ConnectBrowserEvents() {
  if (eventsConnected_ || !host_) return;
  DWORD cookie = 0;
  if (SUCCEEDED(host_->AdviseBrowserEvents(As<IToolbarButton>(this), &cookie))) {
    eventCookie_ = cookie;
    eventsConnected_ = true;
  }
}

void ToolbarButtonBase::DisconnectBrowserEvents() {
  if (!eventsConnected_) return;
  eventsConnected_ = false;
  if (host_) host_->UnadviseBrowserEvents(eventCookie_);
  eventCookie_ = 0;
}

void ToolbarButtonBase::UpdateShown() {
  const int wanted = (hostShown_ && visible_) ? 1 : 0;
  if (wanted != shown_) SetShown(wanted);
}

int ToolbarButtonBase::IsActive() { return (config_.flags & kButtonHasCaption) ? 1 : 0; }

void ToolbarButtonBase::SetHostShown(int commandId, int shown) {
  if (!IsOwnId(commandId)) return;
  hostShown_ = shown;
  UpdateShown();
}

int ToolbarButtonBase::GetCaption(int commandId, wchar_t* buffer, int chars, int* imageIndex) {
  if (!IsOwnId(commandId) || !(config_.flags & kButtonHasCaption)) return 0;
  if (buffer == nullptr || chars <= 0 || imageIndex == nullptr) return 0;
  LoadStringW(module_, config_.captionId, buffer, chars);
  *imageIndex = *imageIndex_;
  return 1;
}

int ToolbarButtonBase::IsOptionSet() { return (config_.flags & kButtonOptionSet) ? 1 : 0; }

int ToolbarButtonBase::Reserved4() { return 0; }

HRESULT ToolbarButtonBase::Uninstall(int commandId) {
  CreatorRecord::Unregister(CLSID_ButtonCreator);
  if (IsOwnId(commandId)) {
    const std::wstring key = ToolbarRegistry::AccountKey(AccountMap::CurrentAccount(), config_.settingsName);
    SHDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
  }
  return S_OK;
}

HRESULT ToolbarButtonBase::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT ToolbarButtonBase::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  return E_NOTIMPL;
}

// The sink is reached by DISPID only; it has no names to hand out.
HRESULT ToolbarButtonBase::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

HRESULT ToolbarButtonBase::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  if (id == kDispidOnQuit) DisconnectBrowserEvents();
  return S_OK;
}
