// The URL rules: any text of any length gets an answer, the same each time;
// escaping never writes past the buffer it is given, writes only letters,
// digits, "-", "_" and whole escapes, and, when it answers true, undoes to the
// text's bytes in the chosen code page.
#include <windows.h>

#include <string>
#include <vector>

#include "HostileInput.h"
#include "button/UrlRules.h"

namespace {

const std::vector<std::wstring> kSamples = {
    L"http://www.example.com/a?b=1&c=2#d", L"www.example.com", L"LOCALHOST/test", L"10.0.0.1:8080/x",
    L"999.1.1.1",  L"foo.eu", L"x.JOBS", L"javascript", L"site:abc", L"mailto:a@b.cn", L"ftp://[::1]:21/",
    L"新浪.com.cn", L"file:///C:/a b",
};

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::wstring Text(hostile::Input& input) {
  if (input.Chance(30)) return input.WideText(5000);
  // Mutated byte by byte as if ASCII, then widened: the samples' Chinese
  // characters become other characters.
  std::vector<std::string> tokens = {"://", ".", "/", ":", "\\", "localhost", ".com", ".me", "%", "@", "#"};
  std::wstring sample = kSamples[input.Below(kSamples.size())];
  std::string bytes;
  for (wchar_t c : sample) bytes += static_cast<char>(c & 0xFF);
  std::wstring text;
  for (char c : input.Mutate(bytes, tokens)) text += c != 0 ? static_cast<wchar_t>(static_cast<unsigned char>(c)) : L' ';
  return text;
}

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  return -1;
}

}  // namespace

HOSTILE_TARGET(url_rules) {
  const std::wstring text = Text(input);
  input.Record(Narrow(text));
  const bool first = LooksLikeUrl(text.c_str());
  HOSTILE_CHECK(LooksLikeUrl(text.c_str()) == first, "the same text gets the same answer");
}

HOSTILE_TARGET(url_escaping) {
  const std::wstring text = Text(input);
  input.Record(Narrow(text));
  const unsigned pages[] = {0, 936, 65001, 1252, 437};
  const unsigned page = pages[input.Below(5)];
  const int outChars = static_cast<int>(input.Chance(50) ? input.Below(40) : input.Below(20000));
  const wchar_t kGuard = 0xBEEF;
  std::vector<wchar_t> out(outChars + 16, kGuard);
  const bool complete = EscapeForUrl(text.c_str(), out.data(), outChars, page);
  for (size_t i = outChars; i < out.size(); ++i) HOSTILE_CHECK(out[i] == kGuard, "nothing is written past outChars");
  if (outChars < 2) {
    HOSTILE_CHECK(!complete && out[0] == kGuard, "a buffer of fewer than two characters is left alone");
    return;
  }
  std::wstring escaped(out.data());
  HOSTILE_CHECK(escaped.size() < static_cast<size_t>(outChars), "the result ends within the buffer");
  std::string bytes;
  for (size_t i = 0; i < escaped.size(); ++i) {
    wchar_t c = escaped[i];
    bool plain = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'-' ||
                 c == L'_';
    if (plain) {
      bytes += static_cast<char>(c);
      continue;
    }
    HOSTILE_CHECK(c == L'%' && i + 2 < escaped.size() && HexValue(escaped[i + 1]) >= 0 &&
                      HexValue(escaped[i + 2]) >= 0,
                  "only letters, digits, \"-\", \"_\" and whole escapes are written");
    bytes += static_cast<char>(HexValue(escaped[i + 1]) * 16 + HexValue(escaped[i + 2]));
    i += 2;
  }
  if (complete) {
    UINT codePage = page != 0 ? page : GetACP();
    int needed = WideCharToMultiByte(codePage, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string expected(needed > 0 ? needed : 1, '\0');
    WideCharToMultiByte(codePage, 0, text.c_str(), -1, &expected[0], needed, nullptr, nullptr);
    expected.resize(needed > 0 ? needed - 1 : 0);
    HOSTILE_CHECK(bytes == expected, "a complete escape undoes to the text's bytes");
  }
}
