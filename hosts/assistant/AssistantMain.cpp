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
#include "CNetCommunication.h"
#include "CRegister.h"
#include "CWMI.h"
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

std::string FileBytes(const CString& path) {
  std::string bytes;
  win::UniqueFile file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  char block[65536];
  DWORD got = 0;
  while (file && ReadFile(file.Get(), block, sizeof block, &got, nullptr) && got > 0) bytes.append(block, got);
  return bytes;
}

bool PutFile(const CString& path, const std::string& bytes) {
  win::UniqueFile file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// One download of the update package: the codes, the lengths and the size
// of the local file afterwards.
void DownloadOnce(const wchar_t* what, const CString& url, const CString& local) {
  CNetCommunication net;
  DWORD opened = net.GetUrlFile(url);
  DWORD stored = opened == 0 ? net.DownLoad(local) : opened;
  Print(Formatted(L"%s: GetUrlFile = 0x%08lX (Content-Length %lu), DownLoad = 0x%08lX, m_downLoadFileLen = %lu, "
                  L"local file %u bytes",
                  what, opened, net.GetFileLength(), stored, CNetCommunication::m_downLoadFileLen,
                  static_cast<unsigned>(FileBytes(local).size())));
}

// The web server double serves folder on 127.0.0.1:port. The update package
// is sent in two halves: the first answer breaks off (a rule of the double),
// the second download resumes where the local file ends.
void ReportDownload(const CString& folder, const CString& port) {
  Print(L"== Client environment: HTTP download (web server double at 127.0.0.1:" + port + L")");
  std::string package(300000, '\0');
  for (size_t i = 0; i < package.size(); ++i) package[i] = static_cast<char>(i * 2654435761u >> 24);
  CString served = folder + L"\\update-package.bin";
  CString url = L"http://127.0.0.1:" + port + L"/update-package.bin";
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  CString local = CString(temp) + L"certassist-demo-update.bin";
  DeleteFileW(local);
  PutFile(served, package);
  PutFile(folder + L"\\.rules", "/update-package.bin truncate 150000\n");
  Print(Formatted(L"served: update-package.bin, %u bytes; the first answer breaks off after 150000 bytes",
                  static_cast<unsigned>(package.size())));
  DownloadOnce(L"first download", url, local);
  DeleteFileW(folder + L"\\.rules");
  DownloadOnce(L"second download (resumed)", url, local);
  Print(Formatted(L"local file equals the served package: %s", FileBytes(local) == package ? L"yes" : L"NO"));
  PutFile(folder + L"\\down.html", "<html><title>404\xB4\xED\xCE\xF3</title></html>\r\n");
  PutFile(folder + L"\\up.html", "<html><title>LCCA</title></html>\r\n");
  CNetCommunication check;
  Print(Formatted(L"IsConnect2Internet(up.html) = 0x%08lX; IsConnect2Tax(down.html, a page saying \"404错误\") = "
                  L"0x%08lX; IsConnect2Internet(missing.html) = 0x%08lX",
                  check.IsConnect2Internet(L"http://127.0.0.1:" + port + L"/up.html"),
                  check.IsConnect2Tax(L"http://127.0.0.1:" + port + L"/down.html"),
                  check.IsConnect2Internet(L"http://127.0.0.1:" + port + L"/missing.html")));
  for (const wchar_t* name : {L"\\update-package.bin", L"\\down.html", L"\\up.html"}) DeleteFileW(folder + name);
  DeleteFileW(local);
}

void ReportPing() {
  Print(L"== Client environment: ping (ICMP echo through the system's ICMP library)");
  CCommonFun tools;
  for (const wchar_t* host : {L"127.0.0.1", L"http://127.0.0.1:8080/ca/", L"no-such-host.invalid"}) {
    DWORD roundTrip = 0;
    int answered = tools.CAPing(host, roundTrip);
    Print(answered ? Formatted(L"CAPing(%s) = 1, round trip %lu ms", host, roundTrip)
                   : Formatted(L"CAPing(%s) = 0 (error %lu)", host, GetLastError()));
  }
}

// The report text, cut after `lines` lines.
CString FirstLines(const CString& text, int lines, int& total) {
  CString shown;
  total = 0;
  for (int start = 0, end; (end = text.Find(L"\r\n", start)) >= 0; start = end + 2) {
    if (++total <= lines) shown += L"  " + text.Mid(start, end - start) + L"\n";
  }
  return shown;
}

void ReportWmi() {
  Print(L"== Client environment: WMI reports (ROOT\\CIMV2)");
  int total = 0;
  CWMI system(L"操作系统", L"SELECT * FROM Win32_OperatingSystem");
  const wchar_t* systemProperties[] = {L"Caption", L"Version", L"BuildNumber", L"OSType", L"Primary", L"InstallDate"};
  DWORD code = system.CreateReport(systemProperties, 6);
  Print(Formatted(L"Win32_OperatingSystem (Caption, Version, BuildNumber, OSType, Primary, InstallDate) = 0x%08lX:",
                  code));
  Print(FirstLines(system.GetResult(), 4, total).Trim());
  CWMI services(L"服务", L"SELECT * FROM Win32_Service");
  const wchar_t* serviceProperties[] = {L"Name", L"State", L"StartMode"};
  code = services.CreateReport(serviceProperties, 3);
  CString shown = FirstLines(services.GetResult(), 9, total);
  Print(Formatted(L"Win32_Service (Name, State, StartMode) = 0x%08lX, %d line(s), the first 9:", code, total));
  Print(L"  " + shown.Trim());
  CWMI check(L"SELECT * FROM Win32_Service");
  Print(Formatted(L"Check(Name = plugplay) = 0x%08lX; Check(Name = plugplay, must be started) = 0x%08lX; "
                  L"Check(Name = no-such-service) = 0x%08lX",
                  check.Check(L"Name", L"plugplay", 0), check.Check(L"Name", L"plugplay", 1),
                  check.Check(L"Name", L"no-such-service", 0)));
  CWMI bad(L"SELECT * FROM");
  const wchar_t* name[] = {L"Name"};
  Print(Formatted(L"a malformed query: CreateReport = 0x%08lX, report \"%s\"", bad.CreateReport(name, 1),
                  Trimmed(bad.GetResult()).GetString()));
}

int CountPresent(const std::vector<std::wstring>& places) {
  int present = 0;
  for (const std::wstring& place : places) {
    win::UniqueRegKey key;
    bool isKey = place.rfind(L"HKLM\\", 0) == 0;
    if (isKey ? RegOpenKeyExW(HKEY_LOCAL_MACHINE, place.c_str() + 5, 0, KEY_READ, key.Put()) == ERROR_SUCCESS
              : GetFileAttributesW(place.c_str()) != INVALID_FILE_ATTRIBUTES)
      ++present;
  }
  return present;
}

// Lays out an EnterSafe ePass3003 package with an uninstaller that records
// that it ran, removes it with KeyDrvUninstall(2), and reports what is left.
void ReportRemoval() {
  Print(L"== Client environment: key-driver removal (a demonstration ePass3003 package laid out, then removed)");
  CCommonFun tools;
  FakeKeyDrivers fakes;
  FakeKeyDrivers::ClearUninstallerLog();
  std::wstring folder = FakeKeyDrivers::DriveRoot() + L"certassist-demo\\ePass3003\\";
  const std::wstring provider = L"SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider\\EnterSafe ePass3003 CSP For LCCA v1.0";
  fakes.SetString(L"SOFTWARE\\EnterSafe\\ePass3003_LCCA", L"Path", folder);
  fakes.PlaceUninstaller(folder + L"uninst.exe");
  fakes.AddPackageFiles(2, folder, L"uninst.exe");
  fakes.SetString(provider, L"Image Path", L"LCCACSP11.dll");
  fakes.SetRunValue(L"LCCACSP11", FakeKeyDrivers::SystemFolder() + L"LCCACSP11.exe");
  fakes.SetString(std::wstring(FakeKeyDrivers::kUninstall) + L"ePass3003-4FE7-A218-48BDAE051E2B_lcca", L"DisplayName",
                  L"ePass3003");
  fakes.AddFile(FakeKeyDrivers::DefaultFolder(2) + L"CertManager.exe");
  std::vector<std::wstring> places = {L"HKLM\\SOFTWARE\\EnterSafe\\ePass3003_LCCA", L"HKLM\\" + provider,
                                      L"HKLM\\" + std::wstring(FakeKeyDrivers::kUninstall) +
                                          L"ePass3003-4FE7-A218-48BDAE051E2B_lcca",
                                      FakeKeyDrivers::DefaultFolder(2)};
  for (const std::wstring& file : FakeKeyDrivers::SystemFiles(2)) places.push_back(FakeKeyDrivers::SystemFolder() + file);
  CString run;
  CRegister runKey;
  runKey.OpenLocalMachineKey(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
  Print(Formatted(L"before: installation folder %s, installed %d, registry probe %d, %d of %d keys, files and "
                  L"folders present, start-up entry LCCACSP11 %s",
                  tools.GetInstallDir(2).GetString(), tools.CheckDriverIsInstalled(2), tools.CheckRegKeyExist(2),
                  CountPresent(places), static_cast<int>(places.size()),
                  runKey.QueryValueStringEX(L"LCCACSP11", run) ? L"present" : L"absent"));
  tools.KeyDrvUninstall(2);
  std::vector<std::wstring> ran = FakeKeyDrivers::UninstallersRun(1, 5000);
  Print(Formatted(L"KeyDrvUninstall(2): uninstaller run %d time(s)%s%s", static_cast<int>(ran.size()),
                  ran.empty() ? L"" : L": ", ran.empty() ? L"" : ran.front().c_str()));
  Print(Formatted(L"after: installation folder \"%s\", %d of %d present, start-up entry LCCACSP11 %s, the package's "
                  L"own folder (not named for removal) %s",
                  tools.GetInstallDir(2).GetString(), CountPresent(places), static_cast<int>(places.size()),
                  runKey.QueryValueStringEX(L"LCCACSP11", run) ? L"present" : L"absent",
                  GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES ? L"kept" : L"gone"));
  FakeKeyDrivers::ClearUninstallerLog();
}

}  // namespace

// assistant [--download FOLDER PORT]: with a web server double serving
// FOLDER on 127.0.0.1:PORT, the report includes a download.
int wmain(int count, wchar_t** arguments) {
  ReportCertificates();
  ReportVersions();
  ReportConfiguration();
  ReportRegistry();
  ReportBase64();
  ReportSystem();
  ReportTrustedSites();
  ReportProcesses();
  ReportKeyDrivers();
  if (count >= 4 && wcscmp(arguments[1], L"--download") == 0) ReportDownload(arguments[2], arguments[3]);
  ReportPing();
  ReportWmi();
  ReportRemoval();
  return 0;
}
