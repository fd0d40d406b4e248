#pragma once

#include "button/SingleInterfaceObject.h"

// Hands out ButtonCreator objects. Made for whatever class id the caller
// asks about; only the creator class can then be instantiated.
class ClassFactory : public SingleInterfaceObject<IClassFactory, IID_IClassFactory> {
 public:
  explicit ClassFactory(REFCLSID classId) : classId_(classId) {}

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

  // DllGetClassObject: a factory for classId asked for iid.
  static HRESULT GetClassObject(REFCLSID classId, REFIID iid, void** out);

 private:
  const CLSID classId_;
};
