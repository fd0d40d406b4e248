#pragma once

// The browser control as tests and host programs see it. Wine has no engine
// that renders pages, so browser_double.dll stands in for the system's web
// browser control: an in-process server of CLSID_WebBrowser that records what
// its host asks of it and lets the caller play the page (events, a document,
// script calling window.external). This header is what a test needs to drive
// it; the control itself lives in the DLL.
#include <windows.h>
#include <oaidl.h>

#include "win/ComPtr.h"

// {6A1D5C32-94E1-4F0B-8D7A-3C21B0E95F47}
inline constexpr IID IID_IBrowserDouble = {
    0x6A1D5C32, 0x94E1, 0x4F0B, {0x8D, 0x7A, 0x3C, 0x21, 0xB0, 0xE9, 0x5F, 0x47}};

// Asks the double's "Shell Embedding" window for an interface of the control:
// wParam is the IID's address, lParam the out pointer; the result is the HRESULT.
constexpr UINT kBrowserDoubleQueryMessage = WM_APP + 0x3A0;

// What get_Document hands out.
enum BrowserDocumentKind : int {
  kDocumentHtml = 0,        // an HTML document with the page's title and address
  kDocumentNotHtml = 1,     // a document that does not answer IHTMLDocument2
  kDocumentNone = 2,        // get_Document fails
  kDocumentTitleFails = 3,  // get_title fails
  kDocumentTitleNull = 4,   // get_title succeeds without a string
};

// One Navigate2 call. The BSTRs belong to the caller (SysFreeString).
struct NavigationRecord {
  VARTYPE types[5];  // the variant type of each argument, VT_ERROR for a null pointer
  BSTR url;          // argument 1 when it is text
  LONG flags;        // argument 2 when it is VT_I4
  BSTR postData;     // the bytes of argument 4 when it is a VT_UI1 array
  BSTR headers;      // argument 5 when it is text
};

struct IBrowserDouble : public IUnknown {
  // The page the control shows, as its document reports it.
  virtual HRESULT STDMETHODCALLTYPE SetPage(const wchar_t* title, const wchar_t* url, int documentKind) = 0;
  // Fires one DWebBrowserEvents2 event (by DISPID) at every connected sink with
  // the arguments the real control passes; url goes where the event has one.
  virtual HRESULT STDMETHODCALLTYPE Fire(DISPID event, const wchar_t* url) = 0;
  // Calls window.external.<name>(...) as page script does: GetIDsOfNames, then
  // Invoke with arguments (last argument first, as in DISPPARAMS). *id gets
  // the DISPID the host answered. Fails when the host has no external object.
  virtual HRESULT STDMETHODCALLTYPE CallExternal(const wchar_t* name, DISPPARAMS* arguments, DISPID* id) = 0;
  virtual int STDMETHODCALLTYPE NavigationCount() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetNavigation(int index, NavigationRecord* record) = 0;
  // The host's calls on the control and what the site answered, one line each.
  virtual HRESULT STDMETHODCALLTYPE GetLog(BSTR* log) = 0;
  // Asks the site's IDocHostUIHandler::GetHostInfo, as the document does when it loads.
  virtual HRESULT STDMETHODCALLTYPE GetHostInfo(DWORD* flags, DWORD* doubleClick, UINT* size) = 0;
  // What IOleInPlaceActiveObject::TranslateAccelerator answers.
  virtual void STDMETHODCALLTYPE SetAcceleratorAnswer(HRESULT answer) = 0;
  virtual int STDMETHODCALLTYPE ConnectedSinks() = 0;
  // The "Shell Embedding" child, or null before in-place activation.
  virtual HWND STDMETHODCALLTYPE EmbeddingWindow() = 0;
  // QueryInterface on the client site the host gave; fails without one.
  virtual HRESULT STDMETHODCALLTYPE QuerySite(REFIID iid, void** out) = 0;
};

// The control hosted by window (a window hosting it, or its "Shell
// Embedding" child), or nothing.
inline win::ComPtr<IBrowserDouble> BrowserDoubleIn(HWND window) {
  win::ComPtr<IBrowserDouble> browser;
  HWND embedding = window != nullptr ? FindWindowExW(window, nullptr, L"Shell Embedding", nullptr) : nullptr;
  if (embedding == nullptr) embedding = window;
  if (embedding == nullptr) return browser;
  IBrowserDouble* found = nullptr;
  const HRESULT result = static_cast<HRESULT>(SendMessageW(embedding, kBrowserDoubleQueryMessage,
                                                           reinterpret_cast<WPARAM>(&IID_IBrowserDouble),
                                                           reinterpret_cast<LPARAM>(&found)));
  if (SUCCEEDED(result)) browser.Attach(found);
  return browser;
}
