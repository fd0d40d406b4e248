#pragma once

#include "button/ServerModule.h"

#include <unknwn.h>

// Hands out ButtonCreator objects. Made for whatever class id the caller
// asks about; only the creator class can then be instantiated.
class ClassFactory : public IClassFactory, private CountedObject {
 public:
  explicit ClassFactory(REFCLSID classId) : classId_(classId) {}
  virtual ~ClassFactory() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

  // DllGetClassObject: a factory for classId asked for iid.
  static HRESULT GetClassObject(REFCLSID classId, REFIID iid, void** out);

 private:
  const CLSID classId_;
  LONG references_ = 1;
};
