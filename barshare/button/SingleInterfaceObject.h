#pragma once

#include <unknwn.h>

#include <new>
#include <utility>

#include "button/ServerModule.h"

// A server object with one interface besides IUnknown: reference counted,
// counted by the module while it lives, deleted on its last Release.
template <typename Interface, const IID& kInterfaceId>
class SingleInterfaceObject : public Interface, private CountedObject {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != kInterfaceId) return E_NOINTERFACE;
    *out = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

 protected:
  SingleInterfaceObject() = default;
  virtual ~SingleInterfaceObject() = default;

 private:
  LONG references_ = 1;
};

// Makes an Object and answers its QueryInterface for iid; the caller's
// reference is the only one left.
template <typename Object, typename... Arguments>
HRESULT CreateAndQuery(REFIID iid, void** out, Arguments&&... arguments) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  Object* object = new (std::nothrow) Object(std::forward<Arguments>(arguments)...);
  if (object == nullptr) return E_OUTOFMEMORY;
  HRESULT result = object->QueryInterface(iid, out);
  object->Release();
  return result;
}
