#pragma once

#include <windows.h>

// Owner of one handle-like value that is freed by a single function; cannot
// be copied, can be moved.
template <typename T, auto Close, T Invalid = T{}>
class UniqueResource {
 public:
  UniqueResource() = default;
  explicit UniqueResource(T value) : value_(value) {}
  ~UniqueResource() { Reset(); }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : value_(other.Release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  T Get() const { return value_; }
  T* Put() {
    Reset();
    return &value_;
  }
  explicit operator bool() const { return value_ != Invalid; }
  T Release() {
    T value = value_;
    value_ = Invalid;
    return value;
  }
  void Reset(T value = Invalid) {
    if (value_ != Invalid) Close(value_);
    value_ = value;
  }

 private:
  T value_ = Invalid;
};

using UniqueRegKey = UniqueResource<HKEY, &RegCloseKey>;
using UniqueModule = UniqueResource<HMODULE, &FreeLibrary>;
