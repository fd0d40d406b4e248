#include "button/DllExports.h"

#include "button/ButtonCreator.h"
#include "button/ClassFactory.h"
#include "button/CreatorRecord.h"
#include "button/ServerModule.h"
#include "button/ToolbarInterfaces.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) {
    ServerModule::SetHandle(instance);
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
  return ClassFactory::GetClassObject(rclsid, riid, ppv);
}

extern "C" HRESULT __stdcall DllCanUnloadNow() { return ServerModule::LiveObjects() == 0 ? S_OK : S_FALSE; }

extern "C" HRESULT __stdcall DllRegisterServer() {
  wchar_t path[CreatorRecord::kPathChars] = L"";
  if (GetModuleFileNameW(ServerModule::Handle(), path, CreatorRecord::kPathChars) == 0) return E_INVALIDARG;
  return CreatorRecord::Register(CLSID_ButtonCreator, path, 0, 0);
}

extern "C" HRESULT __stdcall DllUnregisterServer() { return CreatorRecord::Unregister(CLSID_ButtonCreator); }

extern "C" HRESULT __stdcall GetCreatorGuid(GUID* out) {
  if (out == nullptr) return E_POINTER;
  *out = CLSID_ButtonCreator;
  return S_OK;
}

extern "C" HRESULT __stdcall InitializeObjects(IUnknown* host) { return ButtonCreator::CreateButtons(host); }
