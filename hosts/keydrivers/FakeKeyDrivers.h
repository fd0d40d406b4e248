#pragma once

#include <windows.h>

#include "win/Handles.h"

#include <string>
#include <utility>
#include <vector>

// Lays out USB-key driver packages as the vendors' setups would leave them:
// registry entries under HKEY_LOCAL_MACHINE and files in the system folder
// and below the drive root. Everything it made is removed again by
// RemoveAll() and the destructor; what existed before is left alone.
class FakeKeyDrivers {
 public:
  FakeKeyDrivers() = default;
  ~FakeKeyDrivers() { RemoveAll(); }
  FakeKeyDrivers(const FakeKeyDrivers&) = delete;
  FakeKeyDrivers& operator=(const FakeKeyDrivers&) = delete;

  static std::wstring SystemFolder();  // with a trailing "\"
  static std::wstring DriveRoot();     // "C:\"
  static const wchar_t kUninstall[];   // the uninstall keys' parent, with a trailing "\"

  // The vendor's package: the default folder of its files (below the drive
  // root, or the system folder) and the files there and in the system folder.
  static std::wstring DefaultFolder(int type);
  static std::vector<std::wstring> FolderFiles(int type);
  static std::vector<std::wstring> SystemFiles(int type);

  // Registry values below HKLM; keys are created as needed. Values put into
  // keys that existed before are removed again, the keys stay.
  bool CreateKey(const std::wstring& key);
  bool SetValue(const std::wstring& key, const wchar_t* name, DWORD type, const void* data, DWORD bytes);
  bool SetString(const std::wstring& key, const wchar_t* name, const std::wstring& value);
  // An uninstall key holding "UninstallString".
  bool SetUninstallString(const std::wstring& uninstallKey, const std::wstring& command);
  // A start-up entry of HKLM's Run key.
  bool SetRunValue(const wchar_t* name, const std::wstring& command);
  static const wchar_t kRun[];

  // A service of the service manager (demand start, never started).
  bool AddService(const wchar_t* name, const std::wstring& binaryPath);

  // The vendor's "uninst.exe": the fake uninstaller built beside the running
  // program, which appends its path to UninstallerLog() when it runs.
  bool PlaceUninstaller(const std::wstring& path);
  static std::wstring UninstallerLog();
  // The paths of the fake uninstallers that ran since the log was cleared,
  // waiting up to waitMs for at least `expected` of them.
  static std::vector<std::wstring> UninstallersRun(size_t expected = 0, DWORD waitMs = 0);
  static void ClearUninstallerLog();

  // A file, with the folders it needs.
  bool AddFile(const std::wstring& path, const std::string& content = "fake key-driver file\r\n");
  bool PlaceCopy(const std::wstring& from, const std::wstring& to);
  // Every file of the package: its folder files below folder (the default
  // folder when empty), its system files in the system folder; except skip.
  bool AddPackageFiles(int type, const std::wstring& folder = L"", const std::wstring& skip = L"");

  void RemoveAll();

 private:
  void RememberKey(const std::wstring& key);
  bool MakeFolders(const std::wstring& folder);

  std::vector<std::wstring> keys_;
  std::vector<std::pair<std::wstring, std::wstring>> values_;  // key, name
  std::vector<win::UniqueServiceHandle> services_;
  std::vector<std::wstring> files_;
  std::vector<std::wstring> folders_;
};
