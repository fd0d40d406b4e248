#pragma once

#include <windows.h>
#include <shlwapi.h>

#include "CString.h"

// The version resource of a loaded module or of a file. The fixed part of the
// resource is this object's own VS_FIXEDFILEINFO.
class CERTASSIST_API CModuleVersion : public VS_FIXEDFILEINFO {
 public:
  CModuleVersion();
  // Copies own a copy of the version data.
  CModuleVersion(const CModuleVersion& other);
  CModuleVersion& operator=(const CModuleVersion& other);
  virtual ~CModuleVersion();

  // Reads the version of the loaded module moduleName (null: the program
  // itself). TRUE when its fixed record carries the version signature.
  BOOL GetFileVersionInfoW(const wchar_t* moduleName);
  // A string of the version's first translation; empty when there is none.
  CString GetValue(const wchar_t* key);
  // "major.minor.build.revision" of the file at path; empty without a version.
  CString GetFileVersion(CString path);
  // Calls dllName's DllGetVersion export; FALSE when it is missing or fails.
  static BOOL DllGetVersion(const wchar_t* dllName, DLLVERSIONINFO& info);

 protected:
  BYTE* m_pVersionInfo;
  struct TRANSLATION {
    WORD langID;
    WORD charset;
  } m_translation;

 private:
  void Release();
  void CopyFrom(const CModuleVersion& other);
  DWORD m_versionInfoSize;
};
