#pragma once

#include <vector>

#include "CString.h"

namespace certassist {

// What removing one vendor's USB-key driver package takes, step by step in
// the order of the members. Paths that begin with "\" lie in the system
// directory; the others below the drive root.
struct KeyDriverRemoval {
  int type;
  std::vector<const wchar_t*> processes;  // program file names to end
  // Folders whose "uninst.exe" is started, the first that has one, when no
  // installation folder is recorded.
  std::vector<const wchar_t*> uninstallerFolders;
  std::vector<const wchar_t*> trees;          // HKLM trees, before the Run values
  std::vector<const wchar_t*> runValues;      // values of HKLM's Run key
  std::vector<const wchar_t*> uninstallKeys;  // names below the Uninstall key
  std::vector<const wchar_t*> files;          // in the system directory
  std::vector<const wchar_t*> folders;        // removed last, in order

  // The row of type; null for 5 and unknown types.
  static const KeyDriverRemoval* Find(int type);
  // A path of the tables as a full path.
  static CString Place(const wchar_t* path);
};

// An earlier client package of the authority or a partner, installed by a
// setup program that left an uninstall key "..._is1".
struct OldClientProduct {
  const wchar_t* uninstallKey;  // name below the Uninstall key
  const wchar_t* searchName;    // part of its folders' names; null: none
  std::vector<const wchar_t*> processes;
  std::vector<int> keyTypes;  // driver packages removed with it, in order
  // Only the HaiTai driver goes, and only when it is not completely
  // installed; nothing else of the product is touched.
  bool driverOnly;
  // Its old copies of the vendors' libraries in the system directory go
  // too, and its key types go also when only its folders are left.
  bool ownsSystemFiles;
  bool customsEdition;  // its start-up entry "LCCACBPMRun" goes too
  // An uninstall key removed for each folder found when its own key is gone.
  const wchar_t* leftoverKey;

  static const std::vector<OldClientProduct>& All();
  // The start-up entries every product may have left.
  static const std::vector<const wchar_t*>& RunValues();
  // Libraries of the vendors that products with ownsSystemFiles put in the
  // system directory.
  static const std::vector<const wchar_t*>& SystemFiles();
};

}  // namespace certassist
