#pragma once

#include <cstdint>
#include <string>

// "tovak://cmd=download|hashid=%s|name=%s|size=%u|type=%d|": the link that
// lets a friend download a file.
std::string FileLink(const std::string& hash, const std::string& name, uint32_t size, int32_t type);
