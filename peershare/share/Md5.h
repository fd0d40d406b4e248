#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "win/CryptHandles.h"

// MD5 digests as the plug-in writes them everywhere: 32 lower-case hex digits.
class Md5 {
 public:
  static constexpr size_t kHexLength = 32;
  // The digest of a file whose hash was never taken.
  static constexpr const char* kPlaceholder = "00000000000000000000000000000000";

  Md5();
  Md5(const Md5&) = delete;
  Md5& operator=(const Md5&) = delete;

  // False once any step failed; the digest is then empty.
  bool Update(const void* data, size_t size);
  std::string HexDigest();

  // Empty when the system cannot hash.
  static std::string OfText(std::string_view text);
  // False when the file cannot be read; `hex` is then empty.
  static bool OfFile(const std::string& path, std::string& hex);

 private:
  win::UniqueCryptProvider provider_;
  win::UniqueCryptHash hash_;
  bool failed_ = false;
};
