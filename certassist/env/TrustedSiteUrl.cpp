#include "TrustedSiteUrl.h"

namespace certassist {

namespace {

struct SchemePrefix {
  const wchar_t* prefix;
  const wchar_t* scheme;
};
const SchemePrefix kSchemes[] = {{L"http://", L"http"}, {L"https://", L"https"}};

bool StartsWith(const CString& text, const CString& start) {
  return text.GetLength() >= start.GetLength() && text.Left(start.GetLength()) == start;
}

}  // namespace

TrustedSiteUrl::TrustedSiteUrl(const CString& url) : m_url(url) {
  AddDomainRule(L"com.cn", L"com.cn");
  AddDomainRule(L"com", nullptr);
  AddDomainRule(L"net.cn", L"net.cn");
  AddDomainRule(L"net", nullptr);
  AddDomainRule(L"gov.cn", L"gov.cn");
  AddDomainRule(L"gov", nullptr);
  for (const SchemePrefix& scheme : kSchemes) {
    if (!StartsWith(m_url, scheme.prefix)) continue;
    CString host = m_url.Mid(CString(scheme.prefix).GetLength());
    if (IsStorableHost(host)) {
      m_rangeScheme = scheme.scheme;
      m_rangeHost = host;
    }
    break;
  }
}

bool TrustedSiteUrl::IsStorableHost(const CString& host) {
  if (host.IsEmpty()) return false;
  for (int i = 0; i < host.GetLength(); ++i) {
    wchar_t ch = host[i];
    if (ch < 0x20 || ch == 0x7F || ch == L'\\' || ch == L'"') return false;
  }
  return true;
}

// The scheme must open the address: a scheme found further in is no scheme
// the fixed cuts could count on.
void TrustedSiteUrl::AddDomainRule(const wchar_t* contains, const wchar_t* parentDomain) {
  if (m_url.Find(contains) < 0) return;
  for (const SchemePrefix& scheme : kSchemes) {
    if (!StartsWith(m_url, scheme.prefix)) continue;
    CString keyName;
    if (CutHost(CString(scheme.prefix).GetLength(), parentDomain, keyName))
      m_domainKeys.push_back({keyName, scheme.scheme});
    return;
  }
}

// With a parent domain (".com.cn" and the like) the host is what lies between
// the scheme and the last seven characters. Without one, a "www." host is
// stored below the rest of its name; any other host as it is.
bool TrustedSiteUrl::CutHost(int prefixLength, const wchar_t* parentDomain, CString& keyName) const {
  CString host;
  const int kParentLength = 7;  // ".com.cn", ".net.cn", ".gov.cn"
  if (parentDomain != nullptr) {
    host = m_url.Mid(prefixLength, m_url.GetLength() - prefixLength - kParentLength);
    keyName = CString(parentDomain) + L"\\" + host;
  } else if (StartsWith(m_url.Mid(prefixLength), L"www.")) {
    host = m_url.Mid(prefixLength + 4);
    keyName = host + L"\\www";
  } else {
    host = m_url.Mid(prefixLength);
    keyName = host;
  }
  return IsStorableHost(host);
}

}  // namespace certassist
