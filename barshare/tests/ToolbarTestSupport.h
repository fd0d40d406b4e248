#pragma once

// What the barshare tests share: the toolbar's registry left as found, the
// DLL under test loaded from the build tree, and programs beside the tests.
#include <windows.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "button/ToolbarRegistry.h"

inline bool KeyExists(const std::wstring& path) {
  HKEY key = nullptr;
  bool exists = RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
  if (key != nullptr) RegCloseKey(key);
  return exists;
}

// Removes the toolbar's registry branch afterwards when the test created it;
// otherwise puts back the one creator value and removes the account keys the
// test names.
class ToolbarRegistryGuard {
 public:
  ToolbarRegistryGuard() {
    // The topmost key of the toolbar's branch that does not exist yet.
    std::wstring base = ToolbarRegistry::Base();
    existed_ = true;
    for (size_t end = base.find(L'\\'); existed_; end = base.find(L'\\', end + 1)) {
      vendorKey_ = base.substr(0, end);
      existed_ = KeyExists(vendorKey_);
      if (end == std::wstring::npos) break;
    }
    DWORD size = 4096;
    saved_.resize(size);
    hadValue_ = RegGetValueW(HKEY_CURRENT_USER, ToolbarRegistry::CreatorsKey().c_str(), kCreatorValue,
                             RRF_RT_REG_BINARY, nullptr, saved_.data(), &size) == ERROR_SUCCESS;
    saved_.resize(hadValue_ ? size : 0);
  }
  ~ToolbarRegistryGuard() {
    if (!existed_) {
      SHDeleteKeyW(HKEY_CURRENT_USER, vendorKey_.c_str());
      return;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, ToolbarRegistry::CreatorsKey().c_str(), 0, KEY_SET_VALUE, &key) ==
        ERROR_SUCCESS) {
      if (hadValue_) {
        RegSetValueExW(key, kCreatorValue, 0, REG_BINARY, saved_.data(), static_cast<DWORD>(saved_.size()));
      } else {
        RegDeleteValueW(key, kCreatorValue);
      }
      RegCloseKey(key);
    }
    for (const std::wstring& account : accounts_) SHDeleteKeyW(HKEY_CURRENT_USER, account.c_str());
  }
  ToolbarRegistryGuard(const ToolbarRegistryGuard&) = delete;
  ToolbarRegistryGuard& operator=(const ToolbarRegistryGuard&) = delete;

  // An account key the test creates; removed afterwards.
  void AddAccountKey(const std::wstring& key) { accounts_.push_back(key); }

  static constexpr const wchar_t* kCreatorValue = L"{289B311F-C5F3-40CE-A6C1-8903C0ADE026}";

 private:
  std::wstring vendorKey_;
  bool existed_ = false;
  bool hadValue_ = false;
  std::vector<BYTE> saved_;
  std::vector<std::wstring> accounts_;
};

// The folder of the running test program, with a trailing backslash.
inline std::wstring TestProgramFolder() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

// barshare.dll of this build tree, the folder above the tests.
inline std::wstring BarshareDllPath() { return TestProgramFolder() + L"..\\barshare.dll"; }

// Loads barshare.dll for one test and frees it afterwards.
class BarshareDll {
 public:
  BarshareDll() {
    wchar_t full[MAX_PATH];
    GetFullPathNameW(BarshareDllPath().c_str(), MAX_PATH, full, nullptr);
    module_ = LoadLibraryW(full);
  }
  ~BarshareDll() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  BarshareDll(const BarshareDll&) = delete;
  BarshareDll& operator=(const BarshareDll&) = delete;

  HMODULE Module() const { return module_; }
  std::wstring Path() const {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(module_, path, MAX_PATH);
    return path;
  }
  template <typename Function>
  Function Export(const char* name) const {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }
  HRESULT Call(const char* name) const {
    auto function = Export<HRESULT(__stdcall*)()>(name);
    return function != nullptr ? function() : E_NOINTERFACE;
  }

 private:
  HMODULE module_ = nullptr;
};
