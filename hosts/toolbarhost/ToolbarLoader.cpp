#include "ToolbarLoader.h"

#include <unknwn.h>

#include "CreatorRecordReader.h"
#include "button/ToolbarInterfaces.h"
#include "win/ComPtr.h"

namespace {

template <typename Function>
Function Export(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

using GetClassObjectFunction = HRESULT(__stdcall*)(REFCLSID, REFIID, void**);
using InitializeObjectsFunction = HRESULT(__stdcall*)(IUnknown*);
using CanUnloadNowFunction = HRESULT(__stdcall*)();

HRESULT ThroughCreatorClass(HMODULE module, REFCLSID classId, IUnknown* host) {
  auto getClassObject = Export<GetClassObjectFunction>(module, "DllGetClassObject");
  if (getClassObject == nullptr) return E_NOINTERFACE;
  win::ComPtr<IClassFactory> factory;
  HRESULT result = getClassObject(classId, IID_IClassFactory, factory.PutVoid());
  if (FAILED(result)) return result;
  win::ComPtr<IButtonCreator> creator;
  result = factory->CreateInstance(nullptr, IID_IButtonCreator, creator.PutVoid());
  factory.Reset();  // the toolbar lets go of the factory before it uses the creator
  if (FAILED(result)) return result;
  return creator->InitializeObjects(host);
}

}  // namespace

// A DLL whose objects still live stays loaded, as the toolbar leaves it.
ToolbarLoader::~ToolbarLoader() {
  if (module_ && CanUnloadNow() != S_OK) (void)module_.Release();
}

HRESULT ToolbarLoader::Load(REFCLSID classId, IUnknown* host, Road road) {
  CreatorEntry entry;
  if (!CreatorRecordReader::Read(classId, &entry)) return REGDB_E_CLASSNOTREG;
  path_ = entry.path;
  module_.Reset(LoadLibraryW(path_.c_str()));
  if (!module_) return HRESULT_FROM_WIN32(GetLastError());
  if (road == Road::CreatorClass) return ThroughCreatorClass(module_.Get(), classId, host);
  auto initializeObjects = Export<InitializeObjectsFunction>(module_.Get(), "InitializeObjects");
  return initializeObjects != nullptr ? initializeObjects(host) : E_NOINTERFACE;
}

HRESULT ToolbarLoader::CanUnloadNow() const {
  auto canUnloadNow = Export<CanUnloadNowFunction>(module_.Get(), "DllCanUnloadNow");
  return canUnloadNow != nullptr ? canUnloadNow() : E_UNEXPECTED;
}
