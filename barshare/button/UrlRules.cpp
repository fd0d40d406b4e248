#include "button/UrlRules.h"

#include <windows.h>
#include <shlwapi.h>
#include <urlmon.h>
#include <wininet.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <string>

#include "button/CaseInsensitive.h"
#include "button/HostsFileNames.h"
#include "button/RegistrableTldTable.h"
#include "webslice/AnsiText.h"

namespace {

constexpr size_t kIpv4Chars = 1023;
constexpr size_t kHostChars = 1019;
constexpr size_t kTldChars = 127;
constexpr DWORD kSchemeChars = 512;
constexpr size_t kMaxSchemeLength = 30;
constexpr int kWorkBytes = 4168;

bool IsAsciiLetterOrDigit(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
}

// The schemes of the platform's INTERNET_SCHEME list.
bool IsKnownScheme(const wchar_t* scheme) {
  static const wchar_t* const kSchemes[] = {L"ftp",  L"gopher", L"http",       L"https",    L"file", L"news",
                                            L"mailto", L"socks", L"javascript", L"vbscript", L"res"};
  for (const wchar_t* known : kSchemes) {
    if (CaseInsensitive::Compare(scheme, known) == 0) return true;
  }
  return false;
}

// A known scheme, then ":". Used where IsValidURL answers yes to anything.
bool UrlSyntaxCheck(const wchar_t* text) {
  const wchar_t* colon = std::wcschr(text, L':');
  if (colon == nullptr || colon - text < 2) return false;  // "C:\..." is a path
  // No known scheme is longer; a longer one fails the check below anyway.
  wchar_t scheme[16];
  if (colon - text >= 16) return false;
  for (const wchar_t* c = text; c < colon; ++c) {
    if (!IsAsciiLetterOrDigit(*c) && *c != L'+' && *c != L'-' && *c != L'.') return false;
    scheme[c - text] = *c;
  }
  scheme[colon - text] = L'\0';
  return IsKnownScheme(scheme);
}

bool IsLocalhost(const wchar_t* text) {
  return CaseInsensitive::Compare(text, L"localhost") == 0 ||
         CaseInsensitive::Compare(text, L"localhost\\", 10) == 0 ||
         CaseInsensitive::Compare(text, L"localhost/", 10) == 0;
}

// The length of text's first `limit` characters cut at the first "/" and
// then at the first ":" (the first of the two).
size_t CutLength(const wchar_t* text, size_t limit) {
  size_t length = 0;
  while (length < limit && text[length] != L'\0' && text[length] != L'/' && text[length] != L':') ++length;
  return length;
}

bool IsDigit(wchar_t c) { return c < 0x80 ? c >= L'0' && c <= L'9' : iswdigit(c) != 0; }

bool IsDottedIpv4(const wchar_t* text) {
  const size_t length = CutLength(text, kIpv4Chars);
  int groups = 0;
  size_t digits = 0;
  for (size_t i = 0; i < length; ++i) {
    const wchar_t c = text[i];
    if (IsDigit(c)) {
      ++digits;
    } else if (c == L'.' && digits > 0 && groups < 3) {
      ++groups;
      digits = 0;
    } else {
      return false;
    }
  }
  return groups == 3 && digits > 0;
}

// Rule of the cracked scheme; returns false when cracking failed (decided = false).
bool CrackedSchemeLooksValid(const wchar_t* text, bool* decided) {
  wchar_t scheme[kSchemeChars] = L"";
  URL_COMPONENTSW parts = {};
  parts.dwStructSize = sizeof parts;
  parts.lpszScheme = scheme;
  parts.dwSchemeLength = kSchemeChars;
  *decided = InternetCrackUrlW(text, 0, ICU_DECODE, &parts) != FALSE;
  if (!*decided) return false;
  if (parts.nScheme != INTERNET_SCHEME_UNKNOWN) return true;
  scheme[kSchemeChars - 1] = L'\0';
  if (CaseInsensitive::Compare(scheme, L"site") == 0) return false;
  const size_t length = std::wcslen(scheme);
  if (length > kMaxSchemeLength) return false;
  for (size_t i = 0; i < length; ++i) {
    const wchar_t c = scheme[i];
    if (!IsAsciiLetterOrDigit(c) && c != L'+' && c != L'-' && c != L'.') return false;
  }
  return true;
}

// The host part of text: at most kHostChars characters, after the first
// "://" when there is one, cut at the first "/" and then at the first ":".
void HostOf(const wchar_t* text, wchar_t (&host)[kHostChars + 1]) {
  const size_t length = wcsnlen(text, kHostChars);
  size_t start = 0;
  for (size_t i = 0; i + 2 < length; ++i) {
    if (text[i] == L':' && text[i + 1] == L'/' && text[i + 2] == L'/') {
      start = i + 3;
      break;
    }
  }
  const size_t hostLength = CutLength(text + start, length - start);
  std::copy(text + start, text + start + hostLength, host);
  host[hostLength] = L'\0';
}

bool HasRegistrableTld(const wchar_t* host) {
  if (host[0] == L'\0' || host[0] == L'.' || std::wcschr(host + 1, L'.') == nullptr) return false;
  wchar_t tld[kTldChars + 1];
  const wchar_t* last = std::wcsrchr(host, L'.') + 1;
  const size_t length = wcsnlen(last, kTldChars);
  std::copy(last, last + length, tld);
  tld[length] = L'\0';
  return RegistrableTldTable::Contains(tld);
}

bool EndsWithSuffix(const wchar_t* text) {
  const size_t length = std::wcslen(text);
  for (const wchar_t* suffix : {L".me", L".eu", L".jobs"}) {
    const size_t suffixLength = std::wcslen(suffix);
    if (length >= suffixLength && CaseInsensitive::Compare(text + length - suffixLength, suffix) == 0) return true;
  }
  return false;
}

bool IsCopiedAsIs(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

// Percent-escapes bytes into at most room bytes. A double-byte character is
// never split: an escaped byte that may open a pair needs room for both.
std::string Escape(const std::string& bytes, size_t room, bool* cut) {
  static const char kDigits[] = "0123456789abcdef";
  std::string escaped;
  bool pairOpen = false;
  for (unsigned char c : bytes) {
    if (IsCopiedAsIs(c)) {
      if (escaped.size() + 1 > room) {
        *cut = true;
        break;
      }
      escaped += static_cast<char>(c);
      continue;
    }
    const bool closesPair = pairOpen;
    if (escaped.size() + (closesPair ? 3 : 6) > room) {
      *cut = true;
      break;
    }
    escaped += '%';
    escaped += kDigits[c >> 4];
    escaped += kDigits[c & 0x0F];
    pairOpen = !closesPair && c >= 0x80;
  }
  return escaped;
}

// The longest start of escaped text within room bytes that ends neither
// inside an escape ("%2" would not decode) nor between the two escapes of a
// double-byte character (half a character would decode to garbage).
size_t CleanCut(const std::string& escaped, size_t room) {
  size_t clean = 0;
  bool pairOpen = false;
  for (size_t at = 0; at < escaped.size();) {
    const bool isEscape = escaped[at] == '%' && at + 2 < escaped.size();
    const size_t step = isEscape ? 3 : 1;
    if (at + step > room) break;
    if (isEscape) {
      const bool closesPair = pairOpen;
      pairOpen = !closesPair && std::strtoul(escaped.substr(at + 1, 2).c_str(), nullptr, 16) >= 0x80;
    }
    at += step;
    if (!pairOpen) clean = at;
  }
  return clean;
}

}  // namespace

bool PlatformSaysValidUrl(const wchar_t* text) {
  // Some platforms carry IsValidURL as a stub that accepts anything; a text
  // with no scheme at all tells them apart.
  static const bool platformDecides = IsValidURL(nullptr, L"no scheme here", 0) != S_OK;
  return platformDecides ? IsValidURL(nullptr, text, 0) == S_OK : UrlSyntaxCheck(text);
}

bool LooksLikeUrl(const wchar_t* text) {
  if (text == nullptr || *text == L'\0') return false;
  if (CaseInsensitive::Compare(text, L"javascript") != 0 && PlatformSaysValidUrl(text)) return true;
  if (IsLocalhost(text)) return true;
  if (IsDottedIpv4(text)) return true;
  bool cracked = false;
  const bool validScheme = CrackedSchemeLooksValid(text, &cracked);
  if (cracked) return validScheme;
  wchar_t host[kHostChars + 1];
  HostOf(text, host);
  if (HasRegistrableTld(host)) return true;
  if (HostsFileNames::Contains(host)) return true;
  return EndsWithSuffix(text);
}

bool EscapeForUrl(const wchar_t* text, wchar_t* out, int outChars, unsigned codePage) {
  if (text == nullptr || out == nullptr || outChars < 2) return false;
  const UINT page = codePage != 0 ? codePage : GetACP();
  bool cut = false;
  const std::string bytes = AnsiText::FromWide(text, wcslen(text), kWorkBytes - 1, page, &cut);
  std::string escaped = Escape(bytes, kWorkBytes - 1, &cut);
  if (escaped.size() + 1 > static_cast<size_t>(outChars)) {
    cut = true;
    escaped.resize(CleanCut(escaped, static_cast<size_t>(outChars) - 1));
  }
  // The escaped text is ASCII: each byte is one character.
  for (size_t i = 0; i < escaped.size(); ++i) out[i] = static_cast<unsigned char>(escaped[i]);
  out[escaped.size()] = L'\0';
  return !cut;
}
