#include "transfer/GreenChannelSet.h"

void GreenChannelSet::Insert(uint32_t number) {
  std::lock_guard<std::mutex> hold(lock_);
  numbers_.insert(number);
}

void GreenChannelSet::Erase(uint32_t number) {
  std::lock_guard<std::mutex> hold(lock_);
  numbers_.erase(number);
}

bool GreenChannelSet::Contains(uint32_t number) const {
  std::lock_guard<std::mutex> hold(lock_);
  return numbers_.count(number) != 0;
}

std::set<uint32_t> GreenChannelSet::Numbers() const {
  std::lock_guard<std::mutex> hold(lock_);
  return numbers_;
}

void GreenChannelSet::Clear() {
  std::lock_guard<std::mutex> hold(lock_);
  numbers_.clear();
}
