// CCommonFun: strings, files and folders, start-up entries, registry trees.
#include "CCommonFun.h"

#include "RegistryReads.h"
#include "SystemFolders.h"
#include "win/Handles.h"

using namespace certassist;

namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const DWORD kSubKeyNameChars = 512;

int LastSeparator(const CString& path) {
  int backslash = path.ReverseFind(L'\\');
  return backslash >= 0 ? backslash : path.ReverseFind(L'/');
}

bool IsDotEntry(const wchar_t* name) { return wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0; }

// Calls visit(name, attributes) for every entry of dir but "." and "..".
template <typename Visit>
void ForEachEntry(const CString& dir, Visit visit) {
  WIN32_FIND_DATAW entry{};
  win::UniqueFind find(FindFirstFileW(dir + L"\\*.*", &entry));
  if (!find) return;
  do {
    if (!IsDotEntry(entry.cFileName)) visit(CString(entry.cFileName), entry.dwFileAttributes);
  } while (FindNextFileW(find.Get(), &entry));
}

}  // namespace

CCommonFun::CCommonFun() = default;
CCommonFun::~CCommonFun() = default;

// ---- Strings ---------------------------------------------------------------

int CCommonFun::CompareCString(CString a, CString b) {
  if (a.IsEmpty() || b.IsEmpty()) return 0;
  for (int i = 0; i < a.GetLength(); ++i) {
    if (i >= b.GetLength()) return 1;  // b is a shorter start of a
    if (a[i] > b[i]) return 1;
    if (a[i] < b[i]) return -1;
  }
  return 0;
}

CString CCommonFun::GetIndexStringValue(int index, CStringList& list) {
  POSITION at = list.FindIndex(index);
  return at != nullptr ? list.GetAt(at) : CString();
}

int CCommonFun::IfChineseCh(CString text) {
  for (int i = 0; i < text.GetLength(); ++i) {
    if (text[i] >= 256) return 1;
  }
  return 0;
}

int CCommonFun::IfEnglishCh(CString text) {
  for (int i = 0; i < text.GetLength(); ++i) {
    wchar_t ch = text[i];
    if ((ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z')) return 1;
  }
  return 0;
}

int CCommonFun::IfTelNumber(CString text) {
  for (int i = 0; i < text.GetLength(); ++i) {
    wchar_t ch = text[i];
    if (ch != L'-' && (ch < L'0' || ch > L'9')) return 0;
  }
  return 1;
}

// ---- Files and folders -----------------------------------------------------

// A folder reached through a link (junction or symbolic link) loses the link
// only: what it points at belongs elsewhere.
int CCommonFun::DeleteDirectory(CString dir) {
  if (IsDriveRootOrEmpty(dir)) return 0;
  ForEachEntry(dir, [&](const CString& name, DWORD attributes) {
    CString path = dir + L"\\" + name;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      DeleteFileW(path);
    } else if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      RemoveDirectoryW(path);
    } else {
      DeleteDirectory(path);
    }
  });
  return RemoveDirectoryW(dir) ? 1 : 0;
}

// The rename replaces target in one step, so a failed rename leaves both
// files as they were.
void CCommonFun::ChangeFileName(CString target, CString source) {
  MoveFileExW(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
}

CString CCommonFun::GetFilePathFromFileName(CString path) {
  int separator = LastSeparator(path);
  return separator >= 0 ? path.Left(separator) + L"\\" : CString(L"\\");
}

CString CCommonFun::GetFileTitleFromFileName(CString path, int keepExtension) {
  CString name = path.Mid(LastSeparator(path) + 1);
  int dot = name.ReverseFind(L'.');
  return keepExtension == 0 && dot >= 0 ? name.Left(dot) : name;
}

CString CCommonFun::GetDirName(CString path) { return path.Mid(path.ReverseFind(L'\\') + 1); }

void CCommonFun::GetSimilDir(CString dir, CString part, CStringList& out) {
  out.RemoveAll();
  ForEachEntry(dir, [&](const CString& name, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && name.Find(part) >= 0) out.AddTail(name);
  });
}

// ---- Start-up entries ------------------------------------------------------

int CCommonFun::SetAutoRun(CString command, CString valueName) {
  if (command.IsEmpty() || valueName.IsEmpty()) return 0;
  win::UniqueRegKey run = OpenRegistryKey(HKEY_LOCAL_MACHINE, kRunKey, KEY_ALL_ACCESS);
  if (!run) return 0;
  CString current;
  if (ReadRegistryString(run.Get(), valueName, 0, current) && current.CompareNoCase(command) == 0) return 1;
  DWORD bytes = static_cast<DWORD>((command.GetLength() + 1) * sizeof(wchar_t));
  return RegSetValueExW(run.Get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.GetString()), bytes) ==
                 ERROR_SUCCESS
             ? 1
             : 0;
}

// A start-up command of any length is found, so that a long one is removed
// as well as a short one.
int CCommonFun::CancelAutoRun(CString valueName) {
  if (valueName.IsEmpty()) return 1;
  win::UniqueRegKey run = OpenRegistryKey(HKEY_LOCAL_MACHINE, kRunKey, KEY_ALL_ACCESS);
  if (!run) return 0;
  CString current;
  if (!ReadRegistryString(run.Get(), valueName, 0, current) || current.IsEmpty()) return 1;
  return RegDeleteValueW(run.Get(), valueName) == ERROR_SUCCESS ? 1 : 0;
}

// ---- Registry --------------------------------------------------------------

// An empty sub would name root itself, and everything below it would go.
int CCommonFun::DeleteSubKeyTree(HKEY root, const wchar_t* sub) {
  if (sub == nullptr || *sub == L'\0') return ERROR_INVALID_PARAMETER;
  {
    win::UniqueRegKey key;
    LONG opened = RegOpenKeyExW(root, sub, 0, KEY_ALL_ACCESS, key.Put());
    if (opened != ERROR_SUCCESS) return opened;
    wchar_t name[kSubKeyNameChars + 1];
    for (;;) {
      DWORD chars = kSubKeyNameChars + 1;
      if (RegEnumKeyExW(key.Get(), 0, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      // A subkey that stays would be found at index 0 again and again.
      int deleted = DeleteSubKeyTree(key.Get(), name);
      if (deleted != ERROR_SUCCESS) return deleted;
    }
  }
  return RegDeleteKeyW(root, sub);
}
