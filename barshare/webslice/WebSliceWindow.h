#pragma once

#include <windows.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <oleidl.h>

#include <string>

#include "win/ComPtr.h"
#include "win/Handles.h"

// A top-level window of class "WebSliceClass" hosting the system's web
// browser control in place. The object is the control's site (client site,
// in-place site, document host UI handler), listens to its DWebBrowserEvents2,
// shows a loading text until the first page has come, routes keystrokes to the
// control and gives page script window.external with ResizeFrame, SetCookie
// and Login. It belongs to whoever created it and is not reference counted:
// AddRef and Release answer 1. It outlives its window and can make a new one.
//
// The virtual operations below follow the script object's IDispatch slots in
// this order; derived windows override the destructor and OnBrowserEvent.
class WebSliceWindow : public IDispatch,
                       public IOleClientSite,
                       public IOleInPlaceSite,
                       public IDocHostUIHandler {
 public:
  static constexpr wchar_t kClassName[] = L"WebSliceClass";
  // Script names of window.external and their dispatch ids.
  static constexpr DISPID kResizeFrame = 28000;
  static constexpr DISPID kSetCookie = 28001;
  static constexpr DISPID kLogin = 28002;
  // String resource with the window's title.
  static constexpr UINT kTitleStringId = 4;
  // Addresses fit 2084 characters with their NUL; cookie texts 1024.
  static constexpr size_t kAddressChars = 2084;
  static constexpr size_t kCookieChars = 1024;
  // Messages of the class.
  static constexpr UINT kHideMessage = WM_USER + 1;
  static constexpr UINT kHideForReason = WM_USER + 2;
  static constexpr UINT kNavigateWithForm = WM_USER + 3;
  static constexpr UINT kSetCookieFor = WM_USER + 4;
  static constexpr UINT kHasNoChildPopup = WM_USER + 5;
  static constexpr UINT kRecordChildPopup = WM_USER + 6;
  // Bits of the host-UI option.
  static constexpr DWORD kKeepOuterBorder = 1u << 0;
  static constexpr DWORD kKeepScrollBars = 1u << 1;

  explicit WebSliceWindow(DWORD hostUiOption = 0);
  WebSliceWindow(const WebSliceWindow&) = delete;
  WebSliceWindow& operator=(const WebSliceWindow&) = delete;

  virtual ~WebSliceWindow();
  // Navigate2 with the address and flags 0; E_POINTER without a control.
  virtual HRESULT Navigate(const wchar_t* url);
  // Hides the control's "Shell Embedding" window so that the loading text
  // shows, or shows it again.
  virtual void ShowLoading(BOOL on);
  virtual void PaintLoading(HDC dc);
  // Kept for a borderless mode that nothing selects.
  virtual LRESULT ChildWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  virtual void GetControlRect(RECT* rect);
  // Every event and script call, after the window's own handling.
  virtual HRESULT OnBrowserEvent(DISPID id, DISPPARAMS* arguments);
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual int Reserved15();
  // A cookie from page script whose signature held.
  virtual void OnVerifiedCookie(const wchar_t* cookie);
  // NavigationKey = lowercase hexadecimal MD5 of text in the ANSI code page.
  virtual void SetNavigationKey(const wchar_t* text);

  // Makes the window (once; 1 when it exists already) as a pop-up of
  // width x height owned by owner, centred over owner's top-level window.
  // host becomes the process-wide host and owner the process-wide owner.
  int Create(HMODULE module, HWND owner, IUnknown* host, int width, int height);
  HWND Handle() const { return window_; }
  IWebBrowser2* Browser() const { return browser_.Get(); }
  const char* NavigationKey() const { return navigationKey_; }
  bool FirstLoadPending() const { return firstLoadPending_; }
  bool KeyboardHookInstalled() const { return static_cast<bool>(keyboardHook_); }

  // The host and owner of the latest window made; the host is held while
  // any window object exists.
  static IUnknown* SharedHost();
  static HWND SharedOwner();
  // The loading text for a user interface language.
  static const wchar_t* LoadingText(LANGID language);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  // IDispatch: window.external and the DWebBrowserEvents2 sink
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* arguments,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override;
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer**) override;
  HRESULT STDMETHODCALLTYPE ShowObject() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow and IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                             LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return E_NOTIMPL; }

  // IDocHostUIHandler
  HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) override;
  HRESULT STDMETHODCALLTYPE ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                   IOleInPlaceUIWindow*) override {
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE HideUI() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE UpdateUI() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* key, DWORD) override;
  HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget*, IDropTarget** target) override;
  HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** external) override;
  HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) override;
  HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject*, IDataObject** filtered) override;

 protected:
  // Argument `position` of a call as the script wrote it (0 is the first), or null.
  static const VARIANT* Argument(const DISPPARAMS* arguments, UINT position);
  // The text an argument carries, directly or through a VARIANT reference; null when none.
  static const wchar_t* TextArgument(const DISPPARAMS* arguments, UINT position);
  // Destroys the window, if there is one.
  void DestroyOwnWindow();

 private:
  // OLE is in use from construction to destruction.
  class OleUse {
   public:
    OleUse() : result_(OleInitialize(nullptr)) {}
    ~OleUse() {
      if (SUCCEEDED(result_)) OleUninitialize();
    }
    OleUse(const OleUse&) = delete;
    OleUse& operator=(const OleUse&) = delete;

   private:
    HRESULT result_;
  };

  static LRESULT CALLBACK ClassWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK KeyboardHook(int code, WPARAM wParam, LPARAM lParam);
  static WebSliceWindow* FromTarget(HWND target);
  static bool RegisterWindowClass(HMODULE module);

  LRESULT OnCreate();
  void OnDestroy();
  void OnSize();
  void OnPaint();
  LRESULT OnNavigateWithForm(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetCookieFor(WPARAM wParam, LPARAM lParam);
  LRESULT OnUserMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool CreateControl();
  void ConnectEvents();
  void DisconnectEvents();
  void ReleaseControl();
  void TakeOwnerIcon();
  HWND EmbeddingWindow();
  void InstallKeyboardHook();
  void RemoveKeyboardHook();
  bool ForwardKey(MSG* message);
  void ResizeFrame(const DISPPARAMS* arguments);
  void SetCookie(const DISPPARAMS* arguments);
  HRESULT Navigate2(const wchar_t* url, VARIANT* flags, VARIANT* postData, VARIANT* headers);

  OleUse ole_;
  HWND window_ = nullptr;
  HMODULE module_ = nullptr;
  HWND owner_ = nullptr;
  HWND ownerTop_ = nullptr;
  win::ComPtr<IWebBrowser2> browser_;
  DWORD eventCookie_ = 0;
  HWND embedding_ = nullptr;
  bool firstLoadPending_ = true;
  char navigationKey_[33] = {};
  const DWORD hostUiOption_;
  win::UniqueHook keyboardHook_;
  HWND childPopup_ = nullptr;
};
