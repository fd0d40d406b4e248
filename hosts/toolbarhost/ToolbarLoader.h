#pragma once

// Loads a registered creator the way the toolbar does: the record names the
// DLL, which is loaded by path and asked for the creator class.
#include <windows.h>
#include <unknwn.h>

#include <string>

#include "win/Handles.h"

class ToolbarLoader {
 public:
  enum class Road { CreatorClass, InitializeObjectsExport };

  ToolbarLoader() = default;
  ~ToolbarLoader();
  ToolbarLoader(const ToolbarLoader&) = delete;
  ToolbarLoader& operator=(const ToolbarLoader&) = delete;

  // Reads clsid's record, loads its DLL and has it create its buttons for host.
  HRESULT Load(REFCLSID classId, IUnknown* host, Road road);
  HMODULE Module() const { return module_.Get(); }
  const std::wstring& Path() const { return path_; }
  // The DLL's DllCanUnloadNow answer.
  HRESULT CanUnloadNow() const;

 private:
  win::UniqueModule module_;
  std::wstring path_;
};
