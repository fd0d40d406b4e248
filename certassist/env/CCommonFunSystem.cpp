// CCommonFun: system and assistant versions, processes, starting programs,
// privileges.
#include "CCommonFun.h"

#include <shellapi.h>

#include <vector>

#include "CStdioFile.h"
#include "ProcessList.h"
#include "ProgramStart.h"
#include "RegistrationFile.h"
#include "RegistryReads.h"
#include "SystemFolders.h"
#include "SystemVersionLine.h"
#include "TokenPrivilege.h"

using namespace certassist;

namespace {

const wchar_t kUninstallRoot[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const wchar_t kAssistantKey[] = L"{E69A4C4B-D180-4D67-8418-9090B1CF134F}";
// Names under which earlier setups of the assistant registered themselves.
const wchar_t* const kOldAssistantKeys[] = {L"岚川CA证书管家_is1", L"CA证书管家_is1", L"证书管家2.0.1_is1"};
const DWORD kVersionChars = 255;
const DWORD kDisplayVersionBytes = 255;

bool OnWindows2000() {
  return SystemVersionLine::Text(SystemVersionLine::CurrentFacts()).Find(L"Microsoft Windows 2000 ") >= 0;
}

CString VersionFromIni() {
  wchar_t version[kVersionChars + 1] = {};
  CString ini = ProgramFolder() + L"ver.ini";
  GetPrivateProfileStringW(L"version", L"CertButler", L"", version, kVersionChars + 1, ini);
  return version;
}

// Records version as the assistant's uninstall entry. An empty version is not
// recorded: the entry would hide a later "ver.ini" for good.
void RegisterAssistantVersion(const CString& version) {
  CString quoted;
  if (version.IsEmpty() || !RegistrationFile::QuoteForReg(version, quoted)) return;
  CString text;
  text.Format(
      L"Windows Registry Editor Version 5.00\n"
      L"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\%s]\n"
      L"\"DisplayName\"=\"CA证书管家\"\n"
      L"\"DisplayVersion\"=\"%s\"",
      kAssistantKey, quoted.GetString());
  CString path = TempFolder() + L"temp43hgfhd.reg";
  if (RegistrationFile::Write(path, text, CStdioFile::modeCreate | CStdioFile::modeWrite)) {
    RegistrationFile::ImportAndWait(path);
  }
}

}  // namespace

CString CCommonFun::gtSystemVersionCheck() { return SystemVersionLine::Text(SystemVersionLine::CurrentFacts()); }

CString CCommonFun::GetAssistantVersion() {
  for (const wchar_t* name : kOldAssistantKeys) DeleteSubKeyTree(HKEY_LOCAL_MACHINE, CString(kUninstallRoot) + name);
  win::UniqueRegKey entry = OpenRegistryKey(HKEY_LOCAL_MACHINE, CString(kUninstallRoot) + kAssistantKey);
  if (entry) {
    CString version;
    ReadRegistryString(entry.Get(), L"DisplayVersion", kDisplayVersionBytes, version);
    return version;
  }
  CString version = VersionFromIni();
  RegisterAssistantVersion(version);
  return version;
}

CString CCommonFun::GetSystemDriver() { return SystemDirectory(); }

DWORD CCommonFun::FindProcess(CString exeName) {
  return ProcessList::FindByModule(exeName, OnWindows2000(), 0);
}

// The caller is never one of the processes to end: ending the assistant from
// inside one of its own calls would lose whatever it had not saved.
int CCommonFun::KillProcess(CString exeName) {
  if (exeName.IsEmpty()) return 1;
  DWORD processId = ProcessList::FindByModule(exeName, OnWindows2000(), GetCurrentProcessId());
  return processId != 0 && ProcessList::Terminate(processId) ? 1 : 0;
}

int CCommonFun::KillProcessByProcessID(DWORD processId) { return ProcessList::Terminate(processId) ? 1 : 0; }

int CCommonFun::getProcessState(CString exeName) {
  if (exeName.IsEmpty()) return 1;
  bool snapshotTaken = false;
  return ProcessList::InSnapshot(exeName, OnWindows2000(), snapshotTaken) ? 1 : 0;
}

// Without a snapshot nothing is known, and the caller keeps waiting.
void CCommonFun::IsExit(CString exeName, HANDLE event) {
  bool snapshotTaken = false;
  bool running = ProcessList::InSnapshot(exeName, OnWindows2000(), snapshotTaken);
  if (snapshotTaken && !running) SetEvent(event);
}

void CCommonFun::EXEUTE(CString file) { ShellExecuteW(nullptr, L"open", file, nullptr, nullptr, SW_HIDE); }

int CCommonFun::ExWinExec(const wchar_t* commandLine) {
  if (commandLine == nullptr) commandLine = L"";
  int bytes = WideCharToMultiByte(CP_OEMCP, 0, commandLine, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return -1;
  std::vector<char> oem(bytes);
  WideCharToMultiByte(CP_OEMCP, 0, commandLine, -1, oem.data(), bytes, nullptr, nullptr);
  UINT result = WinExec(oem.data(), SW_SHOWNORMAL);
  if (result >= 32) return static_cast<int>(result);
  MessageBoxW(nullptr, StartFailureMessage(result), nullptr, MB_OK);
  return static_cast<int>(result);
}

HINSTANCE CCommonFun::OpenUrlWithIEXPLORE(CString url) {
  CString browser = SystemDirectory().Left(3) + L"Program Files\\Internet Explorer\\iexplore.exe";
  if (PathExists(browser)) return ShellExecuteW(nullptr, L"open", browser, url, nullptr, SW_SHOWNORMAL);
  return ShellExecuteW(nullptr, L"open", url, nullptr, nullptr, SW_SHOWNORMAL);
}

int CCommonFun::GetDebugPriv() {
  DWORD lastError = 0;
  return TokenPrivilege::Enable(SE_DEBUG_NAME, lastError) ? 1 : 0;
}

int CCommonFun::MySystemReboot() {
  DWORD lastError = 0;
  TokenPrivilege::Enable(SE_SHUTDOWN_NAME, lastError);
  if (lastError != ERROR_SUCCESS) return 0;
  return TokenPrivilege::Calls().exitWindowsEx(EWX_REBOOT | EWX_FORCE, 0) ? 1 : 0;
}
