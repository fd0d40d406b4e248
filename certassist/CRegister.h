#pragma once

#include "CString.h"

// One open registry key at a time. Every Open... closes the key opened before;
// the destructor closes the open key.
class CERTASSIST_API CRegister {
 public:
  CRegister();
  virtual ~CRegister();
  CRegister(const CRegister&) = delete;
  CRegister& operator=(const CRegister&) = delete;

  LONG OpenClassRootKey(const wchar_t* subKey);
  LONG OpenLocalMachineKey(const wchar_t* subKey);
  LONG OpenCurrentKey(const wchar_t* subKey);
  void RegClose();
  LONG RegFlush();

  // Name of the subkey or value at the enumeration index (names up to 1024
  // characters); every call moves the index on by one.
  LONG EnumKey(CString& name);
  LONG EnumValue(CString& name);

  // A string value of at most 127 characters; empty when it cannot be read.
  CString QueryValueString(const wchar_t* name);
  // A DWORD value; 100 when it cannot be read.
  DWORD QueryValueDword(const wchar_t* name);
  // Number of subkeys; 0xFFFFFFFF when the key cannot be queried.
  DWORD QuerySubKeyNum();

  LONG SetValueString(const wchar_t* name, CString value);
  LONG SetValueDword(const wchar_t* name, DWORD value);
  LONG SetValueInt(const wchar_t* name, int value);

  // Creates or opens subKey below the open key and makes it the open key;
  // 1 on success, 0 (the old key still open) on failure.
  int CreateKey(const wchar_t* subKey);
  // 1 when the value name of the open key was deleted.
  int DeleteSubKeyValue(const wchar_t* name);
  // Deletes the value name (not a subkey) of key; 1 on success.
  int DeleteKey(HKEY key, const wchar_t* name);

  // 1 and out set when the value reads (strings of at most 99 characters);
  // 0 and out unchanged otherwise.
  int QueryValueStringEX(const wchar_t* name, CString& out);
  int QueryValueDwordEX(const wchar_t* name, DWORD& out);
  int QueryValueIntEX(const wchar_t* name, int& out);

 protected:
  LONG OpenKey(HKEY root, const wchar_t* subKey);

 private:
  LONG ReadString(const wchar_t* name, DWORD bufferBytes, CString& out);
  LONG ReadDword(const wchar_t* name, DWORD& out);

  DWORD m_dwIndex;
  HKEY m_hKey;
};
