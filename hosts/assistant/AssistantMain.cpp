// Stands in for the certificate assistant: links certassist.dll's import
// library, uses its exported classes the way the assistant does and prints a
// report (UTF-8) of what they found.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Base64.h"
#include "CCertDlg.h"
#include "CCommonFun.h"
#include "CConfigFile.h"
#include "CModuleVersion.h"
#include "CRegister.h"
#include "CertificateMaker.h"
#include "FakeKeyDrivers.h"
#include "win/Handles.h"

namespace {

void Print(const CString& text) {
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text, text.GetLength(), nullptr, 0, nullptr, nullptr);
  std::string utf8(bytes > 0 ? bytes : 0, '\0');
  if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, text, text.GetLength(), &utf8[0], bytes, nullptr, nullptr);
  fwrite(utf8.data(), 1, utf8.size(), stdout);
  fputc('\n', stdout);
}

CString Formatted(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  CString text;
  text.FormatV(format, args);
  va_end(args);
  return text;
}

CString NotAfterText(const CERT_CONTEXT* cert) {
  SYSTEMTIME date{};
  FILETIME local{};
  FileTimeToLocalFileTime(&cert->pCertInfo->NotAfter, &local);
  FileTimeToSystemTime(&local, &date);
  return Formatted(L"%04d-%02d-%02d", date.wYear, date.wMonth, date.wDay);
}

// Builds the picker's list; false when the store could not be read.
bool ReportPicker(const wchar_t* title) {
  try {
    CCertDlg picker(0, nullptr);
    Print(Formatted(L"%s: %d certificate(s) listed", title, picker.GetCertCount()));
    if (picker.GetCertCount() == 1) {
      const CERT_CONTEXT* cert = picker.GetCert();
      wchar_t issuer[256] = {};
      CertGetNameStringW(cert, CERT_NAME_ATTR_TYPE, CERT_NAME_ISSUER_FLAG,
                         const_cast<char*>(szOID_COMMON_NAME), issuer, 256);
      Print(Formatted(L"  issued to %s by %s, valid until %s (selected index %ld)",
                      picker.GetCertSubject().GetString(), issuer, NotAfterText(cert).GetString(),
                      picker.GetSelectedIndex()));
    }
    return true;
  } catch (const wchar_t* message) {
    Print(Formatted(L"%s: %s", title, message));
    return false;
  }
}

void ReportCertificates() {
  Print(L"== Certificate picker (current user's MY store)");
  ReportPicker(L"store as found");
  CertificateMaker maker;
  if (!maker.Ready()) {
    Print(L"  (no demonstration certificate could be made)");
    return;
  }
  FILETIME nextYear = CertificateMaker::Days(365);
  maker.Add(L"CN=演示用户, O=certassist-demo", L"CN=LCCA_CA, O=LCCA", CERT_DIGITAL_SIGNATURE_KEY_USAGE, nextYear);
  maker.Add(L"CN=Other Issuer, O=certassist-demo", L"CN=OTHER_CA", CERT_DIGITAL_SIGNATURE_KEY_USAGE, nextYear);
  ReportPicker(L"with one LCCA_CA and one other demonstration certificate");
}

void ReportVersions() {
  Print(L"== Module versions");
  CModuleVersion version;
  if (version.GetFileVersionInfoW(L"certassist.dll")) {
    Print(Formatted(L"certassist.dll: %s, FileVersion %s, fixed record %u.%u.%u.%u",
                    version.GetValue(L"FileDescription").GetString(), version.GetValue(L"FileVersion").GetString(),
                    HIWORD(version.dwFileVersionMS), LOWORD(version.dwFileVersionMS),
                    HIWORD(version.dwFileVersionLS), LOWORD(version.dwFileVersionLS)));
  }
  Print(Formatted(L"the program itself has a version resource: %s",
                  version.GetFileVersionInfoW(nullptr) ? L"yes" : L"no"));
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  CString comctl = CString(system) + L"\\comctl32.dll";
  Print(Formatted(L"GetFileVersion(comctl32.dll) = %s", version.GetFileVersion(comctl).GetString()));
  DLLVERSIONINFO info{};
  if (CModuleVersion::DllGetVersion(L"comctl32.dll", info))
    Print(Formatted(L"DllGetVersion(comctl32.dll) = %lu.%lu build %lu", info.dwMajorVersion, info.dwMinorVersion,
                    info.dwBuildNumber));
}

