#pragma once

#include <vector>

#include "CString.h"

namespace certassist {

// Where a site address goes in the browser's zone map. The address is cut by
// fixed lengths, as the assistant's callers expect: scheme "://" host, with
// anything after the host kept in the key name.
class TrustedSiteUrl {
 public:
  // One domain rule that applies: the key below the Domains root and the
  // value name ("http" or "https").
  struct DomainKey {
    CString keyName;
    const wchar_t* scheme;
  };

  explicit TrustedSiteUrl(const CString& url);

  // The domain rules that apply, in the order they are tried.
  const std::vector<DomainKey>& DomainKeys() const { return m_domainKeys; }
  // The range rule: false when the address has no scheme or no usable host.
  bool HasRange() const { return m_rangeScheme != nullptr; }
  const wchar_t* RangeScheme() const { return m_rangeScheme; }
  const CString& RangeHost() const { return m_rangeHost; }

  // A host that can become a key name or a quoted .reg string unchanged: not
  // empty, without "\", '"' or control characters.
  static bool IsStorableHost(const CString& host);

 private:
  void AddDomainRule(const wchar_t* contains, const wchar_t* parentDomain);
  bool CutHost(int prefixLength, const wchar_t* parentDomain, CString& keyName) const;

  CString m_url;
  std::vector<DomainKey> m_domainKeys;
  const wchar_t* m_rangeScheme = nullptr;
  CString m_rangeHost;
};

}  // namespace certassist
