#pragma once

#include <unknwn.h>

// Holds one reference to a COM interface and releases it when it goes.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  T* Get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  // For calls that hand out a new reference through an out pointer.
  T** Put() {
    Reset();
    return &pointer_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  void Swap(ComPtr& other) {
    T* mine = pointer_;
    pointer_ = other.pointer_;
    other.pointer_ = mine;
  }

  void Reset() {
    if (pointer_ != nullptr) {
      T* old = pointer_;
      pointer_ = nullptr;
      old->Release();
    }
  }

 private:
  T* pointer_ = nullptr;
};
