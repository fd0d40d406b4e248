// The in-process server of the browser control double: one class,
// CLSID_WebBrowser, made by a class factory.
#include "BrowserDoubleModule.h"

#include <exdisp.h>

#include <new>

#include "BrowserControlDouble.h"

namespace {

HINSTANCE module = nullptr;
LONG liveObjects = 0;

class ControlFactory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
    *out = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  // One factory for the whole module; its references only keep the DLL loaded.
  ULONG STDMETHODCALLTYPE AddRef() override {
    BrowserDoubleModule::ObjectCreated();
    return 2;
  }
  ULONG STDMETHODCALLTYPE Release() override {
    BrowserDoubleModule::ObjectDestroyed();
    return 1;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* control = new (std::nothrow) BrowserControlDouble();
    if (control == nullptr) return E_OUTOFMEMORY;
    const HRESULT result = control->QueryInterface(iid, out);
    control->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      BrowserDoubleModule::ObjectCreated();
    } else {
      BrowserDoubleModule::ObjectDestroyed();
    }
    return S_OK;
  }
};

ControlFactory factory;

}  // namespace

namespace BrowserDoubleModule {

HINSTANCE Handle() { return module; }
void ObjectCreated() { InterlockedIncrement(&liveObjects); }
void ObjectDestroyed() { InterlockedDecrement(&liveObjects); }

}  // namespace BrowserDoubleModule

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) {
    module = instance;
    DisableThreadLibraryCalls(instance);
    BrowserControlDouble::RegisterWindowClass(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    // A later load may sit at another address: its class must not call into this one.
    BrowserControlDouble::UnregisterWindowClass(instance);
  }
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID classId, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (classId != CLSID_WebBrowser) return CLASS_E_CLASSNOTAVAILABLE;
  return factory.QueryInterface(iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return liveObjects == 0 ? S_OK : S_FALSE; }
