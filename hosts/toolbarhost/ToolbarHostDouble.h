#pragma once

// Stands in for the browser toolbar: the object a toolbar hands its buttons
// at initialisation. It answers the toolbar's host interface and IWebBrowser2,
// records every call a button makes with its arguments, keeps the buttons
// that join it, owns a toolbar window that records the commands it receives
// and forwards its timers to the buttons, and offers an account service.
#include <windows.h>
#include <exdisp.h>

#include <memory>
#include <string>
#include <vector>

#include "button/ToolbarInterfaces.h"
#include "win/ComPtr.h"
#include "win/Handles.h"

class AccountServiceDouble;

class ToolbarHostDouble : public IToolbarHost {
 public:
  struct Options {
    bool answersBrowser = true;
    bool answersToolbarHost = true;
    bool toolbarVisible = true;
    bool offersAccountService = true;
    HRESULT addButtonResult = S_OK;
  };
  struct Command {
    WPARAM wParam;
    LPARAM lParam;
  };

  explicit ToolbarHostDouble(const Options& options);
  ToolbarHostDouble();
  virtual ~ToolbarHostDouble();
  ToolbarHostDouble(const ToolbarHostDouble&) = delete;
  ToolbarHostDouble& operator=(const ToolbarHostDouble&) = delete;

  // IUnknown: lives on the stack of its owner; references are only counted.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE GetToolbarWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE Reserved4() override;
  HRESULT STDMETHODCALLTYPE GetHostService(int service, REFIID iid, void** out) override;
  HRESULT STDMETHODCALLTYPE Reserved6() override;
  HRESULT STDMETHODCALLTYPE Reserved7() override;
  HRESULT STDMETHODCALLTYPE AddButton(int commandId, IUnknown* button, int reserved) override;
  HRESULT STDMETHODCALLTYPE Reserved9() override;
  HRESULT STDMETHODCALLTYPE SetButtonStyle(int commandId, int style) override;
  HRESULT STDMETHODCALLTYPE Reserved11() override;
  HRESULT STDMETHODCALLTYPE SetButtonState(int commandId, int state) override;
  HRESULT STDMETHODCALLTYPE Reserved13() override;
  HRESULT STDMETHODCALLTYPE SetButtonText(int commandId, const wchar_t* text) override;
  HRESULT STDMETHODCALLTYPE Reserved15() override;
  HRESULT STDMETHODCALLTYPE AddButtonIcon(HICON icon, int* imageIndex) override;
  HRESULT STDMETHODCALLTYPE SetButtonImage(int commandId, int imageIndex) override;
  HRESULT STDMETHODCALLTYPE Reserved18() override;
  HRESULT STDMETHODCALLTYPE Reserved19() override;
  HRESULT STDMETHODCALLTYPE Reserved20() override;
  HRESULT STDMETHODCALLTYPE Reserved21() override;
  HRESULT STDMETHODCALLTYPE Reserved22() override;
  HRESULT STDMETHODCALLTYPE Reserved23() override;
  HRESULT STDMETHODCALLTYPE AdviseBrowserEvents(IUnknown* button, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE UnadviseBrowserEvents(DWORD cookie) override;

  // Every call made on the host, one line each, e.g. "SetButtonStyle(68, 64)".
  const std::vector<std::wstring>& Log() const { return log_; }
  void ClearLog() { log_.clear(); }
  // WM_COMMAND messages the toolbar window received, in order.
  const std::vector<Command>& Commands() const { return commands_; }
  // Timer ids the toolbar window received and what the buttons answered.
  const std::vector<std::wstring>& Timers() const { return timers_; }

  HWND Window() const { return window_.Get(); }
  LONG References() const { return references_; }
  size_t ButtonCount() const { return buttons_.size(); }
  IToolbarButton* Button(size_t index) const { return buttons_[index].Get(); }
  IWebBrowser2* Browser() const { return browser_.Get(); }
  AccountServiceDouble& Accounts() { return *accounts_; }

  // Has the buttons leave: Uninitialize, then the toolbar's reference goes.
  void RemoveButtons();
  // Runs the window's message loop for about the given time.
  void PumpMessages(DWORD milliseconds);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Record(const wchar_t* format, ...);
  void OnTimerMessage(UINT_PTR timerId);

  Options options_;
  LONG references_ = 1;
  // OLE stays initialised while the browser lives: it is the first member
  // built and the last one gone.
  struct OleSession {
    OleSession() { OleInitialize(nullptr); }
    ~OleSession() { OleUninitialize(); }
  } ole_;
  win::UniqueWindow window_;
  win::ComPtr<IWebBrowser2> browser_;
  std::unique_ptr<AccountServiceDouble> accounts_;
  std::vector<win::ComPtr<IToolbarButton>> buttons_;
  std::vector<std::wstring> log_;
  std::vector<Command> commands_;
  std::vector<std::wstring> timers_;
  DWORD nextCookie_ = 100;
  int nextImage_ = 0;
};
