#pragma once

#include <windows.h>

// Where the library's dialogs, strings and icons come from, and the
// activation context its controls need. Every export and every operation the
// client calls holds a ModuleStateGuard, so resource lookups made during the
// call find this library's resources whatever the client had current.
class ModuleState {
 public:
  // The module that holds this code: the DLL, or a test program linking it.
  static HMODULE LibraryModule();
  // The module the current thread loads resources from.
  static HMODULE ResourceModule();

 private:
  friend class ModuleStateGuard;
  static HMODULE Exchange(HMODULE module);
  static HANDLE ActivationContext();
};

class ModuleStateGuard {
 public:
  ModuleStateGuard();
  ~ModuleStateGuard();
  ModuleStateGuard(const ModuleStateGuard&) = delete;
  ModuleStateGuard& operator=(const ModuleStateGuard&) = delete;

 private:
  HMODULE previous_;
  ULONG_PTR cookie_ = 0;
  bool activated_ = false;
};
