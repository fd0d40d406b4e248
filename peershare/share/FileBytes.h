#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Whole-file reads and writes of the share library. Writes go through a
// temporary file beside the target, so a reader never sees half a file.
namespace FileBytes {

// False when the file cannot be read or holds more than `limit` bytes;
// `content` is then empty.
bool Read(const std::string& path, std::string& content, size_t limit = SIZE_MAX);
bool Write(const std::string& path, const std::string& content);
bool Exists(const std::string& path);

}  // namespace FileBytes
