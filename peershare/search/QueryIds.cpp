#include "search/QueryIds.h"

#include <atomic>

// 0 names no query: the counter skips it when it wraps.
uint32_t QueryIds::Next() {
  static std::atomic<uint32_t> last{0};
  uint32_t id = ++last;
  return id != 0 ? id : ++last;
}
