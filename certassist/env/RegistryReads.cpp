#include "RegistryReads.h"

#include <vector>

namespace certassist {

win::UniqueRegKey OpenRegistryKey(HKEY root, const wchar_t* sub, REGSAM access) {
  win::UniqueRegKey key;
  if (RegOpenKeyExW(root, sub, 0, access, key.Put()) != ERROR_SUCCESS) key.Reset();
  return key;
}

bool ReadRegistryString(HKEY key, const wchar_t* name, DWORD maxBytes, CString& out) {
  DWORD type = 0, bytes = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  if (maxBytes != 0 && bytes > maxBytes) return false;
  // A spare zero character: stored strings need not end with one.
  std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 2, L'\0');
  DWORD size = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
    return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  out = CString(buffer.data(), static_cast<int>(wcsnlen(buffer.data(), size / sizeof(wchar_t))));
  return true;
}

bool ReadRegistryString(HKEY root, const wchar_t* sub, const wchar_t* name, DWORD maxBytes, CString& out) {
  win::UniqueRegKey key = OpenRegistryKey(root, sub);
  return key && ReadRegistryString(key.Get(), name, maxBytes, out);
}

bool ReadRegistryDword(HKEY key, const wchar_t* name, DWORD& out) {
  DWORD type = 0, value = 0, bytes = sizeof value;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) != ERROR_SUCCESS)
    return false;
  if (type != REG_DWORD || bytes != sizeof value) return false;
  out = value;
  return true;
}

bool CanReadRegistryValue(HKEY root, const wchar_t* sub, const wchar_t* name, DWORD maxBytes) {
  win::UniqueRegKey key = OpenRegistryKey(root, sub);
  if (!key) return false;
  std::vector<BYTE> buffer(maxBytes);
  DWORD bytes = maxBytes;
  return RegQueryValueExW(key.Get(), name, nullptr, nullptr, buffer.data(), &bytes) == ERROR_SUCCESS;
}

}  // namespace certassist
