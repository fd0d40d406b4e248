#pragma once

#include <windows.h>
#include <mshtml.h>

#include <string>

#include "BrowserStubs.h"

// The document the control hands out: its title and address, or the ways a
// document can fail a host (not HTML, no title).
class HtmlDocumentDouble : public HtmlDocumentStubs {
 public:
  HtmlDocumentDouble(const std::wstring& title, const std::wstring& url, int kind);
  virtual ~HtmlDocumentDouble() = default;
  HtmlDocumentDouble(const HtmlDocumentDouble&) = delete;
  HtmlDocumentDouble& operator=(const HtmlDocumentDouble&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE get_title(BSTR* title) override;
  HRESULT STDMETHODCALLTYPE get_URL(BSTR* url) override;

 private:
  LONG references_ = 1;
  const std::wstring title_;
  const std::wstring url_;
  const int kind_;
};
