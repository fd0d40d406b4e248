#include "button/UrlRules.h"

#include <windows.h>
#include <shlwapi.h>
#include <urlmon.h>
#include <wininet.h>

#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <string>

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
bool IsKnownScheme(const std::wstring& scheme) {
  static const wchar_t* const kSchemes[] = {L"ftp",  L"gopher", L"http",       L"https",    L"file", L"news",
                                            L"mailto", L"socks", L"javascript", L"vbscript", L"res"};
  for (const wchar_t* known : kSchemes) {
    if (StrCmpIW(scheme.c_str(), known) == 0) return true;
  }
  return false;
}

// A known scheme, then ":". Used where IsValidURL answers yes to anything.
bool UrlSyntaxCheck(const wchar_t* text) {
  const wchar_t* colon = std::wcschr(text, L':');
  if (colon == nullptr || colon - text < 2) return false;  // "C:\..." is a path
  std::wstring scheme(text, colon);
  for (wchar_t c : scheme) {
    if (!IsAsciiLetterOrDigit(c) && c != L'+' && c != L'-' && c != L'.') return false;
  }
  return IsKnownScheme(scheme);
}

bool IsLocalhost(const wchar_t* text) {
  return StrCmpIW(text, L"localhost") == 0 || StrCmpNIW(text, L"localhost\\", 10) == 0 ||
         StrCmpNIW(text, L"localhost/", 10) == 0;
}

// Copies at most limit characters of text, cut at the first of each of cuts in turn.
std::wstring CutCopy(const wchar_t* text, size_t limit, const wchar_t* cuts) {
  std::wstring copy(text, wcsnlen(text, limit));
  for (const wchar_t* cut = cuts; *cut != L'\0'; ++cut) {
    const size_t at = copy.find(*cut);
    if (at != std::wstring::npos) copy.resize(at);
  }
  return copy;
}

bool IsDottedIpv4(const wchar_t* text) {
  const std::wstring host = CutCopy(text, kIpv4Chars, L"/:");
  int groups = 0;
  size_t digits = 0;
  for (wchar_t c : host) {
    if (iswdigit(c)) {
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
  const std::wstring name(scheme, wcsnlen(scheme, kSchemeChars));
  if (StrCmpIW(name.c_str(), L"site") == 0) return false;
  if (name.size() > kMaxSchemeLength) return false;
  for (wchar_t c : name) {
    if (!IsAsciiLetterOrDigit(c) && c != L'+' && c != L'-' && c != L'.') return false;
  }
  return true;
}

std::wstring HostOf(const wchar_t* text) {
  std::wstring copy(text, wcsnlen(text, kHostChars));
  const size_t scheme = copy.find(L"://");
  if (scheme != std::wstring::npos) copy.erase(0, scheme + 3);
  return CutCopy(copy.c_str(), copy.size(), L"/:");
}

bool HasRegistrableTld(const std::wstring& host) {
  if (host.empty() || host[0] == L'.' || host.find(L'.', 1) == std::wstring::npos) return false;
  const std::wstring tld = host.substr(host.rfind(L'.') + 1, kTldChars);
  return RegistrableTldTable::Contains(tld.c_str());
}

bool EndsWithSuffix(const wchar_t* text) {
  const size_t length = std::wcslen(text);
  for (const wchar_t* suffix : {L".me", L".eu", L".jobs"}) {
    const size_t suffixLength = std::wcslen(suffix);
    if (length >= suffixLength && StrCmpIW(text + length - suffixLength, suffix) == 0) return true;
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
  if (StrCmpIW(text, L"javascript") != 0 && PlatformSaysValidUrl(text)) return true;
  if (IsLocalhost(text)) return true;
  if (IsDottedIpv4(text)) return true;
  bool cracked = false;
  const bool validScheme = CrackedSchemeLooksValid(text, &cracked);
  if (cracked) return validScheme;
  const std::wstring host = HostOf(text);
  if (HasRegistrableTld(host)) return true;
  if (HostsFileNames::Contains(host.c_str())) return true;
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
