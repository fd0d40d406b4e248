#include "BrowserDoubleRegistration.h"

#include <exdisp.h>
#include <ole2.h>

#include "win/ComPtr.h"

namespace {

using GetClassObjectFunction = HRESULT(__stdcall*)(REFCLSID, REFIID, void**);
using CanUnloadNowFunction = HRESULT(__stdcall*)();

template <typename Function>
Function Export(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

std::wstring BrowserDoubleRegistration::DefaultPath() {
  wchar_t path[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\') + 1) + L"browser_double.dll";
}

BrowserDoubleRegistration::BrowserDoubleRegistration(const std::wstring& dllPath) {
  oleInitialized_ = OleInitialize(nullptr);
  module_.Reset(LoadLibraryW((dllPath.empty() ? DefaultPath() : dllPath).c_str()));
  if (!module_) {
    result_ = HRESULT_FROM_WIN32(GetLastError());
    return;
  }
  auto getClassObject = Export<GetClassObjectFunction>(module_.Get(), "DllGetClassObject");
  if (getClassObject == nullptr) return;
  win::ComPtr<IUnknown> factory;
  result_ = getClassObject(CLSID_WebBrowser, IID_IClassFactory, factory.PutVoid());
  if (FAILED(result_)) return;
  result_ = CoRegisterClassObject(CLSID_WebBrowser, factory.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                  &cookie_);
}

BrowserDoubleRegistration::~BrowserDoubleRegistration() {
  if (cookie_ != 0) CoRevokeClassObject(cookie_);
  // Controls still alive keep the DLL loaded for the rest of the process.
  auto canUnloadNow = module_ ? Export<CanUnloadNowFunction>(module_.Get(), "DllCanUnloadNow") : nullptr;
  if (canUnloadNow == nullptr || canUnloadNow() != S_OK) (void)module_.Release();
  module_.Reset();
  if (SUCCEEDED(oleInitialized_)) OleUninitialize();
}
