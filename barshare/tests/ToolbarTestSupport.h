#pragma once

// What the barshare tests share: the toolbar's registry left as found, the
// DLL under test loaded from the build tree, and programs beside the tests.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "button/ToolbarRegistry.h"
#include "win/Handles.h"

inline bool KeyExists(const std::wstring& path) {
  win::UniqueRegKey key;
  return RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

// Leaves the toolbar's registry branch as the test found it: keys the test
// creates are removed from the topmost one that did not exist, and the
// creator value is put back.
class ToolbarRegistryGuard {
 public:
  ToolbarRegistryGuard() {
    Track(ToolbarRegistry::CreatorsKey());
    DWORD size = 4096;
    saved_.resize(size);
    hadValue_ = RegGetValueW(HKEY_CURRENT_USER, ToolbarRegistry::CreatorsKey().c_str(), kCreatorValue,
                             RRF_RT_REG_BINARY, nullptr, saved_.data(), &size) == ERROR_SUCCESS;
    saved_.resize(hadValue_ ? size : 0);
  }
  ~ToolbarRegistryGuard() {
    win::UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, ToolbarRegistry::CreatorsKey().c_str(), 0, KEY_SET_VALUE, key.Put()) ==
        ERROR_SUCCESS) {
      if (hadValue_) {
        RegSetValueExW(key.Get(), kCreatorValue, 0, REG_BINARY, saved_.data(), static_cast<DWORD>(saved_.size()));
      } else {
        RegDeleteValueW(key.Get(), kCreatorValue);
      }
    }
    for (auto root = created_.rbegin(); root != created_.rend(); ++root) {
      SHDeleteKeyW(HKEY_CURRENT_USER, root->c_str());
    }
  }
  ToolbarRegistryGuard(const ToolbarRegistryGuard&) = delete;
  ToolbarRegistryGuard& operator=(const ToolbarRegistryGuard&) = delete;

  // Call before the test creates key: whatever of it is new goes afterwards.
  void Track(const std::wstring& key) {
    for (size_t end = key.find(L'\\');; end = key.find(L'\\', end + 1)) {
      std::wstring prefix = key.substr(0, end);
      if (!KeyExists(prefix)) {
        created_.push_back(prefix);
        return;
      }
      if (end == std::wstring::npos) return;
    }
  }

  static constexpr const wchar_t* kCreatorValue = L"{289B311F-C5F3-40CE-A6C1-8903C0ADE026}";

 private:
  bool hadValue_ = false;
  std::vector<BYTE> saved_;
  std::vector<std::wstring> created_;
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
    module_.Reset(LoadLibraryW(full));
  }
  BarshareDll(const BarshareDll&) = delete;
  BarshareDll& operator=(const BarshareDll&) = delete;

  HMODULE Module() const { return module_.Get(); }
  std::wstring Path() const {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(module_.Get(), path, MAX_PATH);
    return path;
  }
  template <typename Function>
  Function Export(const char* name) const {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_.Get(), name)));
  }
  HRESULT Call(const char* name) const {
    auto function = Export<HRESULT(__stdcall*)()>(name);
    return function != nullptr ? function() : E_NOINTERFACE;
  }

 private:
  win::UniqueModule module_;
};

// Held for a whole test program run: CTest runs tests in parallel processes,
// and these share the toolbar's registry branch, its job mutex names and the
// system's hosts file.
class CrossProcessLock : public ::testing::Environment {
 public:
  explicit CrossProcessLock(const wchar_t* name) : name_(name) {}
  void SetUp() override {
    mutex_.Reset(CreateMutexW(nullptr, FALSE, name_));
    if (mutex_) WaitForSingleObject(mutex_.Get(), INFINITE);
  }
  void TearDown() override {
    if (!mutex_) return;
    ReleaseMutex(mutex_.Get());
    mutex_.Reset();
  }

 private:
  const wchar_t* name_;
  win::UniqueMutex mutex_;
};
