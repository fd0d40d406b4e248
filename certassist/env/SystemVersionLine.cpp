#include "SystemVersionLine.h"

namespace certassist {

namespace {

const wchar_t kUnknown[] = L"-----操作系统版本-----";

bool Has(const OSVERSIONINFOEXW& version, WORD suite) { return (version.wSuiteMask & suite) != 0; }

bool IsVersion(const OSVERSIONINFOEXW& version, DWORD major, DWORD minor) {
  return version.dwMajorVersion == major && version.dwMinorVersion == minor;
}

CString Windows9xName(const OSVERSIONINFOEXW& version) {
  if (IsVersion(version, 4, 0)) return L"Microsoft Windows 95 ";
  if (IsVersion(version, 4, 10)) return L"Microsoft Windows 98 ";
  if (IsVersion(version, 4, 90)) return L"Microsoft Windows me ";
  return kUnknown;
}

}  // namespace

SystemVersionLine::Facts SystemVersionLine::CurrentFacts() {
  Facts facts;
  facts.version.dwOSVersionInfoSize = sizeof facts.version;
  facts.known = GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&facts.version)) != FALSE;
  if (!facts.known) {
    facts.version = OSVERSIONINFOEXW{};
    facts.version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    facts.known = GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&facts.version)) != FALSE;
  }
  SYSTEM_INFO system{};
  // Without GetNativeSystemInfo (before XP) the program's view is the system's.
  using NativeInfo = void(WINAPI*)(SYSTEM_INFO*);
  auto native = reinterpret_cast<NativeInfo>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetNativeSystemInfo")));
  if (native != nullptr) {
    native(&system);
  } else {
    GetSystemInfo(&system);
  }
  facts.architecture = system.wProcessorArchitecture;
  facts.serverR2 = GetSystemMetrics(SM_SERVERR2);
  return facts;
}

CString SystemVersionLine::Text(const Facts& facts) {
  const OSVERSIONINFOEXW& version = facts.version;
  if (!facts.known) return CString(kUnknown) + L"获取系统版本失败\r\n";
  if (version.dwPlatformId == VER_PLATFORM_WIN32s) return L" Windows 3.1 \r\n";
  if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) return Windows9xName(version) + L"\r\n";
  if (version.dwPlatformId != VER_PLATFORM_WIN32_NT) return CString(kUnknown) + L"\r\n";
  CString line = NtName(facts);
  line += version.szCSDVersion;
  CString build;
  build.Format(L" (build %lu)\r\n", version.dwBuildNumber & 0xFFFF);
  return line + build;
}

CString SystemVersionLine::NtName(const Facts& facts) {
  const OSVERSIONINFOEXW& version = facts.version;
  bool workstation = version.wProductType == VER_NT_WORKSTATION;
  if (IsVersion(version, 6, 1)) return workstation ? L"Microsoft Windows 7 " : L"Microsoft Windows Server 2008 R2 ";
  if (IsVersion(version, 6, 0)) {
    CString name = workstation ? L"Windows Vista " : L"Windows Server 2008 ";
    if (facts.architecture == PROCESSOR_ARCHITECTURE_AMD64) name += L", 64-bit";
    return name;
  }
  if (IsVersion(version, 5, 2)) {
    if (workstation && facts.architecture == PROCESSOR_ARCHITECTURE_AMD64)
      return L"Microsoft Windows XP Professional x64 Edition ";
    CString name;
    if (facts.serverR2 != 0) {
      name = L"Microsoft Windows Server 2003 R2 ";
    } else if (version.wSuiteMask == VER_SUITE_STORAGE_SERVER) {
      name = L"Windows Storage Server 2003 ";
    } else {
      name = L"Windows Server 2003 ";
    }
    if (!workstation) name += Server2003Edition(facts);
    return name;
  }
  if (IsVersion(version, 5, 1))
    return CString(L"Microsoft Windows XP ") + (Has(version, VER_SUITE_PERSONAL) ? L"Home Edition " : L"Professional");
  if (IsVersion(version, 5, 0)) {
    CString name = L"Microsoft Windows 2000 ";
    if (workstation) return name + L"Professional";
    if (Has(version, VER_SUITE_DATACENTER)) return name + L"Datacenter Server";
    if (Has(version, VER_SUITE_ENTERPRISE)) return name + L"Advanced Server";
    return name + L"Server";
  }
  if (version.dwMajorVersion <= 4) return L"Microsoft Windows NT ";
  return kUnknown;
}

CString SystemVersionLine::Server2003Edition(const Facts& facts) {
  const OSVERSIONINFOEXW& version = facts.version;
  if (facts.architecture == PROCESSOR_ARCHITECTURE_IA64) {
    if (Has(version, VER_SUITE_DATACENTER)) return L"Datacenter Edition for Itanium-based Systems";
    if (Has(version, VER_SUITE_ENTERPRISE)) return L"Enterprise Edition for Itanium-based Systems";
    return CString();
  }
  if (facts.architecture == PROCESSOR_ARCHITECTURE_AMD64) {
    if (Has(version, VER_SUITE_DATACENTER)) return L"Datacenter x64 Edition";
    if (Has(version, VER_SUITE_ENTERPRISE)) return L"Enterprise x64 Edition";
    return L"Standard x64 Edition";
  }
  if (Has(version, VER_SUITE_COMPUTE_SERVER)) return L"Compute Cluster Edition";
  if (Has(version, VER_SUITE_DATACENTER)) return L"Datacenter Edition";
  if (Has(version, VER_SUITE_ENTERPRISE)) return L"Enterprise Edition";
  if (Has(version, VER_SUITE_BLADE)) return L"Web Edition";
  return L"Standard Edition";
}

}  // namespace certassist
