#include "ToolbarLoader.h"

#include <unknwn.h>

#include "CreatorRecordReader.h"
#include "button/ToolbarInterfaces.h"

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
  IClassFactory* factory = nullptr;
  HRESULT result = getClassObject(classId, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(result)) return result;
  IButtonCreator* creator = nullptr;
  result = factory->CreateInstance(nullptr, IID_IButtonCreator, reinterpret_cast<void**>(&creator));
  factory->Release();
  if (FAILED(result)) return result;
  result = creator->InitializeObjects(host);
  creator->Release();
  return result;
}

}  // namespace

ToolbarLoader::~ToolbarLoader() {
  if (module_ != nullptr && CanUnloadNow() == S_OK) FreeLibrary(module_);
}

HRESULT ToolbarLoader::Load(REFCLSID classId, IUnknown* host, Road road) {
  CreatorEntry entry;
  if (!CreatorRecordReader::Read(classId, &entry)) return REGDB_E_CLASSNOTREG;
  path_ = entry.path;
  module_ = LoadLibraryW(path_.c_str());
  if (module_ == nullptr) return HRESULT_FROM_WIN32(GetLastError());
  if (road == Road::CreatorClass) return ThroughCreatorClass(module_, classId, host);
  auto initializeObjects = Export<InitializeObjectsFunction>(module_, "InitializeObjects");
  return initializeObjects != nullptr ? initializeObjects(host) : E_NOINTERFACE;
}

HRESULT ToolbarLoader::CanUnloadNow() const {
  auto canUnloadNow = Export<CanUnloadNowFunction>(module_, "DllCanUnloadNow");
  return canUnloadNow != nullptr ? canUnloadNow() : E_UNEXPECTED;
}
