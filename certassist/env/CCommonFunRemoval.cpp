// CCommonFun: removal of USB-key driver packages and of earlier client
// packages that carried their own copies of the drivers.
#include "CCommonFun.h"

#include "CRegister.h"
#include "KeyDriverRemoval.h"
#include "ProgramStart.h"
#include "RegistryReads.h"
#include "SystemFolders.h"

using namespace certassist;

namespace {

const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kUninstallRoot[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const wchar_t kAppPathValue[] = L"Inno Setup: App Path";
const wchar_t kCustomsRunValue[] = L"LCCACBPMRun";
// A vendor's uninstaller may ask the user something; the removal goes on
// after this long in any case.
const DWORD kUninstallerWaitMs = 60000;
// Enough for every copy of a program that may run, and an end to the search
// when one cannot be ended.
const int kMostCopiesEnded = 16;

CString ProgramFilesFolder() { return DriveRoot() + L"Program Files\\"; }
CString StartMenuFolder() { return DriveRoot() + L"Documents and Settings\\All Users\\「开始」菜单\\程序\\"; }

CString WithoutTrailingSeparators(CString path) {
  int length = path.GetLength();
  while (length > 0 && (path[length - 1] == L'\\' || path[length - 1] == L'/')) --length;
  return path.Left(length);
}

// True when inner is outer or lies inside it (ignoring case).
bool IsWithin(const CString& inner, const CString& outer) {
  if (outer.IsEmpty() || inner.GetLength() < outer.GetLength()) return false;
  if (inner.Left(outer.GetLength()).CompareNoCase(outer) != 0) return false;
  return inner.GetLength() == outer.GetLength() || inner[outer.GetLength()] == L'\\';
}

CString WindowsFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
  return length > 0 && length <= MAX_PATH ? CString(folder, static_cast<int>(length)) : CString();
}

// A product's recorded folder is deleted with everything in it, so it must
// be a full path of its own: not relative, not a drive, not the Windows
// folder or anything in it, and not a folder that holds the program or
// start-menu folders.
bool IsOwnFolder(const CString& folder) {
  CString path = WithoutTrailingSeparators(folder);
  bool full = (path.GetLength() > 3 && path[1] == L':' && path[2] == L'\\') || path.Find(L"\\\\") == 0;
  if (!full || IsDriveRootOrEmpty(path) || path.Find(L"\\..") >= 0 || path.Find(L"\\.\\") >= 0) return false;
  CString windows = WithoutTrailingSeparators(WindowsFolder());
  if (IsWithin(path, windows) || IsWithin(windows, path)) return false;
  return !IsWithin(WithoutTrailingSeparators(ProgramFilesFolder()), path) &&
         !IsWithin(WithoutTrailingSeparators(StartMenuFolder()), path);
}

void EndAll(CCommonFun& tools, const std::vector<const wchar_t*>& programs) {
  for (const wchar_t* program : programs) {
    for (int ended = 0; ended < kMostCopiesEnded && tools.KillProcess(program); ++ended) {
    }
  }
}

void DeleteRunValues(const std::vector<const wchar_t*>& names) {
  CRegister run;
  if (run.OpenLocalMachineKey(kRunKey) != ERROR_SUCCESS) return;
  for (const wchar_t* name : names) run.DeleteSubKeyValue(name);
}

void DeleteUninstallKey(CCommonFun& tools, const wchar_t* name) {
  tools.DeleteSubKeyTree(HKEY_LOCAL_MACHINE, CString(kUninstallRoot) + name);
}

// The package's own uninstaller in its installation folder; without one, the
// first fallback uninstaller that exists.
void RunUninstaller(const CString& installFolder, const KeyDriverRemoval& removal) {
  if (!installFolder.IsEmpty()) {
    CString own = installFolder + L"uninst.exe";
    if (PathExists(own)) RunAndWait(own, kUninstallerWaitMs);
    return;
  }
  for (const wchar_t* folder : removal.uninstallerFolders) {
    CString fallback = KeyDriverRemoval::Place(folder) + L"uninst.exe";
    if (PathExists(fallback)) {
      RunAndWait(fallback, kUninstallerWaitMs);
      return;
    }
  }
}

// A folder of a product in the program folder and its start-menu folder of
// the same name.
void DeleteProductFolderIn(CCommonFun& tools, const CString& parent, const CString& name) {
  // An empty name would be the parent itself.
  if (!name.IsEmpty()) tools.DeleteDirectory(parent + name);
}

void DeleteProductFolder(CCommonFun& tools, const CString& name) {
  DeleteProductFolderIn(tools, ProgramFilesFolder(), name);
  DeleteProductFolderIn(tools, StartMenuFolder(), name);
}

void DeleteOldSystemFiles() {
  for (const wchar_t* file : OldClientProduct::SystemFiles()) DeleteFileW(SystemDirectorySlash() + file);
}

void DeleteProductRunValues(const OldClientProduct& product) {
  std::vector<const wchar_t*> names = OldClientProduct::RunValues();
  if (product.customsEdition) names.push_back(kCustomsRunValue);
  DeleteRunValues(names);
}

void RemoveKeyTypes(CCommonFun& tools, const OldClientProduct& product) {
  for (int type : product.keyTypes) tools.KeyDrvUninstall(type);
}

// The product's uninstall key exists: its recorded folder (or, when none is
// recorded, the folders that carry its name) goes, then the key itself.
void RemoveInstalledProduct(CCommonFun& tools, const OldClientProduct& product, const CString& appPath) {
  EndAll(tools, product.processes);
  RemoveKeyTypes(tools, product);
  if (!appPath.IsEmpty()) {
    // A folder that is not the product's own is left, and so is the
    // start-menu folder of its name.
    if (IsOwnFolder(appPath)) {
      tools.DeleteDirectory(appPath);
      DeleteProductFolderIn(tools, StartMenuFolder(), tools.GetDirName(WithoutTrailingSeparators(appPath)));
    }
  } else if (product.searchName != nullptr) {
    CStringList folders;
    tools.GetSimilDir(ProgramFilesFolder(), product.searchName, folders);
    for (POSITION at = folders.GetHeadPosition(); at != nullptr;) DeleteProductFolder(tools, folders.GetNext(at));
  }
  if (product.ownsSystemFiles) DeleteOldSystemFiles();
  DeleteUninstallKey(tools, product.uninstallKey);
  DeleteProductRunValues(product);
}

// The uninstall key is gone: whatever folders still carry the product's name
// go, each with what the product left around it.
void RemoveLeftoverFolders(CCommonFun& tools, const OldClientProduct& product) {
  if (product.searchName == nullptr) return;
  CStringList folders;
  tools.GetSimilDir(ProgramFilesFolder(), product.searchName, folders);
  for (POSITION at = folders.GetHeadPosition(); at != nullptr;) {
    const CString& name = folders.GetNext(at);
    EndAll(tools, product.processes);
    if (product.ownsSystemFiles) RemoveKeyTypes(tools, product);
    DeleteProductFolder(tools, name);
    if (product.ownsSystemFiles) DeleteOldSystemFiles();
    DeleteProductRunValues(product);
    if (product.leftoverKey != nullptr) DeleteUninstallKey(tools, product.leftoverKey);
  }
}

void RemoveProduct(CCommonFun& tools, const OldClientProduct& product) {
  win::UniqueRegKey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, CString(kUninstallRoot) + product.uninstallKey,
                                          KEY_ALL_ACCESS);
  if (product.driverOnly) {
    if (key && tools.CheckDriverIsInstalled(1) == 0) {
      EndAll(tools, product.processes);
      tools.KeyDrvUninstall(1);
    }
    return;
  }
  if (!key) {
    RemoveLeftoverFolders(tools, product);
    return;
  }
  CString appPath;
  ReadRegistryString(key.Get(), kAppPathValue, 0, appPath);
  key.Reset();
  RemoveInstalledProduct(tools, product, appPath);
}

}  // namespace

void CCommonFun::KeyDrvUninstall(int type) {
  const KeyDriverRemoval* removal = KeyDriverRemoval::Find(type);
  if (removal == nullptr) return;
  CString installFolder = UninstallDir(type);
  EndAll(*this, removal->processes);
  RunUninstaller(installFolder, *removal);
  for (const wchar_t* tree : removal->trees) DeleteSubKeyTree(HKEY_LOCAL_MACHINE, tree);
  DeleteRunValues(removal->runValues);
  for (const wchar_t* name : removal->uninstallKeys) DeleteUninstallKey(*this, name);
  for (const wchar_t* file : removal->files) DeleteFileW(KeyDriverRemoval::Place(file));
  for (const wchar_t* folder : removal->folders) DeleteDirectory(KeyDriverRemoval::Place(folder));
}

void CCommonFun::UninstallWhole() {
  for (const OldClientProduct& product : OldClientProduct::All()) RemoveProduct(*this, product);
}
