#include "button/ToolbarButtonBase.h"

#include <shlwapi.h>

#include <cwchar>

#include "button/AccountMap.h"
#include "button/CreatorRecord.h"
#include "button/ToolbarRegistry.h"

namespace {

constexpr DISPID kDispidOnQuit = 253;
constexpr WPARAM kJobCancelled = 0x10000;

template <typename Interface, typename Object>
Interface* As(Object* object) {
  return static_cast<Interface*>(object);
}

}  // namespace

ToolbarButtonBase::ToolbarButtonBase(const ButtonConfig& config, const ButtonJobTable* jobs, int* imageIndex)
    : config_(config), module_(ServerModule::Handle()), jobs_(jobs), imageIndex_(imageIndex) {}

ToolbarButtonBase::~ToolbarButtonBase() {
  StopJob();
  CloseJobMutex();
  DisconnectBrowserEvents();
  if (menu_ != nullptr) DestroyMenu(menu_);
}

HRESULT ToolbarButtonBase::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IUnknown || iid == IID_IToolbarButton || iid == IID_IToolbarButtonAlt) {
    *out = As<IToolbarButton>(this);
  } else if (iid == IID_ICaptionProvider) {
    *out = As<ICaptionProvider>(this);
  } else if (iid == IID_IButtonOption) {
    *out = As<IButtonOption>(this);
  } else if (iid == IID_IButtonUninstall) {
    *out = As<IButtonUninstall>(this);
  } else if (iid == IID_IDispatch) {
    *out = As<IDispatch>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
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
  if (FAILED(host_->GetToolbarWindow(&toolbarWindow_))) return E_FAIL;
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
    ComPtr<IAccountService> accounts;
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
  const UINT16 low = LOWORD(timerId);
  if (jobs_ != nullptr && low == jobs_->timerId) {
    JobTick();
    return 1;
  }
  return low == 0 ? 1 : 0;
}

int ToolbarButtonBase::Reserved8() { return 0; }

void ToolbarButtonBase::Reserved9() {}

void ToolbarButtonBase::Uninitialize() {
  hostShown_ = 0;
  if (shown_) SetShown(0);
  if (menu_ != nullptr) {
    DestroyMenu(menu_);
    menu_ = nullptr;
  }
  StopJob();
}

int ToolbarButtonBase::Reserved11() { return 1; }

void ToolbarButtonBase::OnToolbarVisible(int, int visible) {
  visible_ = visible;
  UpdateShown();
}

HRESULT ToolbarButtonBase::OnBrowserChanged(int, IUnknown* browser) {
  if (!(config_.flags & kButtonFollowsBrowser)) return S_OK;
  ComPtr<IWebBrowser2> next;
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
  if (menu_ == nullptr || rect == nullptr) return;
  TPMPARAMS exclude = {sizeof exclude, *rect};
  TrackPopupMenuEx(menu_, flags, rect->left, rect->bottom, toolbarWindow_, &exclude);
}

void ToolbarButtonBase::SetShown(int on) {
  shown_ = on ? 1 : 0;
  if (shown_) {
    if ((config_.flags & kButtonFollowsBrowser) && !eventsConnected_) ConnectBrowserEvents();
  } else if (config_.flags & kButtonFollowsBrowser) {
    DisconnectBrowserEvents();
  }
  RestartJobTimer(shown_ != 0);
}

void ToolbarButtonBase::SetAccount(int accountNumber) { account_ = accountNumber; }

void ToolbarButtonBase::JobTick() {
  RestartJobTimer(false);
  if (jobMutex_ == nullptr && RunningJob() == 0) {
    wchar_t name[200];
    swprintf(name, 200, L"ToolbarBaseObjJob__%d", config_.commandId);
    HANDLE mutex = CreateMutexW(nullptr, TRUE, name);
    if (mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
      CloseHandle(mutex);  // another browser process runs this button's job
    } else if (mutex != nullptr) {
      jobMutex_ = mutex;
      if (!TakeJob()) CloseJobMutex();
    }
  }
  RestartJobTimer(true);
}

