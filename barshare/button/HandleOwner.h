#pragma once

#include <windows.h>

// Owns a kernel handle (mutex, thread, mapping) and closes it once.
class HandleOwner {
 public:
  HandleOwner() = default;
  explicit HandleOwner(HANDLE handle) : handle_(handle) {}
  ~HandleOwner() { Reset(); }
  HandleOwner(const HandleOwner&) = delete;
  HandleOwner& operator=(const HandleOwner&) = delete;

  HANDLE Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Reset(HANDLE handle = nullptr) {
    if (handle_ != nullptr) CloseHandle(handle_);
    handle_ = handle;
  }

 private:
  HANDLE handle_ = nullptr;
};

// Owns an open registry key.
class RegKeyOwner {
 public:
  RegKeyOwner() = default;
  ~RegKeyOwner() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  RegKeyOwner(const RegKeyOwner&) = delete;
  RegKeyOwner& operator=(const RegKeyOwner&) = delete;

  HKEY Get() const { return key_; }
  HKEY* Put() { return &key_; }

 private:
  HKEY key_ = nullptr;
};
