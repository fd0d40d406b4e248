#include "frame/XmlNamePool.h"

#include <windows.h>

#include <string_view>
#include <unordered_set>

namespace XmlNamePool {
namespace {

SRWLOCK lock = SRWLOCK_INIT;

// Node-based, so the strings never move; never destroyed, so names stay valid
// for elements freed during the process's exit.
std::unordered_set<std::string>& Names() {
  static auto* names = new std::unordered_set<std::string>();
  return *names;
}

class SharedLock {
 public:
  SharedLock() { AcquireSRWLockShared(&lock); }
  ~SharedLock() { ReleaseSRWLockShared(&lock); }
};

class ExclusiveLock {
 public:
  ExclusiveLock() { AcquireSRWLockExclusive(&lock); }
  ~ExclusiveLock() { ReleaseSRWLockExclusive(&lock); }
};

}  // namespace

const std::string* Find(const char* name, size_t size) {
  if (size > kMaxNameBytes) return nullptr;
  std::string key(name, size);
  {
    SharedLock shared;
    auto found = Names().find(key);
    if (found != Names().end()) return &*found;
  }
  ExclusiveLock exclusive;
  auto& names = Names();
  auto found = names.find(key);
  if (found != names.end()) return &*found;
  if (names.size() >= kMaxNames) return nullptr;
  return &*names.insert(std::move(key)).first;
}

}  // namespace XmlNamePool
