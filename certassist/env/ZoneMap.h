#pragma once

#include "CString.h"

namespace certassist {

// The current user's zone map of the browser: trusted sites are keys below
// the Domains root (host names) or the Ranges root (everything else) whose
// scheme value ("http" or "https") is 2.
class ZoneMap {
 public:
  static const DWORD kTrustedZone = 2;

  // SetTrustedSite's status codes.
  enum Status { kRootNotOpened = 2, kKeyNotCreated = 3, kValueNotSet = 4 };

  // Creates keyName below the Domains root with scheme = 2: 0, or a status.
  static int TrustDomain(const CString& keyName, const wchar_t* scheme);
  static bool IsDomainTrusted(const CString& keyName, const wchar_t* scheme);

  enum class RangeSearch { kTrusted, kNotFound, kRootNotOpened };
  // Looks for a range key whose ":Range" is host and whose scheme value is 2.
  static RangeSearch FindRange(const CString& host, const wchar_t* scheme);
  // "Range<n>" for the first n from first upward whose key cannot be opened.
  static CString FreeRangeName(int first);
};

}  // namespace certassist
