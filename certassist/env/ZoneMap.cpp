#include "ZoneMap.h"

#include "CRegister.h"
#include "RegistryReads.h"

namespace certassist {

namespace {

const wchar_t kDomainsRoot[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Domains";
const wchar_t kRangesRoot[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Ranges";
const DWORD kRangeValueBytes = 255;
const DWORD kRangeNameChars = 512;

bool IsTrustedRange(HKEY ranges, const wchar_t* name, const CString& host, const wchar_t* scheme) {
  win::UniqueRegKey range = OpenRegistryKey(ranges, name);
  CString rangeHost;
  DWORD zone = 0;
  return range && ReadRegistryString(range.Get(), L":Range", kRangeValueBytes, rangeHost) && rangeHost == host &&
         ReadRegistryDword(range.Get(), scheme, zone) && zone == ZoneMap::kTrustedZone;
}

}  // namespace

int ZoneMap::TrustDomain(const CString& keyName, const wchar_t* scheme) {
  CRegister domains;
  if (domains.OpenCurrentKey(kDomainsRoot) != ERROR_SUCCESS) return kRootNotOpened;
  if (!domains.CreateKey(keyName)) return kKeyNotCreated;
  if (domains.SetValueDword(scheme, kTrustedZone) != ERROR_SUCCESS) return kValueNotSet;
  return 0;
}

bool ZoneMap::IsDomainTrusted(const CString& keyName, const wchar_t* scheme) {
  CRegister site;
  if (site.OpenCurrentKey(CString(kDomainsRoot) + L"\\" + keyName) != ERROR_SUCCESS) return false;
  return site.QueryValueDword(scheme) == kTrustedZone;
}

ZoneMap::RangeSearch ZoneMap::FindRange(const CString& host, const wchar_t* scheme) {
  win::UniqueRegKey ranges = OpenRegistryKey(HKEY_CURRENT_USER, kRangesRoot);
  if (!ranges) return RangeSearch::kRootNotOpened;
  wchar_t name[kRangeNameChars + 1];
  for (DWORD index = 0;; ++index) {
    DWORD chars = kRangeNameChars + 1;
    LONG result = RegEnumKeyExW(ranges.Get(), index, name, &chars, nullptr, nullptr, nullptr, nullptr);
    if (result == ERROR_MORE_DATA) continue;  // a name too long to be one of ours
    if (result != ERROR_SUCCESS) return RangeSearch::kNotFound;
    if (IsTrustedRange(ranges.Get(), name, host, scheme)) return RangeSearch::kTrusted;
  }
}

CString ZoneMap::FreeRangeName(int first) {
  win::UniqueRegKey ranges = OpenRegistryKey(HKEY_CURRENT_USER, kRangesRoot);
  CString name;
  for (int number = first;; ++number) {
    name.Format(L"Range%d", number);
    if (!ranges || !OpenRegistryKey(ranges.Get(), name)) return name;
  }
}

}  // namespace certassist
