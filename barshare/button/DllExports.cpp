#include "button/DllExports.h"

// The button object and its creator do not exist yet: every export answers
// that it cannot serve, so no caller mistakes this DLL for a working server.

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID, REFIID, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT __stdcall DllCanUnloadNow() { return S_OK; }

extern "C" HRESULT __stdcall DllRegisterServer() { return E_NOTIMPL; }

extern "C" HRESULT __stdcall DllUnregisterServer() { return E_NOTIMPL; }

extern "C" HRESULT __stdcall GetCreatorGuid(GUID* out) { return out == nullptr ? E_POINTER : E_NOTIMPL; }

extern "C" HRESULT __stdcall InitializeObjects(IUnknown*) { return E_NOTIMPL; }
