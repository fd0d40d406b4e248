#include "HtmlDocumentDouble.h"

#include "BrowserDouble.h"

namespace {

HRESULT CopyText(const std::wstring& text, BSTR* out) {
  if (out == nullptr) return E_POINTER;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

HtmlDocumentDouble::HtmlDocumentDouble(const std::wstring& title, const std::wstring& url, int kind)
    : title_(title), url_(url), kind_(kind) {}

HRESULT HtmlDocumentDouble::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  const bool html = kind_ != kDocumentNotHtml;
  if (iid == IID_IUnknown || iid == IID_IDispatch || (html && (iid == IID_IHTMLDocument || iid == IID_IHTMLDocument2))) {
    *out = static_cast<IHTMLDocument2*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

ULONG HtmlDocumentDouble::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG HtmlDocumentDouble::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT HtmlDocumentDouble::get_title(BSTR* title) {
  if (title == nullptr) return E_POINTER;
  *title = nullptr;
  if (kind_ == kDocumentTitleFails) return E_FAIL;
  if (kind_ == kDocumentTitleNull) return S_OK;
  return CopyText(title_, title);
}

HRESULT HtmlDocumentDouble::get_URL(BSTR* url) { return CopyText(url_, url); }
