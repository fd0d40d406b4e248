#pragma once

#include <vector>

#include "CString.h"

namespace certassist {

// What the machine shows of one vendor's USB-key driver package: its USB id,
// registry entries, installation folder and files.
struct KeyDriverPackage {
  enum class FolderSource {
    kNone,             // no installation folder is recorded
    kUninstallString,  // folder of "UninstallString" of an uninstall key
    kPathValue,        // value "Path" of a vendor key
  };

  int type;
  const wchar_t* code;        // value name in the "version" section
  const wchar_t* usbId;       // as it appears in device paths; null: none
  const wchar_t* probeKey;    // HKLM key whose probeValue must be readable
  const wchar_t* probeValue;
  FolderSource folderSource;
  // Uninstall key names (tried in order, the next only when the key before
  // cannot be opened) or the vendor key holding "Path".
  std::vector<const wchar_t*> folderKeys;
  // When the recorded folder is empty: this folder below the drive root
  // (null: the system directory), if it holds every one of fallbackFiles.
  const wchar_t* fallbackFolder;
  std::vector<const wchar_t*> fallbackFiles;
  // The base of the installed check when no folder is recorded: a folder
  // below the drive root (null: the system directory).
  const wchar_t* defaultFolder;
  std::vector<const wchar_t*> folderFiles;
  std::vector<const wchar_t*> systemFiles;
  bool checksVersion;  // HaiTai: the system's "HKCommand.dll" must not be older

  // The package of type; null for 5 and unknown types.
  static const KeyDriverPackage* Find(int type);

  // The installation folder with a trailing "\", or empty.
  CString InstallFolder() const;
  // True when the version condition holds and every listed file exists.
  bool IsInstalled() const;

 private:
  bool ReadRecordedFolder(CString& folder) const;
  CString FallbackFolder() const;
};

}  // namespace certassist
