#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

// The registry value that tells the toolbar which DLL makes a creator class:
// a 528-byte record holding the DLL path, stored scrambled behind its MD5
// digest and padded with random bytes, 592 bytes in all. The toolbar reads
// these bytes whatever its processor: fixed-width fields only.
struct CreatorInnerRecord {
  UINT32 size;  // sizeof(CreatorInnerRecord)
  WCHAR path[260];  // NUL-terminated, NUL-padded
  UINT32 flags;
};

struct CreatorStoredRecord {
  char digest[33];  // MD5 of the inner record: 32 hexadecimal digits and a NUL
  BYTE padding[15];
  CreatorInnerRecord inner;
  BYTE tail[16];
};

class CreatorRecord {
 public:
  static constexpr DWORD kInnerSize = sizeof(CreatorInnerRecord);
  static constexpr DWORD kPathChars = sizeof(CreatorInnerRecord::path) / sizeof(WCHAR);
  static constexpr DWORD kDigestBytes = sizeof(CreatorStoredRecord::digest);
  static constexpr DWORD kInnerOffset = offsetof(CreatorStoredRecord, inner);
  static constexpr DWORD kStoredSize = sizeof(CreatorStoredRecord);
  // Stands in for the Windows directory's creation time when it cannot be found.
  static constexpr DWORD kFallbackKeyBase = 19980412;

  // The scrambling key: the low 32 bits of the creation time of
  // windowsDirectory (or the fallback) XOR callerValue.
  static DWORD ScrambleKey(const wchar_t* windowsDirectory, DWORD callerValue);
  // The same for this system's Windows directory.
  static DWORD ScrambleKey(DWORD callerValue);

  // The 528-byte inner record of path; callerFlags is kept only when its low
  // byte is nonzero.
  static std::vector<BYTE> Inner(const wchar_t* path, DWORD callerFlags);
  // The stored value for an inner record, scrambled with key.
  static std::vector<BYTE> Encode(const std::vector<BYTE>& inner, DWORD key);

  // The byte that scrambles byte i of the digest area, and of the inner
  // record: the low byte of the key shifted right by a few bits.
  static BYTE DigestMask(DWORD key, size_t i) { return static_cast<BYTE>(key >> (i % 4)); }
  static BYTE InnerMask(DWORD key, size_t i) { return static_cast<BYTE>(key >> (3 - i % 4)); }

  // Lowercase hexadecimal MD5 of bytes, 32 digits.
  static void Md5Hex(const BYTE* bytes, size_t length, char out[33]);

  // Writes the record of clsid for the DLL at path under the Creators key.
  // E_INVALIDARG when the path does not exist, E_FAIL when the registry refuses.
  static HRESULT Register(REFCLSID clsid, const wchar_t* path, DWORD callerFlags, DWORD callerValue);
  // Removes the value of clsid; E_FAIL when there is none.
  static HRESULT Unregister(REFCLSID clsid);
};
