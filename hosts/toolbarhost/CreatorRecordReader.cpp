#include "CreatorRecordReader.h"

#include <gcrypt.h>
#include <objbase.h>

#include <cstdio>
#include <cstring>

#include "button/ToolbarRegistry.h"
#include "win/Handles.h"

namespace {

constexpr size_t kDigestArea = 33;
constexpr size_t kInnerOffset = 48;
constexpr size_t kInnerSize = 528;

std::string Md5Hex(const BYTE* bytes, size_t length) {
  if (!gcry_control(GCRYCTL_INITIALIZATION_FINISHED_P)) {
    gcry_check_version(nullptr);
    gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
  }
  unsigned char digest[16];
  gcry_md_hash_buffer(GCRY_MD_MD5, digest, bytes, length);
  char text[33];
  for (int i = 0; i < 16; ++i) std::snprintf(text + 2 * i, 3, "%02x", digest[i]);
  return std::string(text, 32);
}

}  // namespace

DWORD CreatorRecordReader::SystemKey() {
  wchar_t directory[MAX_PATH];
  GetWindowsDirectoryW(directory, MAX_PATH);
  WIN32_FIND_DATAW entry;
  win::UniqueFind find(FindFirstFileW(directory, &entry));
  if (!find) return 19980412;
  return entry.ftCreationTime.dwLowDateTime;
}

std::vector<BYTE> CreatorRecordReader::ReadValue(REFCLSID classId) {
  wchar_t name[40];
  StringFromGUID2(classId, name, 40);
  std::vector<BYTE> value(4096);
  DWORD size = static_cast<DWORD>(value.size());
  DWORD type = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, ToolbarRegistry::CreatorsKey().c_str(), name, RRF_RT_REG_BINARY, &type,
                   value.data(), &size) != ERROR_SUCCESS) {
    return {};
  }
  value.resize(size);
  return value;
}

bool CreatorRecordReader::Decode(const std::vector<BYTE>& value, DWORD key, CreatorEntry* entry) {
  if (value.size() != kInnerSize + 64) return false;
  char digest[kDigestArea];
  for (size_t i = 0; i < kDigestArea; ++i) digest[i] = static_cast<char>(value[i] ^ static_cast<BYTE>(key >> (i % 4)));
  std::vector<BYTE> inner(kInnerSize);
  for (size_t i = 0; i < kInnerSize; ++i) inner[i] = value[kInnerOffset + i] ^ static_cast<BYTE>(key >> (3 - i % 4));
  if (digest[32] != '\0' || Md5Hex(inner.data(), inner.size()) != std::string(digest, 32)) return false;
  DWORD size = 0;
  std::memcpy(&size, inner.data(), 4);
  if (size != kInnerSize) return false;
  wchar_t path[260];
  std::memcpy(path, inner.data() + 4, sizeof path);
  path[259] = L'\0';
  entry->path = path;
  std::memcpy(&entry->flags, inner.data() + 4 + sizeof path, 4);
  return true;
}

bool CreatorRecordReader::Read(REFCLSID classId, CreatorEntry* entry) {
  return Decode(ReadValue(classId), SystemKey(), entry);
}
