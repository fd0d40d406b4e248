#pragma once

#include <cstdint>
#include <mutex>
#include <set>

// The ordered set of green-channel user numbers. The window thread changes
// it; the client asks it from any thread whether a peer is on it.
class GreenChannelSet {
 public:
  void Insert(uint32_t number);
  void Erase(uint32_t number);
  bool Contains(uint32_t number) const;
  std::set<uint32_t> Numbers() const;
  void Clear();

 private:
  mutable std::mutex lock_;
  std::set<uint32_t> numbers_;
};
