#pragma once

#include <windows.h>

// Owns an open registry key and closes it once.
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
