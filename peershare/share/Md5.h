#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "win/CryptHandles.h"
#include "win/Handles.h"

// MD5 digests as the plug-in writes them everywhere: 32 lower-case hex digits.
class Md5 {
 public:
  static constexpr size_t kHexLength = 32;
  // The digest of a file whose hash was never taken.
  static constexpr const char* kPlaceholder = "00000000000000000000000000000000";

  Md5();
  // Hashes with a provider the caller keeps (from AcquireProvider):
  // acquiring one costs more than hashing a small file.
  explicit Md5(HCRYPTPROV provider);
  Md5(const Md5&) = delete;
  Md5& operator=(const Md5&) = delete;

  // False once any step failed; the digest is then empty.
  bool Update(const void* data, size_t size);
  std::string HexDigest();

  // Empty when the system cannot hash.
  static std::string OfText(std::string_view text);
  // False when the file cannot be read; `hex` is then empty. Without a
  // provider the hash acquires its own.
  static bool OfFile(const std::string& path, std::string& hex, HCRYPTPROV provider = 0);
  // The same for a file the caller opened for reading, from where it stands.
  static bool OfOpenFile(HANDLE file, std::string& hex, HCRYPTPROV provider = 0);
  // How OfFile opens a file; invalid when it cannot be read.
  static win::UniqueFile OpenForHashing(const std::string& path);
  // Invalid when the system cannot hash.
  static win::UniqueCryptProvider AcquireProvider();

 private:
  void CreateHash(HCRYPTPROV provider);

  win::UniqueCryptProvider ownProvider_;
  win::UniqueCryptHash hash_;
  bool failed_ = false;
};