void ReportConfiguration() {
  Print(L"== Configuration file");
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  CString path = CString(folder) + Formatted(L"certassist-demo-%lu.ini", GetCurrentProcessId());
  {
    CStdioFile out(path, CStdioFile::modeCreate | CStdioFile::modeWrite | CStdioFile::typeText);
    out.WriteString(L"[version]\nHT = 4.2.8.107\nFT=1.0.3\n\n[drivers]\nHT,vid_5448&pid_0003,a#b#c\n");
  }
  CConfigFile config(path, CStdioFile::modeRead | CStdioFile::typeText);
  CStringList lines;
  DWORD code = config.EnumValueInSession(L"[version]", lines);
  Print(Formatted(L"EnumValueInSession([version]) = 0x%08lX, %d line(s):", code, lines.GetCount()));
  for (POSITION at = lines.GetHeadPosition(); at != nullptr;) Print(L"  " + lines.GetNext(at));
  CString value;
  code = config.GetStringByName(value, L"HT");
  Print(Formatted(L"GetStringByName(HT) = 0x%08lX, \"%s\"", code, value.GetString()));
  CStringList edited;
  code = config.ChangeValueInSession(L"[version]", L"FT=2.0.0", 1, edited);
  Print(Formatted(L"ChangeValueInSession([version], line 1 = FT=2.0.0) = 0x%08lX, new content:", code));
  for (POSITION at = edited.GetHeadPosition(); at != nullptr;) Print(L"  |" + edited.GetNext(at));
  config.Close();
  DeleteFileW(path);
}

