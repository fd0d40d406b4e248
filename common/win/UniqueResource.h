#pragma once

#include <windows.h>

namespace win {

// Which value means "owns nothing". Most handles use null; file, find,
// snapshot and device-list handles use INVALID_HANDLE_VALUE, which is not a
// constant expression and so comes from a function.
template <typename T>
struct NullInvalid {
  static T Invalid() noexcept { return T{}; }
};
struct MinusOneInvalid {
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
};

// Owner of one handle-like value freed by a single function. Move-only; Put()
// frees what is held before handing out the address, so an out-parameter call
// never leaks the previous value.
template <typename T, auto Close, typename Policy = NullInvalid<T>>
class UniqueResource {
 public:
  UniqueResource() noexcept = default;
  explicit UniqueResource(T value) noexcept : value_(value) {}
  ~UniqueResource() { Reset(); }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : value_(other.Release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  [[nodiscard]] T Get() const noexcept { return value_; }
  [[nodiscard]] T* Put() noexcept {
    Reset();
    return &value_;
  }
  [[nodiscard]] bool IsValid() const noexcept { return value_ != Policy::Invalid(); }
  explicit operator bool() const noexcept { return IsValid(); }
  // Gives up ownership without freeing; the caller frees the value.
  [[nodiscard]] T Release() noexcept {
    T value = value_;
    value_ = Policy::Invalid();
    return value;
  }
  void Reset(T value = Policy::Invalid()) noexcept {
    if (value_ != Policy::Invalid() && value_ != value) Close(value_);
    value_ = value;
  }

 private:
  T value_ = Policy::Invalid();
};

}  // namespace win
