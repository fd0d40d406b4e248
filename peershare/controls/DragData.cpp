#include "controls/DragData.h"

#include <shlobj.h>

#include <cstring>

#include "win/ComPtr.h"
#include "win/Handles.h"
#include "win/QiTable.h"

DragDataObject::DragDataObject(UINT format, std::string bytes) : format_(format), bytes_(std::move(bytes)) {}

HRESULT DragDataObject::QueryInterface(REFIID iid, void** out) {
  static const win::QiEntry table[] = {{&IID_IDataObject, win::QiOffset<IDataObject, DragDataObject>()},
                                       {nullptr, 0}};
  return win::QiSearch(this, table, iid, out);
}

ULONG DragDataObject::AddRef() { return ++references_; }

ULONG DragDataObject::Release() {
  ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

FORMATETC DragDataObject::Format() const {
  return FORMATETC{static_cast<CLIPFORMAT>(format_), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

HRESULT DragDataObject::QueryGetData(FORMATETC* format) {
  if (format == nullptr) return E_INVALIDARG;
  if (format->cfFormat != format_) return DV_E_FORMATETC;
  return (format->tymed & TYMED_HGLOBAL) != 0 ? S_OK : DV_E_TYMED;
}

HRESULT DragDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
  if (medium == nullptr) return E_INVALIDARG;
  HRESULT answer = QueryGetData(format);
  if (answer != S_OK) return answer;
  win::UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes_.size()));
  if (!memory) return E_OUTOFMEMORY;
  if (void* target = GlobalLock(memory.Get())) {
    std::memcpy(target, bytes_.data(), bytes_.size());
    GlobalUnlock(memory.Get());
  }
  medium->tymed = TYMED_HGLOBAL;
  medium->hGlobal = memory.Release();
  medium->pUnkForRelease = nullptr;
  return S_OK;
}

HRESULT DragDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
  if (out != nullptr) out->ptd = nullptr;
  return DATA_S_SAMEFORMATETC;
}

HRESULT DragDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
  if (direction != DATADIR_GET) return E_NOTIMPL;
  FORMATETC format = Format();
  return SHCreateStdEnumFmtEtc(1, &format, out);
}

HRESULT DropSource::QueryInterface(REFIID iid, void** out) {
  static const win::QiEntry table[] = {{&IID_IDropSource, win::QiOffset<IDropSource, DropSource>()}, {nullptr, 0}};
  return win::QiSearch(this, table, iid, out);
}

ULONG DropSource::AddRef() { return ++references_; }

ULONG DropSource::Release() {
  ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT DropSource::QueryContinueDrag(BOOL escape, DWORD keys) {
  if (escape) return DRAGDROP_S_CANCEL;
  return (keys & MK_LBUTTON) == 0 ? DRAGDROP_S_DROP : S_OK;
}

std::string DataBytes(IDataObject* data, UINT format) {
  std::string bytes;
  if (data == nullptr) return bytes;
  FORMATETC wanted = {static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium = {};
  if (data->GetData(&wanted, &medium) != S_OK) return bytes;
  if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr) {
    if (const void* source = GlobalLock(medium.hGlobal)) {
      bytes.assign(static_cast<const char*>(source), GlobalSize(medium.hGlobal));
      GlobalUnlock(medium.hGlobal);
    }
  }
  ReleaseStgMedium(&medium);
  return bytes;
}

DWORD StartDrag(IDataObject* data) {
  DWORD effect = DROPEFFECT_NONE;
  if (data == nullptr) return effect;
  win::ComPtr<IDropSource> source;
  source.Attach(new DropSource());
  DoDragDrop(data, source.Get(), DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
  return effect;
}
