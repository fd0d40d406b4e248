#include "share/ShareDropTarget.h"

#include "frame/ModuleState.h"
#include "share/SharePage.h"
#include "win/QiTable.h"

HRESULT ShareDropTarget::QueryInterface(REFIID iid, void** out) {
  static const win::QiEntry table[] = {{&IID_IDropTarget, win::QiOffset<IDropTarget, ShareDropTarget>()},
                                       {nullptr, 0}};
  return win::QiSearch(this, table, iid, out);
}

ULONG ShareDropTarget::AddRef() { return ++references_; }

ULONG ShareDropTarget::Release() {
  ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT ShareDropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  acceptable_ = SharePage::CanAccept(data);
  if (effect != nullptr) *effect = acceptable_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
  return S_OK;
}

HRESULT ShareDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
  if (effect != nullptr) *effect = acceptable_ ? DROPEFFECT_COPY : DROPEFFECT_NONE;
  return S_OK;
}

HRESULT ShareDropTarget::DragLeave() {
  acceptable_ = false;
  return S_OK;
}

HRESULT ShareDropTarget::Drop(IDataObject* data, DWORD, POINTL point, DWORD* effect) {
  ModuleStateGuard guard;
  const bool dropped = page_.DropOn(window_, POINT{point.x, point.y}, data);
  if (effect != nullptr) *effect = dropped ? DROPEFFECT_COPY : DROPEFFECT_NONE;
  acceptable_ = false;
  return S_OK;
}
