#include "CRegister.h"

#include <utility>

#include "win/Handles.h"

namespace {

const DWORD kNameChars = 1024;

// The name at one enumeration index, read by RegEnumKeyExW or RegEnumValueW.
template <typename Enumerate>
LONG EnumName(Enumerate enumerate, CString& name) {
  wchar_t buffer[kNameChars + 1];
  DWORD chars = kNameChars + 1;
  LONG result = enumerate(buffer, &chars);
  if (result == ERROR_SUCCESS) name = CString(buffer, static_cast<int>(chars));
  return result;
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

}  // namespace

CRegister::CRegister() : m_dwIndex(0), m_hKey(nullptr) {}
CRegister::~CRegister() { RegClose(); }

// The exported layout keeps the key as a plain HKEY; it is closed through
// the owner all the same.
void CRegister::RegClose() { win::UniqueRegKey closing(std::exchange(m_hKey, nullptr)); }

LONG CRegister::RegFlush() { return RegFlushKey(m_hKey); }

LONG CRegister::OpenKey(HKEY root, const wchar_t* subKey) {
  RegClose();
  return RegOpenKeyExW(root, subKey, 0, KEY_ALL_ACCESS, &m_hKey);
}

LONG CRegister::OpenClassRootKey(const wchar_t* subKey) { return OpenKey(HKEY_CLASSES_ROOT, subKey); }
LONG CRegister::OpenLocalMachineKey(const wchar_t* subKey) { return OpenKey(HKEY_LOCAL_MACHINE, subKey); }
LONG CRegister::OpenCurrentKey(const wchar_t* subKey) { return OpenKey(HKEY_CURRENT_USER, subKey); }

LONG CRegister::EnumKey(CString& name) {
  return EnumName(
      [this](wchar_t* buffer, DWORD* chars) {
        return RegEnumKeyExW(m_hKey, m_dwIndex++, buffer, chars, nullptr, nullptr, nullptr, nullptr);
      },
      name);
}

LONG CRegister::EnumValue(CString& name) {
  return EnumName(
      [this](wchar_t* buffer, DWORD* chars) {
        return RegEnumValueW(m_hKey, m_dwIndex++, buffer, chars, nullptr, nullptr, nullptr, nullptr);
      },
      name);
}

LONG CRegister::ReadString(const wchar_t* name, DWORD bufferBytes, CString& out) {
  // One spare character, so the text always ends with a zero even when the
  // stored value does not.
  wchar_t buffer[128] = {};
  DWORD type = 0, bytes = bufferBytes;
  LONG result = RegQueryValueExW(m_hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
  if (result != ERROR_SUCCESS) return result;
  if (!IsStringType(type)) return ERROR_INVALID_DATA;
  out = CString(buffer, static_cast<int>(wcsnlen(buffer, bytes / sizeof(wchar_t))));
  return ERROR_SUCCESS;
}

LONG CRegister::ReadDword(const wchar_t* name, DWORD& out) {
  DWORD type = 0, value = 0, bytes = sizeof value;
  LONG result = RegQueryValueExW(m_hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes);
  if (result != ERROR_SUCCESS) return result;
  if (type != REG_DWORD || bytes != sizeof value) return ERROR_INVALID_DATA;
  out = value;
  return ERROR_SUCCESS;
}

CString CRegister::QueryValueString(const wchar_t* name) {
  CString value;
  if (ReadString(name, 255, value) != ERROR_SUCCESS) value.Empty();
  return value;
}

DWORD CRegister::QueryValueDword(const wchar_t* name) {
  DWORD value = 100;
  if (ReadDword(name, value) != ERROR_SUCCESS) value = 100;
  return value;
}

DWORD CRegister::QuerySubKeyNum() {
  DWORD count = 0;
  LONG result = RegQueryInfoKeyW(m_hKey, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr);
  return result == ERROR_SUCCESS ? count : 0xFFFFFFFF;
}

LONG CRegister::SetValueString(const wchar_t* name, CString value) {
  DWORD bytes = static_cast<DWORD>((value.GetLength() + 1) * sizeof(wchar_t));
  return RegSetValueExW(m_hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.GetString()), bytes);
}

LONG CRegister::SetValueDword(const wchar_t* name, DWORD value) {
  return RegSetValueExW(m_hKey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

LONG CRegister::SetValueInt(const wchar_t* name, int value) {
  return SetValueDword(name, static_cast<DWORD>(value));
}

int CRegister::CreateKey(const wchar_t* subKey) {
  if (m_hKey == nullptr) return 0;
  win::UniqueRegKey created;
  if (RegCreateKeyExW(m_hKey, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      created.Put(), nullptr) != ERROR_SUCCESS)
    return 0;
  RegClose();
  m_hKey = created.Release();
  return 1;
}

int CRegister::DeleteSubKeyValue(const wchar_t* name) { return DeleteKey(m_hKey, name); }

int CRegister::DeleteKey(HKEY key, const wchar_t* name) {
  return RegDeleteValueW(key, name) == ERROR_SUCCESS ? 1 : 0;
}

int CRegister::QueryValueStringEX(const wchar_t* name, CString& out) {
  return ReadString(name, 200, out) == ERROR_SUCCESS ? 1 : 0;
}

int CRegister::QueryValueDwordEX(const wchar_t* name, DWORD& out) {
  return ReadDword(name, out) == ERROR_SUCCESS ? 1 : 0;
}

int CRegister::QueryValueIntEX(const wchar_t* name, int& out) {
  DWORD value = 0;
  if (ReadDword(name, value) != ERROR_SUCCESS) return 0;
  out = static_cast<int>(value);
  return 1;
}
