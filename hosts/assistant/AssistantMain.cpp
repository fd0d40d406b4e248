// Stands in for the certificate assistant: links certassist.dll's import
// library, uses its exported classes the way the assistant does and prints a
// report (UTF-8) of what they found.
#include <windows.h>

#include <cstdio>
#include <string>

#include "Base64.h"
#include "CCertDlg.h"
#include "CConfigFile.h"
#include "CModuleVersion.h"
#include "CRegister.h"
#include "CertificateMaker.h"

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

}  // namespace

int wmain() {
  ReportCertificates();
  ReportVersions();
  ReportConfiguration();
  ReportRegistry();
  ReportBase64();
  return 0;
}
