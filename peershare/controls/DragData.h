#pragma once

#include <windows.h>
#include <ole2.h>

#include <atomic>
#include <string>

// The OLE objects of a drag that starts in the plug-in: a data object that
// offers one clipboard format as global memory, and the drop source that
// follows the left mouse button.
class DragDataObject : public IDataObject {
 public:
  // Reference count 1: the caller holds it (win::ComPtr::Attach).
  DragDataObject(UINT format, std::string bytes);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDataObject
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override;
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  virtual ~DragDataObject() = default;
  FORMATETC Format() const;

  std::atomic<ULONG> references_{1};
  UINT format_;
  std::string bytes_;
};

class DropSource : public IDropSource {
 public:
  DropSource() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override;
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  virtual ~DropSource() = default;
  std::atomic<ULONG> references_{1};
};

// The bytes of one format of a data object, empty when it has none.
std::string DataBytes(IDataObject* data, UINT format);

// Runs a drag of `data` until the mouse button is released (the system's
// modal drag loop); the effect the target chose.
DWORD StartDrag(IDataObject* data);
