#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "CString.h"
#include "CStringList.h"
#include "TAG_KEY_DRV_INFO.h"

// The client environment tools of the assistant: USB-key drivers, trusted
// sites, system and assistant versions, processes, files, start-up entries.
// The class keeps no state: every member works on its arguments and the
// machine. int results are BOOL unless a comment says otherwise.
//
// Key types, shared by every key-driver member: 1 HaiTai, 2 EnterSafe
// ePass3003, 3 dmwz, 4 CBPM, 5 none (treated as unknown), 6 EnterSafe
// ePass2000, 7 CBPM partner client; any other number is unknown.
class CERTASSIST_API CCommonFun {
 public:
  CCommonFun();
  ~CCommonFun();

  // ---- USB-key drivers -------------------------------------------------
  // Fills info from the first line of lines that holds the type's USB id and
  // at least two commas. 0 (info cleared) when the type has no id or no line
  // qualifies.
  int GetKeyDrvInfo(int type, CStringList& lines, TAG_KEY_DRV_INFO& info);
  // Appends the device path of every present USB device to paths. Always 0.
  int SearchDevice(std::vector<std::wstring>& paths);
  // 1 when the type's vendor registry value can be read.
  int CheckRegKeyExist(int type);
  // The package's installation folder with a trailing "\", or empty.
  CString GetInstallDir(int type);
  CString UninstallDir(int type);
  // 1 when the installation folder is known and holds fileName.
  int CheckDrvExeExist(int type, CString fileName);
  // 1 when the package's version condition holds and all its files exist.
  int CheckDriverIsInstalled(int type);
  // Records version under the type's code in section "version" of iniFile.
  void ChangeDriverVersion(int type, CString version, CString iniFile);

  // ---- Trusted sites ---------------------------------------------------
  // url is scheme "://" host. 1 stored (or already in a range), 6 a range
  // entry handed to the registry editor, 0 failed with status set:
  // 1 empty url, 2 zone map not opened, 3 key not created, 4 value not set,
  // 5 no rule applies (no scheme, or a host that cannot be stored safely).
  int SetTrustedSite(CString url, int& status);
  // 1 when the site is in the trusted-sites zone for its scheme.
  int CheckTrustedSite(CString url, int& reserved);
  // Starts the registry editor to import regFile silently; does not wait.
  void ShellImportRegister(const wchar_t* regFile);

  // ---- Network ---------------------------------------------------------
  // Sends one ICMP echo request to host (an address or name; a scheme, a
  // path and a port are dropped) and waits up to 5 seconds. 1 with the
  // round-trip time in milliseconds; 0 (roundTrip unchanged, the reason in
  // the last error) when no proper reply came or no ICMP library exists.
  int CAPing(CString host, DWORD& roundTrip);

  // ---- System and assistant --------------------------------------------
  // The operating system's name, edition, service pack and build, "\r\n"-ended.
  CString gtSystemVersionCheck();
  // The installed assistant's version (uninstall entry, else "ver.ini").
  CString GetAssistantVersion();
  // The system directory.
  CString GetSystemDriver();

  // ---- Processes -------------------------------------------------------
  // Identifier of the first process whose program file name equals exeName
  // (case-sensitive); 0 when none.
  DWORD FindProcess(CString exeName);
  // Ends a process running exeName with exit code 4. Never ends the caller.
  int KillProcess(CString exeName);
  int KillProcessByProcessID(DWORD processId);
  // 1 when a process runs exeName (ignoring case), or exeName is empty.
  int getProcessState(CString exeName);
  // Signals event when no process runs exeName (ignoring case).
  void IsExit(CString exeName, HANDLE event);

  // ---- Starting programs -----------------------------------------------
  void EXEUTE(CString file);
  // WinExec's result; below 32 a message box has told the user why.
  int ExWinExec(const wchar_t* commandLine);
  HINSTANCE OpenUrlWithIEXPLORE(CString url);

  // ---- Privileges and shutdown -----------------------------------------
  int GetDebugPriv();
  // Restarts the machine, closing applications by force.
  int MySystemReboot();

  // ---- Start-up entries (HKLM Run key) ---------------------------------
  int SetAutoRun(CString command, CString valueName);
  int CancelAutoRun(CString valueName);

  // ---- Files and folders -----------------------------------------------
  // Deletes dir and everything in it; 1 when dir itself is gone.
  int DeleteDirectory(CString dir);
  // Replaces target by source (renamed).
  void ChangeFileName(CString target, CString source);
  CString GetFilePathFromFileName(CString path);
  CString GetFileTitleFromFileName(CString path, int keepExtension);
  CString GetDirName(CString path);
  // The names of dir's subfolders whose name contains part.
  void GetSimilDir(CString dir, CString part, CStringList& out);

  // ---- Strings ---------------------------------------------------------
  // Character by character over a's length: 1, -1 or 0; 0 when either is
  // empty; 1 when b is a shorter start of a.
  int CompareCString(CString a, CString b);
  CString GetIndexStringValue(int index, CStringList& list);
  int IfChineseCh(CString text);
  int IfEnglishCh(CString text);
  int IfTelNumber(CString text);

  // ---- Registry --------------------------------------------------------
  // Deletes sub below root with all its subkeys; the registry's error code
  // (0 for success).
  int DeleteSubKeyTree(HKEY root, const wchar_t* sub);

  // ---- Key-driver removal ------------------------------------------------
  // Removes the package of key type: ends its programs, runs its
  // uninstaller (waiting up to a minute for it), removes its registry trees,
  // start-up entries and uninstall entries, its files in the system
  // directory and its folders. Nothing for 5 and unknown types.
  void KeyDrvUninstall(int type);
  // Removes the earlier client packages of the authority and its partners
  // (their folders, start-menu folders, uninstall and start-up entries and
  // the driver packages they carried). A recorded folder is deleted only
  // when it is a folder of its own: never a drive, the Windows folder or a
  // folder holding the program or start-menu folders.
  void UninstallWhole();
};
