#pragma once

#include <unknwn.h>

#include <new>
#include <utility>

#include "button/ServerModule.h"
#include "win/ComPtr.h"
#include "win/QiTable.h"

// A server object with one interface besides IUnknown: reference counted,
// counted by the module while it lives, deleted on its last Release.
template <typename Interface, const IID& kInterfaceId>
class SingleInterfaceObject : public Interface, private CountedObject {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    static const win::QiEntry kInterfaces[] = {
        {&kInterfaceId, win::QiOffset<Interface, SingleInterfaceObject>()},
        {nullptr, 0},
    };
    return win::QiSearch(this, kInterfaces, iid, out);
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
  win::ComPtr<Object> object;
  object.Attach(new (std::nothrow) Object(std::forward<Arguments>(arguments)...));
  if (!object) return E_OUTOFMEMORY;
  return object->QueryInterface(iid, out);
}
