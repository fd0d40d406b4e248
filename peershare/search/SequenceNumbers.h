#pragma once

#include <array>
#include <cstdint>

// The numbers sent with each query, one counter per (file type, scope)
// pair: 1, 2, ..., 1001, then 1 again.
class SequenceNumbers {
 public:
  static constexpr uint32_t kLast = 1001;
  static constexpr int kFileTypes = 9, kScopes = 2;

  // The number for the next query of that pair; a type or scope out of range
  // counts as 0.
  uint32_t Next(int32_t fileType, int32_t scope);

 private:
  std::array<uint32_t, kFileTypes * kScopes> counters_{};
};