void ToolbarButtonBase::StartJob() {
  if (jobThread_ != nullptr) {
    if (WaitForSingleObject(jobThread_, 0) == WAIT_TIMEOUT) return;
    CloseHandle(jobThread_);
    jobThread_ = nullptr;
  }
  jobThread_ = CreateThread(nullptr, 0, &ToolbarButtonBase::JobThread, this, 0, nullptr);
  if (jobThread_ == nullptr) {
    InterlockedExchange(&runningJob_, 0);
    CloseJobMutex();
  }
}

void ToolbarButtonBase::StopJob() {
  if (jobThread_ != nullptr) {
    // A thread that has cleared the running id is done with its job and only
    // exiting; killed there it can leave the loader lock held, and the
    // process hangs at its exit. Let it end instead.
    const DWORD wait = RunningJob() == 0 ? 5000 : 0;
    if (WaitForSingleObject(jobThread_, wait) == WAIT_TIMEOUT) {
      TerminateThread(jobThread_, static_cast<DWORD>(-1));
      // Termination is asynchronous: let it land before the state is touched.
      WaitForSingleObject(jobThread_, 1000);
    }
    CloseHandle(jobThread_);
    jobThread_ = nullptr;
  }
  const LONG running = InterlockedExchange(&runningJob_, 0);
  if (running != 0) {
    const ButtonJobEntry* entry = jobs_ != nullptr ? jobs_->Find(running) : nullptr;
    const WPARAM command = entry != nullptr ? entry->command : 0;
    PostMessageW(toolbarWindow_, WM_COMMAND, command + kJobCancelled, 0);
    CloseJobMutex();
  }
}

int ToolbarButtonBase::AcceptJob(int) { return 0; }

bool ToolbarButtonBase::TakeJob() {
  if (jobs_ == nullptr) return false;
  if (pendingJob_ != 0) {
    const int pending = pendingJob_;
    pendingJob_ = 0;
    if (jobs_->Find(pending) == nullptr || !AcceptJob(pending)) return false;
    Take(pending);
    return true;
  }
  for (const ButtonJobEntry* entry = jobs_->jobs; entry != nullptr && entry->jobId != 0; ++entry) {
    if (AcceptJob(entry->jobId)) {
      Take(entry->jobId);
      return true;
    }
  }
  return false;
}

void ToolbarButtonBase::Take(int jobId) {
  InterlockedExchange(&runningJob_, jobId);
  StartJob();
}

void ToolbarButtonBase::CloseJobMutex() {
  HANDLE mutex = InterlockedExchangePointer(const_cast<HANDLE*>(&jobMutex_), nullptr);
  if (mutex != nullptr) CloseHandle(mutex);
}

DWORD WINAPI ToolbarButtonBase::JobThread(void* self) {
  static_cast<ToolbarButtonBase*>(self)->RunJob();
  return 0;
}

// On the job thread. The thread handle stays with the UI thread, which may
// still wait on it; everything else the job held is let go here.
void ToolbarButtonBase::RunJob() {
  const int jobId = RunningJob();
  const int result = JobResult(jobId);
  InterlockedExchange(&jobResult_, result);
  const ButtonJobEntry* entry = jobs_->Find(jobId);
  if (entry != nullptr && entry->command != 0) {
    PostMessageW(toolbarWindow_, WM_COMMAND, entry->command, result);
  }
  CloseJobMutex();
  InterlockedExchange(&runningJob_, 0);
}

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

void ToolbarButtonBase::RestartJobTimer(bool start) {
  if (jobs_ == nullptr || toolbarWindow_ == nullptr) return;
  if (start) {
    SetTimer(toolbarWindow_, jobs_->timerId, jobs_->periodMs, nullptr);
  } else {
    KillTimer(toolbarWindow_, jobs_->timerId);
  }
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
