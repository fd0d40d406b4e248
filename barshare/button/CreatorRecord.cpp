#include "button/CreatorRecord.h"

#include <objbase.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "button/ToolbarRegistry.h"
#include "webslice/GcryptOwners.h"
#include "win/Handles.h"

namespace {

// Random padding comes from the C library generator, seeded once per process:
// seeding per registration would repeat the padding within one second.
BYTE RandomByte() {
  static const bool seeded = (std::srand(static_cast<unsigned>(std::time(nullptr))), true);
  (void)seeded;
  return static_cast<BYTE>(std::rand() & 0xFF);
}

bool ClassIdText(REFCLSID clsid, wchar_t (&text)[40]) { return StringFromGUID2(clsid, text, 40) != 0; }

}  // namespace

DWORD CreatorRecord::ScrambleKey(const wchar_t* windowsDirectory, DWORD callerValue) {
  DWORD base = kFallbackKeyBase;
  WIN32_FIND_DATAW entry;
  win::UniqueFind find(FindFirstFileW(windowsDirectory, &entry));
  if (find) base = entry.ftCreationTime.dwLowDateTime;
  return base ^ callerValue;
}

DWORD CreatorRecord::ScrambleKey(DWORD callerValue) {
  wchar_t directory[MAX_PATH] = L"";
  if (GetWindowsDirectoryW(directory, MAX_PATH) == 0) return kFallbackKeyBase ^ callerValue;
  return ScrambleKey(directory, callerValue);
}

std::vector<BYTE> CreatorRecord::Inner(const wchar_t* path, DWORD callerFlags) {
  CreatorInnerRecord record = {};
  record.size = sizeof record;
  std::memcpy(record.path, path, wcsnlen(path, kPathChars - 1) * sizeof(WCHAR));
  record.flags = (callerFlags & 0xFF) != 0 ? callerFlags : 0;
  const BYTE* bytes = reinterpret_cast<const BYTE*>(&record);
  return std::vector<BYTE>(bytes, bytes + sizeof record);
}

void CreatorRecord::Md5Hex(const BYTE* bytes, size_t length, char out[33]) {
  gcrypt::EnsureInitialised();
  unsigned char digest[16];
  gcry_md_hash_buffer(GCRY_MD_MD5, digest, bytes, length);
  static const char kDigits[] = "0123456789abcdef";
  for (int i = 0; i < 16; ++i) {
    out[2 * i] = kDigits[digest[i] >> 4];
    out[2 * i + 1] = kDigits[digest[i] & 0x0F];
  }
  out[32] = '\0';
}

std::vector<BYTE> CreatorRecord::Encode(const std::vector<BYTE>& inner, DWORD key) {
  std::vector<BYTE> stored(inner.size() + kStoredSize - kInnerSize);
  char digest[33];
  Md5Hex(inner.data(), inner.size(), digest);
  for (size_t i = 0; i < kDigestBytes; ++i) stored[i] = static_cast<BYTE>(digest[i]) ^ DigestMask(key, i);
  for (size_t i = kDigestBytes; i < kInnerOffset; ++i) stored[i] = RandomByte();
  for (size_t i = 0; i < inner.size(); ++i) stored[kInnerOffset + i] = inner[i] ^ InnerMask(key, i);
  for (size_t i = kInnerOffset + inner.size(); i < stored.size(); ++i) stored[i] = RandomByte();
  return stored;
}

HRESULT CreatorRecord::Register(REFCLSID clsid, const wchar_t* path, DWORD callerFlags, DWORD callerValue) {
  wchar_t classId[40];
  if (!ClassIdText(clsid, classId)) return E_FAIL;
  CLSID parsed;
  if (FAILED(CLSIDFromString(classId, &parsed))) return E_INVALIDARG;
  if (path == nullptr || GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return E_INVALIDARG;

  std::vector<BYTE> stored = Encode(Inner(path, callerFlags), ScrambleKey(callerValue));
  win::UniqueRegKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, ToolbarRegistry::CreatorsKey().c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, key.Put(), nullptr) != ERROR_SUCCESS) {
    return E_FAIL;
  }
  LONG written = RegSetValueExW(key.Get(), classId, 0, REG_BINARY, stored.data(), static_cast<DWORD>(stored.size()));
  return written == ERROR_SUCCESS ? S_OK : E_FAIL;
}

HRESULT CreatorRecord::Unregister(REFCLSID clsid) {
  wchar_t classId[40];
  if (!ClassIdText(clsid, classId)) return E_FAIL;
  win::UniqueRegKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, ToolbarRegistry::CreatorsKey().c_str(), 0, KEY_SET_VALUE, key.Put()) !=
      ERROR_SUCCESS) {
    return E_FAIL;
  }
  return RegDeleteValueW(key.Get(), classId) == ERROR_SUCCESS ? S_OK : E_FAIL;
}
