#pragma once

#include <cstdint>
#include <map>
#include <mutex>

// The temporary channels: peer number to a small number of the client's.
// The window thread sets entries; the client asks from any thread.
class TemporaryChannelTable {
 public:
  void Set(uint32_t peer, int32_t number);
  bool Contains(uint32_t peer) const;
  std::map<uint32_t, int32_t> Entries() const;

 private:
  mutable std::mutex lock_;
  std::map<uint32_t, int32_t> entries_;
};
