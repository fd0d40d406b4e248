#include "button/ClassFactory.h"

#include <new>

#include "button/ButtonCreator.h"

HRESULT ClassFactory::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
  *out = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

ULONG ClassFactory::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG ClassFactory::Release() {
  LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  if (classId_ != CLSID_ButtonCreator) return CLASS_E_CLASSNOTAVAILABLE;
  ButtonCreator* creator = new (std::nothrow) ButtonCreator();
  if (creator == nullptr) return E_OUTOFMEMORY;
  HRESULT result = creator->QueryInterface(iid, out);
  creator->Release();
  return result;
}

HRESULT ClassFactory::LockServer(BOOL) { return E_NOTIMPL; }

HRESULT ClassFactory::GetClassObject(REFCLSID classId, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  ClassFactory* factory = new (std::nothrow) ClassFactory(classId);
  if (factory == nullptr) return E_OUTOFMEMORY;
  HRESULT result = factory->QueryInterface(iid, out);
  factory->Release();
  return result;
}