void ReportRegistry() {
  Print(L"== Registry wrapper (HKCU\\Software\\certassist-demo, removed afterwards)");
  {
    CRegister reg;
    reg.OpenCurrentKey(L"Software");
    if (reg.CreateKey(L"certassist-demo")) {
      reg.SetValueString(L"站点", L"https://www.lcca.example/");
      reg.SetValueDword(L"zone", 2);
      Print(Formatted(L"站点 = %s, zone = %lu, missing = %lu", reg.QueryValueString(L"站点").GetString(),
                      reg.QueryValueDword(L"zone"), reg.QueryValueDword(L"missing")));
    }
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\certassist-demo");
  RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\certassist-demo");
}

void ReportBase64() {
  Print(L"== Base64");
  Base64 codec;
  std::string encoded = codec.base64_encode(std::wstring(L"岚川CA证书"));
  Print(Formatted(L"base64_encode(\"岚川CA证书\" in code page %u) = %S", GetACP(), encoded.c_str()));
  Print(Formatted(L"base64_decode(\"Zm9v\\r\\nYmFy\") = \"%S\"", codec.base64_decode(std::string("Zm9v\r\nYmFy")).c_str()));
}

CString Trimmed(CString text) { return text.Trim(); }

const wchar_t kUninstall[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const wchar_t kAssistantEntry[] = L"{E69A4C4B-D180-4D67-8418-9090B1CF134F}";

bool AssistantEntryExists() {
  win::UniqueRegKey key;
  return RegOpenKeyExW(HKEY_LOCAL_MACHINE, (CString(kUninstall) + kAssistantEntry), 0, KEY_READ, key.Put()) ==
         ERROR_SUCCESS;
}

// The version line, and the assistant's version from a "ver.ini" put beside
// this program (the entry it records is removed again).
void ReportSystem() {
  CCommonFun tools;
  Print(L"== Client environment: system (CCommonFun)");
  Print(L"gtSystemVersionCheck() = \"" + Trimmed(tools.gtSystemVersionCheck()) + L"\"");
  Print(L"GetSystemDriver() = " + tools.GetSystemDriver());
  if (AssistantEntryExists()) {
    Print(L"GetAssistantVersion() = " + tools.GetAssistantVersion() + L" (from the installed entry)");
    return;
  }
  wchar_t program[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  CString ini = tools.GetFilePathFromFileName(program) + L"ver.ini";
  Print(L"GetAssistantVersion() without ver.ini = \"" + tools.GetAssistantVersion() + L"\"");
  WritePrivateProfileStringW(L"version", L"CertButler", L"3.2.1 演示版", ini);
  CString version = tools.GetAssistantVersion();
  Print(L"GetAssistantVersion() with ver.ini (CertButler=3.2.1 演示版) = \"" + version + L"\"");
  Print(Formatted(L"  uninstall entry recorded: %s; asked again: \"%s\"", AssistantEntryExists() ? L"yes" : L"no",
                  tools.GetAssistantVersion().GetString()));
  tools.DeleteSubKeyTree(HKEY_LOCAL_MACHINE, CString(kUninstall) + kAssistantEntry);
  DeleteFileW(ini);
}

const wchar_t kRanges[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Ranges";

// Removes the range entries that hold host.
void RemoveRanges(const CString& host) {
  CCommonFun tools;
  CRegister ranges;
  if (ranges.OpenCurrentKey(kRanges) != ERROR_SUCCESS) return;
  CStringList names;
  for (CString name; ranges.EnumKey(name) == ERROR_SUCCESS;) names.AddTail(name);
  for (POSITION at = names.GetHeadPosition(); at != nullptr;) {
    CString path = CString(kRanges) + L"\\" + names.GetNext(at);
    CRegister range;
    if (range.OpenCurrentKey(path) == ERROR_SUCCESS && range.QueryValueString(L":Range") == host) {
      range.RegClose();
      tools.DeleteSubKeyTree(HKEY_CURRENT_USER, path);
    }
  }
}

void ReportTrustedSites() {
  Print(L"== Client environment: trusted sites (two demonstration sites, removed afterwards)");
  CCommonFun tools;
  const wchar_t* sites[] = {L"http://www.lcca-demo.com.cn", L"https://198.51.100.50"};
  for (const wchar_t* site : sites) {
    int reserved = 0, status = 0;
    int before = tools.CheckTrustedSite(site, reserved);
    int result = tools.SetTrustedSite(site, status);
    int after = tools.CheckTrustedSite(site, reserved);
    Print(Formatted(L"%s: trusted before %d; SetTrustedSite = %d (status %d); trusted after %d", site, before, result,
                    status, after));
  }
  int status = 0;
  int refused = tools.SetTrustedSite(L"http://198.51.100.51\"\n[HKEY_LOCAL_MACHINE\\x]", status);
  Print(Formatted(L"an address with a quote and a line break: SetTrustedSite = %d (status %d)", refused, status));
  CString domains = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Domains\\";
  tools.DeleteSubKeyTree(HKEY_CURRENT_USER, domains + L"com.cn\\www.lcca-demo");
  RegDeleteKeyW(HKEY_CURRENT_USER, domains + L"com.cn");  // only when nothing else is below it
  RemoveRanges(L"198.51.100.50");
}

void ReportProcesses() {
  Print(L"== Client environment: processes");
  CCommonFun tools;
  wchar_t program[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  CString self = tools.GetFileTitleFromFileName(program, 1);
  const wchar_t* names[] = {self, L"services.exe", L"winedevice.exe", L"explorer.exe", L"EXPLORER.EXE",
                            L"HaiKeyUser_LCCA.exe"};
  for (const wchar_t* name : names) {
    DWORD id = tools.FindProcess(name);
    Print(Formatted(L"%s: FindProcess = %s, getProcessState = %d", name,
                    id != 0 ? (id == GetCurrentProcessId() ? L"this program" : L"running") : L"0",
                    tools.getProcessState(name)));
  }
  Print(Formatted(L"KillProcess(%s) = %d (the caller is never ended)", self.GetString(), tools.KillProcess(self)));
}

// Lays out demonstration packages, reports what the detection sees, and
// removes them again.
void ReportKeyDrivers() {
  Print(L"== Client environment: USB-key drivers (demonstration packages laid out, removed afterwards)");
  CCommonFun tools;
  std::vector<std::wstring> devices;
  tools.SearchDevice(devices);
  Print(Formatted(L"SearchDevice: %d USB device(s) present", static_cast<int>(devices.size())));
  {
    FakeKeyDrivers fakes;
    fakes.SetString(L"Software\\HaiTaiFangYuan\\Control", L"CSP_NAME", L"HaiTai CSP for LCCA");
    fakes.SetUninstallString(L"岚川CA CSP 安装程序", FakeKeyDrivers::SystemFolder() + L"uninst.exe");
    fakes.AddPackageFiles(1);
    fakes.SetString(L"SOFTWARE\\EnterSafe\\ePass3003_LCCA", L"Path", L"");
    fakes.AddPackageFiles(2);
    fakes.SetUninstallString(L"岚川CA密码钥匙驱动_客户端", FakeKeyDrivers::DefaultFolder(3) + L"uninst.exe");
    fakes.AddPackageFiles(3, L"", L"eSafe_monitor.exe");
    fakes.SetString(L"Software\\Microsoft\\Cryptography\\Defaults\\Provider\\CBPM UsbKey CSP For LCCA", L"Image Path",
                    L"NewKeyCspC0.dll");
    fakes.AddPackageFiles(7);
    Print(L"laid out: HaiTai (complete, command library without version), ePass3003 (complete, empty Path),");
    Print(L"  dmwz (client uninstall entry, eSafe_monitor.exe missing), CBPM (provider key only), partner client (complete)");
    CStringList lines;
    lines.AddTail(L"HT,海泰#vid_5448&pid_0003,ht-setup.exe");
    lines.AddTail(L"FT,飞天#vid_096e&pid_0702#3003,ft-setup.exe");
    lines.AddTail(L"FTP,ePass2000 vid_096e&pid_0305");
    Print(L"type | registry probe | installation folder | uninst.exe there | installed | line for its USB id");
    for (int type = 1; type <= 7; ++type) {
      TAG_KEY_DRV_INFO info;
      CString line = L"-";
      if (tools.GetKeyDrvInfo(type, lines, info)) {
        line = info.first + L" / " + info.third + L" /";
        for (POSITION at = info.list.GetHeadPosition(); at != nullptr;) line += L" " + info.list.GetNext(at);
      }
      CString folder = tools.GetInstallDir(type);
      Print(Formatted(L"%d | %d | %s | %d | %d | %s", type, tools.CheckRegKeyExist(type),
                      folder.IsEmpty() ? L"(none)" : folder.GetString(), tools.CheckDrvExeExist(type, L"uninst.exe"),
                      tools.CheckDriverIsInstalled(type), line.GetString()));
    }
  }
  int left = 0;
  for (int type = 1; type <= 7; ++type) left += tools.CheckDriverIsInstalled(type) + tools.CheckRegKeyExist(type);
  Print(Formatted(L"after removal: %d package(s) or probe(s) still seen", left));
}

}  // namespace

int wmain() {
  ReportCertificates();
  ReportVersions();
  ReportConfiguration();
  ReportRegistry();
  ReportBase64();
  ReportSystem();
  ReportTrustedSites();
  ReportProcesses();
  ReportKeyDrivers();
  return 0;
}
