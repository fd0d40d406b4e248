#pragma once

#include <cstdint>
#include <string>

// The link that names a shared file to another client:
// "tovak://cmd=download|hashid=%s|name=%s|size=%u|type=%d|".
std::string ShareLink(const std::string& hash, const std::string& name, uint32_t size, int32_t type);
