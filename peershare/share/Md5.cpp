#include "share/Md5.h"

#include <windows.h>

#include "win/Handles.h"

win::UniqueCryptProvider Md5::AcquireProvider() {
  win::UniqueCryptProvider provider;
  if (!CryptAcquireContextW(provider.Put(), nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) provider.Reset();
  return provider;
}

Md5::Md5() : ownProvider_(AcquireProvider()) { CreateHash(ownProvider_.Get()); }

Md5::Md5(HCRYPTPROV provider) { CreateHash(provider); }

void Md5::CreateHash(HCRYPTPROV provider) {
  failed_ = provider == 0 || !CryptCreateHash(provider, CALG_MD5, 0, 0, hash_.Put());
}

bool Md5::Update(const void* data, size_t size) {
  const BYTE* bytes = static_cast<const BYTE*>(data);
  while (!failed_ && size > 0) {
    DWORD chunk = size > 0x10000000u ? 0x10000000u : static_cast<DWORD>(size);
    failed_ = !CryptHashData(hash_.Get(), bytes, chunk, 0);
    bytes += chunk;
    size -= chunk;
  }
  return !failed_;
}

std::string Md5::HexDigest() {
  BYTE digest[16];
  DWORD length = sizeof digest;
  if (failed_ || !CryptGetHashParam(hash_.Get(), HP_HASHVAL, digest, &length, 0) || length != sizeof digest) {
    failed_ = true;
    return std::string();
  }
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (BYTE byte : digest) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

std::string Md5::OfText(std::string_view text) {
  Md5 md5;
  md5.Update(text.data(), text.size());
  return md5.HexDigest();
}

win::UniqueFile Md5::OpenForHashing(const std::string& path) {
  return win::UniqueFile(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

bool Md5::OfFile(const std::string& path, std::string& hex, HCRYPTPROV provider) {
  hex.clear();
  win::UniqueFile file = OpenForHashing(path);
  return file && OfOpenFile(file.Get(), hex, provider);
}

bool Md5::OfOpenFile(HANDLE file, std::string& hex, HCRYPTPROV provider) {
  hex.clear();
  Md5 md5 = provider != 0 ? Md5(provider) : Md5();
  static constexpr DWORD kChunk = 64 * 1024;
  std::string buffer(kChunk, '\0');
  DWORD got = 0;
  bool read;
  while ((read = ReadFile(file, &buffer[0], kChunk, &got, nullptr) != FALSE) && got > 0) {
    md5.Update(buffer.data(), got);
    // A short read is the end of the file: no call to be told so.
    if (got < kChunk) break;
  }
  if (!read) return false;
  hex = md5.HexDigest();
  return !hex.empty();
}
