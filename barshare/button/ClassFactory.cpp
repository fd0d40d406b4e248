#include "button/ClassFactory.h"

#include "button/ButtonCreator.h"

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  if (classId_ != CLSID_ButtonCreator) return CLASS_E_CLASSNOTAVAILABLE;
  return CreateAndQuery<ButtonCreator>(iid, out);
}

HRESULT ClassFactory::LockServer(BOOL) { return E_NOTIMPL; }

HRESULT ClassFactory::GetClassObject(REFCLSID classId, REFIID iid, void** out) {
  return CreateAndQuery<ClassFactory>(iid, out, classId);
}
