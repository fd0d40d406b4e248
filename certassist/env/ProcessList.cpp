#include "ProcessList.h"

#include <psapi.h>
#include <tlhelp32.h>

#include "win/Handles.h"

namespace certassist {

namespace {

const DWORD kMaxProcesses = 1024;
const UINT kKilledExitCode = 4;

CString FileName(const wchar_t* path) {
  const wchar_t* name = wcsrchr(path, L'\\');
  return CString(name != nullptr ? name + 1 : path);
}

// The file name of the process's first module; empty when it cannot be read.
CString FirstModuleName(DWORD processId) {
  win::UniqueProcess process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
  if (!process) return CString();
  HMODULE first = nullptr;
  DWORD needed = 0;
  if (!EnumProcessModules(process.Get(), &first, sizeof first, &needed) || needed == 0) return CString();
  wchar_t path[MAX_PATH + 1] = {};
  if (GetModuleFileNameExW(process.Get(), first, path, MAX_PATH) == 0) return CString();
  return FileName(path);
}

}  // namespace

bool ProcessList::NamesMatch(const CString& running, const CString& wanted, bool firstFifteen, bool ignoreCase) {
  CString left = firstFifteen ? running.Left(kWindows2000NameChars) : running;
  CString right = firstFifteen ? wanted.Left(kWindows2000NameChars) : wanted;
  return (ignoreCase ? left.CompareNoCase(right) : left.Compare(right)) == 0;
}

DWORD ProcessList::FindByModule(const CString& exeName, bool firstFifteen, DWORD skipProcessId) {
  DWORD ids[kMaxProcesses] = {};
  DWORD bytes = 0;
  if (!EnumProcesses(ids, sizeof ids, &bytes)) return 0;
  for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
    if (ids[i] == skipProcessId) continue;
    CString name = FirstModuleName(ids[i]);
    if (!name.IsEmpty() && NamesMatch(name, exeName, firstFifteen, false)) return ids[i];
  }
  return 0;
}

bool ProcessList::InSnapshot(const CString& exeName, bool firstFifteen, bool& snapshotTaken) {
  win::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  snapshotTaken = snapshot.IsValid();
  if (!snapshotTaken) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  // The first entry is the system's idle process.
  if (!Process32FirstW(snapshot.Get(), &entry)) return false;
  while (Process32NextW(snapshot.Get(), &entry)) {
    if (NamesMatch(entry.szExeFile, exeName, firstFifteen, true)) return true;
  }
  return false;
}

// A process that has already ended is not ended again: whoever asked did not
// end anything.
bool ProcessList::Terminate(DWORD processId) {
  win::UniqueProcess process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
  if (!process || WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0) return false;
  return TerminateProcess(process.Get(), kKilledExitCode) != FALSE;
}

}  // namespace certassist
