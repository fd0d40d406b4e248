#pragma once

// The COM contracts between the toolbar and its buttons. The toolbar owns the
// slot layout: every method sits at a fixed vtable position, so nothing may be
// inserted or reordered here. Slots the toolbar defines but this component
// never calls are declared as Reserved<slot>.
// Calling convention of the slots: COM's STDMETHODCALLTYPE, which on i686 is
// stdcall (`this` as the first stack argument, everything popped by the
// callee); on x86_64 the one Windows x64 convention.
#include <windows.h>
#include <unknwn.h>

extern const CLSID CLSID_ButtonCreator;
extern const IID IID_IButtonCreator;
extern const IID IID_IToolbarHost;
extern const IID IID_IAccountService;
extern const IID IID_IToolbarButton;
extern const IID IID_IToolbarButtonAlt;
extern const IID IID_ICaptionProvider;
extern const IID IID_IButtonOption;
extern const IID IID_IButtonUninstall;
extern const IID IID_IShareButtonMarker;

// Host service number of the toolbar's account service.
constexpr int kAccountServiceNumber = 195;

struct IButtonCreator : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE InitializeObjects(IUnknown* host) = 0;
};

// What the toolbar offers to a button.
struct IToolbarHost : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE GetToolbarWindow(HWND* window) = 0;                        // 3
  virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;                                          // 4
  virtual HRESULT STDMETHODCALLTYPE GetHostService(int service, REFIID iid, void** out) = 0;  // 5
  virtual HRESULT STDMETHODCALLTYPE Reserved6() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved7() = 0;
  virtual HRESULT STDMETHODCALLTYPE AddButton(int commandId, IUnknown* button, int reserved) = 0;  // 8
  virtual HRESULT STDMETHODCALLTYPE Reserved9() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetButtonStyle(int commandId, int style) = 0;  // 10
  virtual HRESULT STDMETHODCALLTYPE Reserved11() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetButtonState(int commandId, int state) = 0;  // 12
  virtual HRESULT STDMETHODCALLTYPE Reserved13() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetButtonText(int commandId, const wchar_t* text) = 0;  // 14
  virtual HRESULT STDMETHODCALLTYPE Reserved15() = 0;
  virtual HRESULT STDMETHODCALLTYPE AddButtonIcon(HICON icon, int* imageIndex) = 0;     // 16
  virtual HRESULT STDMETHODCALLTYPE SetButtonImage(int commandId, int imageIndex) = 0;  // 17
  virtual HRESULT STDMETHODCALLTYPE Reserved18() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved19() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved20() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved21() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved22() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved23() = 0;
  virtual HRESULT STDMETHODCALLTYPE AdviseBrowserEvents(IUnknown* button, DWORD* cookie) = 0;  // 24
  virtual HRESULT STDMETHODCALLTYPE UnadviseBrowserEvents(DWORD cookie) = 0;                   // 25
};

// The toolbar's messaging account: who is signed in.
struct IAccountService : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Reserved3() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved4() = 0;
  virtual HRESULT STDMETHODCALLTYPE Reserved5() = 0;
  // Nonzero when a user is signed in; fills the number and, given a buffer, the sign-in key.
  virtual int STDMETHODCALLTYPE GetLoginInfo(int* accountNumber, wchar_t* keyBuffer, int keyChars) = 0;  // 6
};

// Buffer that GetDescription fills.
struct DescriptionRequest {
  INT32 reserved;
  wchar_t* buffer;
  INT32 bufferChars;
};

// The button as the toolbar drives it.
struct IToolbarButton : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Initialize(IUnknown* host) = 0;                      // 3
  virtual HRESULT STDMETHODCALLTYPE Execute() = 0;                                       // 4
  virtual int STDMETHODCALLTYPE GetTooltip(int commandId, wchar_t* buffer, int chars) = 0;  // 5
  virtual int STDMETHODCALLTYPE GetKind() = 0;                                           // 6
  virtual int STDMETHODCALLTYPE OnTimer(UINT timerId) = 0;                               // 7
  virtual int STDMETHODCALLTYPE Reserved8() = 0;                                         // 8
  virtual void STDMETHODCALLTYPE Reserved9() = 0;                                        // 9
  virtual void STDMETHODCALLTYPE Uninitialize() = 0;                                     // 10
  virtual int STDMETHODCALLTYPE Reserved11() = 0;                                        // 11
  virtual void STDMETHODCALLTYPE OnToolbarVisible(int reserved, int visible) = 0;        // 12
  virtual HRESULT STDMETHODCALLTYPE OnBrowserChanged(int reserved, IUnknown* browser) = 0;  // 13
  virtual int STDMETHODCALLTYPE AcceptsState(int value) = 0;                              // 14
  virtual int STDMETHODCALLTYPE GetDescription(int reserved, int kind, DescriptionRequest* request) = 0;  // 15
  virtual int STDMETHODCALLTYPE Reserved16() = 0;                                       // 16
  virtual int STDMETHODCALLTYPE OnCommand(WPARAM wParam, LPARAM lParam) = 0;             // 17
  virtual void STDMETHODCALLTYPE ShowMenu(UINT flags, const RECT* rect) = 0;             // 18
  virtual void STDMETHODCALLTYPE SetShown(int on) = 0;                                   // 19
  virtual void STDMETHODCALLTYPE SetAccount(int accountNumber) = 0;                      // 20
  virtual void STDMETHODCALLTYPE JobTick() = 0;                                          // 21
  virtual void STDMETHODCALLTYPE StartJob() = 0;                                         // 22
  virtual void STDMETHODCALLTYPE StopJob() = 0;                                          // 23
  virtual int STDMETHODCALLTYPE AcceptJob(int jobId) = 0;                                // 24
  virtual int STDMETHODCALLTYPE JobResult(int jobId) = 0;                                // 25
};

// Caption shown beside the button's icon.
struct ICaptionProvider : public IUnknown {
  virtual int STDMETHODCALLTYPE IsActive() = 0;
  virtual void STDMETHODCALLTYPE SetHostShown(int commandId, int shown) = 0;
  virtual int STDMETHODCALLTYPE GetCaption(int commandId, wchar_t* buffer, int chars, int* imageIndex) = 0;
};

struct IButtonOption : public IUnknown {
  virtual int STDMETHODCALLTYPE IsOptionSet() = 0;
  virtual int STDMETHODCALLTYPE Reserved4() = 0;
};

struct IButtonUninstall : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Uninstall(int commandId) = 0;
};
