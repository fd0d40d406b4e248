#include "transfer/TemporaryChannelTable.h"

void TemporaryChannelTable::Set(uint32_t peer, int32_t number) {
  std::lock_guard<std::mutex> hold(lock_);
  entries_[peer] = number;
}

bool TemporaryChannelTable::Contains(uint32_t peer) const {
  std::lock_guard<std::mutex> hold(lock_);
  return entries_.count(peer) != 0;
}

std::map<uint32_t, int32_t> TemporaryChannelTable::Entries() const {
  std::lock_guard<std::mutex> hold(lock_);
  return entries_;
}
