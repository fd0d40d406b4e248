#pragma once

#include "CString.h"

namespace certassist {

// The system directory (GetSystemDirectoryW), without a trailing "\".
CString SystemDirectory();
// The system directory with a trailing "\".
CString SystemDirectorySlash();
// The system directory's drive, "X:\" (its text up to and including the first
// ":\"), or "c:\" when the system directory holds no ":\".
CString DriveRoot();
// A file-status query: true for an existing file or folder.
bool PathExists(const CString& path);
// True for "", "\", "X:" and "X:\" (with any number of trailing separators):
// names whose contents are never to be deleted as a whole.
bool IsDriveRootOrEmpty(const CString& path);
// The folder of the running program, with a trailing "\".
CString ProgramFolder();
// GetTempPathW, with its trailing "\".
CString TempFolder();

}  // namespace certassist
