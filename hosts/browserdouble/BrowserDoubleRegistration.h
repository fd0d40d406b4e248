#pragma once

#include <windows.h>

#include <string>

#include "win/Handles.h"

// Makes browser_double.dll the web browser control of this process for the
// object's lifetime: the DLL's class object is registered for
// CLSID_WebBrowser in the process's class table, where CoCreateInstance looks
// before the registry. Nothing is written to the registry, so other programs
// of the prefix keep the system's control, and a crash leaves nothing behind.
// (Wine reads in-process server entries from the machine's classes only; a
// per-user entry would not be seen.)
class BrowserDoubleRegistration {
 public:
  // dllPath: browser_double.dll; empty looks beside the running program.
  explicit BrowserDoubleRegistration(const std::wstring& dllPath = std::wstring());
  ~BrowserDoubleRegistration();
  BrowserDoubleRegistration(const BrowserDoubleRegistration&) = delete;
  BrowserDoubleRegistration& operator=(const BrowserDoubleRegistration&) = delete;

  // S_OK when the double answers for CLSID_WebBrowser.
  HRESULT Result() const { return result_; }

  // browser_double.dll beside the running program.
  static std::wstring DefaultPath();

 private:
  HRESULT result_ = E_FAIL;
  HRESULT oleInitialized_ = E_FAIL;
  win::UniqueModule module_;
  DWORD cookie_ = 0;
};
