// CCommonFun: the trusted-sites zone of the browser.
#include "CCommonFun.h"

#include <shellapi.h>

#include "CStdioFile.h"
#include "RegistrationFile.h"
#include "SystemFolders.h"
#include "TrustedSiteUrl.h"
#include "ZoneMap.h"

using namespace certassist;

namespace {

enum SiteStatus { kEmptyUrl = 1, kNoRule = 5 };
enum SiteResult { kFailed = 0, kStored = 1, kImportStarted = 6 };

// The ":Range" value is read back into 255 bytes; a longer host could be
// written but never found again, and every call would add another range.
const int kMaxRangeHostChars = 127;

CString RangeFileText(const wchar_t* scheme, const CString& rangeName, const CString& quotedHost) {
  CString text;
  text.Format(
      L"Windows Registry Editor Version 5.00\n"
      L"[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Ranges\\%s]\n"
      L"\"%s\"=dword:00000002\n"
      L"\":Range\"=\"%s\"",
      rangeName.GetString(), scheme, quotedHost.GetString());
  return text;
}

// The temporary folder with every "\" doubled, as the registry editor has
// always been given it.
CString RangeFilePath() {
  CString folder = TempFolder();
  folder.Replace(L"\\", L"\\\\");
  return folder + L"temp443fsdf3.reg";
}

int TrustRange(const TrustedSiteUrl& site, int& status) {
  const CString& host = site.RangeHost();
  const wchar_t* scheme = site.RangeScheme();
  CString quotedHost;
  if (host.GetLength() > kMaxRangeHostChars || !RegistrationFile::QuoteForReg(host, quotedHost)) {
    status = kNoRule;
    return kFailed;
  }
  switch (ZoneMap::FindRange(host, scheme)) {
    case ZoneMap::RangeSearch::kRootNotOpened:
      status = ZoneMap::kRootNotOpened;
      return kFailed;
    case ZoneMap::RangeSearch::kTrusted:
      return kStored;
    case ZoneMap::RangeSearch::kNotFound:
      break;
  }
  bool https = CString(scheme) == L"https";
  CString rangeName = ZoneMap::FreeRangeName(https ? 0 : 1);
  CString path = RangeFilePath();
  UINT openFlags = CStdioFile::modeCreate | CStdioFile::shareDenyNone |
                   (https ? CStdioFile::modeReadWrite : CStdioFile::modeWrite);
  if (RegistrationFile::Write(path, RangeFileText(scheme, rangeName, quotedHost), openFlags))
    RegistrationFile::ImportAndWait(path);
  return kImportStarted;
}

}  // namespace

int CCommonFun::SetTrustedSite(CString url, int& status) {
  if (url.IsEmpty()) {
    status = kEmptyUrl;
    return kFailed;
  }
  TrustedSiteUrl site(url);
  if (!site.DomainKeys().empty()) {
    const TrustedSiteUrl::DomainKey& domain = site.DomainKeys().front();
    int failure = ZoneMap::TrustDomain(domain.keyName, domain.scheme);
    if (failure == 0) return kStored;
    status = failure;
    return kFailed;
  }
  if (site.HasRange()) return TrustRange(site, status);
  status = kNoRule;
  return kFailed;
}

int CCommonFun::CheckTrustedSite(CString url, int& /*reserved*/) {
  if (url.IsEmpty()) return 0;
  TrustedSiteUrl site(url);
  for (const TrustedSiteUrl::DomainKey& domain : site.DomainKeys()) {
    if (ZoneMap::IsDomainTrusted(domain.keyName, domain.scheme)) return 1;
  }
  if (site.HasRange() && ZoneMap::FindRange(site.RangeHost(), site.RangeScheme()) == ZoneMap::RangeSearch::kTrusted)
    return 1;
  return 0;
}

void CCommonFun::ShellImportRegister(const wchar_t* regFile) {
  ShellExecuteW(nullptr, L"open", L"regedit.exe", RegistrationFile::ImportParameters(regFile), nullptr, SW_HIDE);
}
