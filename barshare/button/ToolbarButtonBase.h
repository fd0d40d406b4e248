#pragma once

#include <windows.h>
#include <exdisp.h>

#include "button/ButtonConfig.h"
#include "button/ButtonJobRunner.h"
#include "button/ServerModule.h"
#include "button/ToolbarInterfaces.h"
#include "win/ComPtr.h"
#include "win/Handles.h"

// What every toolbar button shares: the conversation with the toolbar at
// initialisation, the shown state, the caption, option and uninstall
// interfaces, the browser-event sink and the periodic job that one browser
// process at a time runs for the button.
class ToolbarButtonBase : public IToolbarButton,
                          public ICaptionProvider,
                          public IButtonOption,
                          public IButtonUninstall,
                          public IDispatch,
                          private CountedObject {
 public:
  // imageIndex: the process-wide toolbar image of the button's icon, -1 until added.
  ToolbarButtonBase(const ButtonConfig& config, const ButtonJobTable* jobs, int* imageIndex);
  virtual ~ToolbarButtonBase();

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IToolbarButton
  HRESULT STDMETHODCALLTYPE Initialize(IUnknown* host) override;
  HRESULT STDMETHODCALLTYPE Execute() override;
  int STDMETHODCALLTYPE GetTooltip(int commandId, wchar_t* buffer, int chars) override;
  int STDMETHODCALLTYPE GetKind() override;
  int STDMETHODCALLTYPE OnTimer(UINT timerId) override;
  int STDMETHODCALLTYPE Reserved8() override;
  void STDMETHODCALLTYPE Reserved9() override;
  void STDMETHODCALLTYPE Uninitialize() override;
  int STDMETHODCALLTYPE Reserved11() override;
  void STDMETHODCALLTYPE OnToolbarVisible(int reserved, int visible) override;
  HRESULT STDMETHODCALLTYPE OnBrowserChanged(int reserved, IUnknown* browser) override;
  int STDMETHODCALLTYPE AcceptsState(int value) override;
  int STDMETHODCALLTYPE GetDescription(int reserved, int kind, DescriptionRequest* request) override;
  int STDMETHODCALLTYPE Reserved16() override;
  int STDMETHODCALLTYPE OnCommand(WPARAM wParam, LPARAM lParam) override;
  void STDMETHODCALLTYPE ShowMenu(UINT flags, const RECT* rect) override;
  void STDMETHODCALLTYPE SetShown(int on) override;
  void STDMETHODCALLTYPE SetAccount(int accountNumber) override;
  void STDMETHODCALLTYPE JobTick() override;
  void STDMETHODCALLTYPE StartJob() override;
  void STDMETHODCALLTYPE StopJob() override;
  int STDMETHODCALLTYPE AcceptJob(int jobId) override;

  // ICaptionProvider
  int STDMETHODCALLTYPE IsActive() override;
  void STDMETHODCALLTYPE SetHostShown(int commandId, int shown) override;
  int STDMETHODCALLTYPE GetCaption(int commandId, wchar_t* buffer, int chars, int* imageIndex) override;

  // IButtonOption
  int STDMETHODCALLTYPE IsOptionSet() override;
  int STDMETHODCALLTYPE Reserved4() override;

  // IButtonUninstall
  HRESULT STDMETHODCALLTYPE Uninstall(int commandId) override;

  // IDispatch, the DWebBrowserEvents2 sink
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

  // Read-only views of the state, for the share command and diagnostics.
  bool Shown() const { return shown_ != 0; }
  bool BrowserEventsConnected() const { return eventsConnected_; }
  LONG Account() const { return account_; }
  HWND ToolbarWindow() const { return toolbarWindow_; }
  IToolbarHost* Host() const { return host_.Get(); }
  IWebBrowser2* Browser() const { return browser_.Get(); }
  int RunningJob() const { return job_.RunningJob(); }
  bool HoldsJobMutex() const { return job_.HoldsMutex(); }
  // A job to offer first at the next tick.
  void SetPendingJob(int jobId) { job_.SetPendingJob(jobId); }

 protected:
  const ButtonConfig& Config() const { return config_; }
  HMODULE Module() const { return module_; }
  bool IsOwnId(int commandId) const { return static_cast<UINT8>(commandId) == config_.commandId; }

 private:
  void ConnectBrowserEvents();
  void DisconnectBrowserEvents();
  void UpdateShown();

  const ButtonConfig config_;
  const HMODULE module_;
  int* const imageIndex_;

  win::ComPtr<IToolbarHost> host_;
  HWND toolbarWindow_ = nullptr;
  win::ComPtr<IWebBrowser2> browser_;
  DWORD eventCookie_ = 0;
  bool eventsConnected_ = false;

  LONG references_ = 1;
  int hostShown_ = 0;
  int visible_ = 0;
  int shown_ = 0;
  LONG account_ = 0;
  win::UniqueMenu menu_;
  ButtonJobRunner job_;
};
