#include "share/ShareLink.h"

std::string ShareLink(const std::string& hash, const std::string& name, uint32_t size, int32_t type) {
  return "tovak://cmd=download|hashid=" + hash + "|name=" + name + "|size=" + std::to_string(size) +
         "|type=" + std::to_string(type) + "|";
}
