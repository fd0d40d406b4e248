#pragma once

#include <windows.h>
#include <exdisp.h>
#include <ocidl.h>
#include <oleidl.h>

#include <string>
#include <vector>

#include "BrowserDouble.h"
#include "BrowserStubs.h"
#include "EventConnectionPoint.h"
#include "win/ComPtr.h"
#include "win/Handles.h"

// The web browser control as its host sees it: an OLE object activated in
// place in a "Shell Embedding" child of the host's window, a connection point
// for DWebBrowserEvents2, navigation that only records its arguments, and a
// document that reports the page set by the test.
class BrowserControlDouble : public WebBrowserStubs,
                             public IOleObject,
                             public IOleInPlaceObject,
                             public IOleInPlaceActiveObject,
                             public IConnectionPointContainer,
                             public IBrowserDouble {
 public:
  BrowserControlDouble();
  virtual ~BrowserControlDouble();
  BrowserControlDouble(const BrowserControlDouble&) = delete;
  BrowserControlDouble& operator=(const BrowserControlDouble&) = delete;

  static void RegisterWindowClass(HINSTANCE module);
  static void UnregisterWindowClass(HINSTANCE module);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IWebBrowser2, what a host uses
  HRESULT STDMETHODCALLTYPE get_Document(IDispatch** document) override;
  HRESULT STDMETHODCALLTYPE Navigate2(VARIANT* url, VARIANT* flags, VARIANT* target, VARIANT* postData,
                                      VARIANT* headers) override;

  // IOleObject
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Close(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG message, IOleClientSite* site, LONG index, HWND parent,
                                   LPCRECT position) override;
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* classId) override;
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IOleWindow, through both in-place interfaces
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceObject
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override;
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }

  // IOleInPlaceActiveObject
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message) override;
  HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }

  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

  // IBrowserDouble
  HRESULT STDMETHODCALLTYPE SetPage(const wchar_t* title, const wchar_t* url, int documentKind) override;
  HRESULT STDMETHODCALLTYPE Fire(DISPID event, const wchar_t* url) override;
  HRESULT STDMETHODCALLTYPE CallExternal(const wchar_t* name, DISPPARAMS* arguments, DISPID* id) override;
  int STDMETHODCALLTYPE NavigationCount() override { return static_cast<int>(navigations_.size()); }
  HRESULT STDMETHODCALLTYPE GetNavigation(int index, NavigationRecord* record) override;
  HRESULT STDMETHODCALLTYPE GetLog(BSTR* log) override;
  HRESULT STDMETHODCALLTYPE GetHostInfo(DWORD* flags, DWORD* doubleClick, UINT* size) override;
  void STDMETHODCALLTYPE SetAcceleratorAnswer(HRESULT answer) override { acceleratorAnswer_ = answer; }
  int STDMETHODCALLTYPE ConnectedSinks() override { return events_.Count(); }
  HWND STDMETHODCALLTYPE EmbeddingWindow() override { return embedding_.Get(); }
  HRESULT STDMETHODCALLTYPE QuerySite(REFIID iid, void** out) override;

 private:
  struct Navigation {
    VARTYPE types[5];
    std::wstring url;
    LONG flags;
    std::string postData;
    std::wstring headers;
  };

  static LRESULT CALLBACK EmbeddingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Record(const wchar_t* format, ...);
  HRESULT ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT position);
  void Paint(HWND window);

  LONG references_ = 1;
  win::ComPtr<IOleClientSite> site_;
  win::UniqueWindow embedding_;
  EventConnectionPoint events_;
  std::vector<Navigation> navigations_;
  std::vector<std::wstring> log_;
  std::wstring title_;
  std::wstring url_;
  int documentKind_ = kDocumentHtml;
  HRESULT acceleratorAnswer_ = S_FALSE;
};
