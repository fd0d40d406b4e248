#pragma once

#include <unknwn.h>

#include <utility>

namespace win {

// Holds one reference to a COM interface. Copies add a reference, moves take
// it over and leave the source empty.
template <typename T>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  ComPtr(std::nullptr_t) noexcept {}
  // Takes a new reference of its own on `pointer`.
  explicit ComPtr(T* pointer) noexcept : pointer_(pointer) { AddRefHeld(); }
  ComPtr(const ComPtr& other) noexcept : pointer_(other.pointer_) { AddRefHeld(); }
  ComPtr(ComPtr&& other) noexcept : pointer_(other.Detach()) {}
  ~ComPtr() { Reset(); }

  ComPtr& operator=(const ComPtr& other) noexcept {
    ComPtr(other).Swap(*this);
    return *this;
  }
  ComPtr& operator=(ComPtr&& other) noexcept {
    ComPtr(std::move(other)).Swap(*this);
    return *this;
  }
  ComPtr& operator=(std::nullptr_t) noexcept {
    Reset();
    return *this;
  }

  [[nodiscard]] T* Get() const noexcept { return pointer_; }
  T* operator->() const noexcept { return pointer_; }
  explicit operator bool() const noexcept { return pointer_ != nullptr; }

  // The address for calls that hand out a new reference; what was held is
  // released first so that the call cannot leak it.
  [[nodiscard]] T** Put() noexcept {
    Reset();
    return &pointer_;
  }
  [[nodiscard]] void** PutVoid() noexcept { return reinterpret_cast<void**>(Put()); }

  // A pointer holding the reference the caller owns (a new object's first
  // one), without adding one.
  [[nodiscard]] static ComPtr Adopt(T* pointer) noexcept {
    ComPtr adopted;
    adopted.pointer_ = pointer;
    return adopted;
  }
  // Takes over a reference the caller owns, without adding one.
  void Attach(T* pointer) noexcept {
    Reset();
    pointer_ = pointer;
  }
  // Gives the held reference to the caller, who releases it.
  [[nodiscard]] T* Detach() noexcept {
    T* pointer = pointer_;
    pointer_ = nullptr;
    return pointer;
  }
  // Hands the caller a reference of its own (an out-parameter of a COM method).
  HRESULT CopyTo(T** out) const noexcept {
    if (out == nullptr) return E_POINTER;
    *out = pointer_;
    if (pointer_ != nullptr) pointer_->AddRef();
    return S_OK;
  }
  // QueryInterface for another interface; `out` is left empty on failure,
  // whatever the object wrote, and may be this pointer itself.
  template <typename U>
  HRESULT As(const IID& iid, ComPtr<U>& out) const noexcept {
    if (pointer_ == nullptr) {
      out.Reset();
      return E_POINTER;
    }
    void* found = nullptr;
    const HRESULT result = pointer_->QueryInterface(iid, &found);
    out.Attach(SUCCEEDED(result) ? static_cast<U*>(found) : nullptr);
    return result;
  }
  template <typename U>
  HRESULT As(ComPtr<U>& out) const noexcept {
    return As(__uuidof(U), out);
  }

  void Swap(ComPtr& other) noexcept { std::swap(pointer_, other.pointer_); }
  void Reset() noexcept {
    if (pointer_ != nullptr) {
      T* old = pointer_;
      pointer_ = nullptr;
      old->Release();
    }
  }

 private:
  void AddRefHeld() noexcept {
    if (pointer_ != nullptr) pointer_->AddRef();
  }

  T* pointer_ = nullptr;
};

}  // namespace win
