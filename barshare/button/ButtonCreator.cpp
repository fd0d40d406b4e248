#include "button/ButtonCreator.h"

#include <new>

#include "button/ShareButton.h"

HRESULT ButtonCreator::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_IButtonCreator) return E_NOINTERFACE;
  *out = static_cast<IButtonCreator*>(this);
  AddRef();
  return S_OK;
}

ULONG ButtonCreator::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG ButtonCreator::Release() {
  LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT ButtonCreator::InitializeObjects(IUnknown* host) { return CreateButtons(host); }

HRESULT ButtonCreator::CreateButtons(IUnknown* host) {
  ShareButton* button = new (std::nothrow) ShareButton();
  if (button == nullptr) return 0;
  button->Initialize(host);
  button->Release();
  return 0;
}
