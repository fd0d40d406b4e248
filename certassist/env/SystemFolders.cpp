#include "SystemFolders.h"

namespace certassist {

CString SystemDirectory() {
  wchar_t folder[MAX_PATH + 1] = {};
  UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  return length > 0 && length <= MAX_PATH ? CString(folder, static_cast<int>(length)) : CString();
}

CString SystemDirectorySlash() { return SystemDirectory() + L"\\"; }

CString DriveRoot() {
  CString system = SystemDirectory();
  int colon = system.Find(L":\\");
  return colon >= 0 ? system.Left(colon + 2) : CString(L"c:\\");
}

bool PathExists(const CString& path) {
  return !path.IsEmpty() && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsDriveRootOrEmpty(const CString& path) {
  int length = path.GetLength();
  while (length > 0 && (path[length - 1] == L'\\' || path[length - 1] == L'/')) --length;
  return length == 0 || (length == 2 && path[1] == L':');
}

CString ProgramFolder() {
  // Long paths are allowed for the program, so the buffer grows until it fits.
  CString path;
  for (DWORD size = MAX_PATH;; size *= 2) {
    DWORD length = GetModuleFileNameW(nullptr, path.GetBufferSetLength(static_cast<int>(size)), size);
    if (length == 0) return CString();
    if (length < size) {
      path.ReleaseBuffer(static_cast<int>(length));
      break;
    }
  }
  return path.Left(path.ReverseFind(L'\\') + 1);
}

CString TempFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  return length > 0 && length <= MAX_PATH ? CString(folder, static_cast<int>(length)) : CString();
}

}  // namespace certassist
