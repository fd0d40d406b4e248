#pragma once

#include "CString.h"

namespace certassist {

// Looks for running programs by the file name of their executable.
class ProcessList {
 public:
  // Windows 2000 keeps only 15 characters of a program name in its process
  // lists, so names are compared over their first 15 characters there.
  static const int kWindows2000NameChars = 15;

  static bool NamesMatch(const CString& running, const CString& wanted, bool firstFifteen, bool ignoreCase);

  // The first process (of at most 1024, in EnumProcesses' order) whose first
  // module's file name matches exeName exactly, skipping skipProcessId; 0
  // when none. Processes that cannot be opened for reading are passed over.
  static DWORD FindByModule(const CString& exeName, bool firstFifteen, DWORD skipProcessId);

  // Whether a process snapshot, from its second entry on, holds a program
  // named exeName (ignoring case). False, with snapshotTaken false, when no
  // snapshot could be taken.
  static bool InSnapshot(const CString& exeName, bool firstFifteen, bool& snapshotTaken);

  // Ends processId with exit code 4; false when it cannot be opened, has
  // already ended or cannot be ended.
  static bool Terminate(DWORD processId);
};

}  // namespace certassist
