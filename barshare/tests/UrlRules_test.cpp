// LooksLikeUrl and EscapeForUrl against a hosts file of the test's own,
// written into the prefix's system folder before any test runs and put back
// afterwards.
#include "button/UrlRules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempFolder.h"
#include "ToolbarTestSupport.h"
#include "button/HostsFileNames.h"
#include "button/RegistrableTldTable.h"
#include "win/Handles.h"

namespace {

// A line longer than the 259 bytes read at a time: its name is cut to
// 250 characters (259 minus "10.0.0.7 ") and its rest gives nothing.
const std::string kLongName(292, 'x');
constexpr size_t kLongNameKept = 250;

std::string HostsFileText() {
  return "# hosts of the URL tests\r\n"
         "127.0.0.1 localhost\r\n"
         "10.1.2.3 myhost #comment\r\n"
         "   # only a comment\r\n"
         "192.168.0.9\r\n"
         "192.168.0.10\ttabhost\r\n"
         "  10.9.9.9   intranet-box   alias-ignored\r\n"
         "\r\n"
         "10.0.0.5 printer.local\r\n"
         "10.0.0.6 \xD6\xD0\xCE\xC4\xD6\xF7\xBB\xFA\r\n"  // 中文主机 in code page 936
         "10.0.0.7 " + kLongName + "\r\n";
}

class HostsFileEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    path_ = WideToAnsi(HostsFileNames::Path());
    hadFile_ = GetFileAttributesA(path_.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (hadFile_) original_ = ReadFileBytes(path_);
    ASSERT_TRUE(WriteFileBytes(path_, HostsFileText()));
  }
  void TearDown() override {
    if (hadFile_) {
      WriteFileBytes(path_, original_);
    } else {
      DeleteFileA(path_.c_str());
    }
  }

 private:
  static std::string WideToAnsi(const std::wstring& text) {
    char buffer[MAX_PATH * 2] = "";
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, buffer, sizeof buffer, nullptr, nullptr);
    return buffer;
  }
  std::string path_;
  bool hadFile_ = false;
  std::string original_;
};

// One program at a time owns the hosts file; environments set up in order.
::testing::Environment* const kSerial =
    ::testing::AddGlobalTestEnvironment(new CrossProcessLock(L"barshare-hosts-file-tests"));
::testing::Environment* const kHostsFile = ::testing::AddGlobalTestEnvironment(new HostsFileEnvironment);

struct UrlCase {
  std::wstring text;
  bool expected;
};

std::ostream& operator<<(std::ostream& stream, const UrlCase& c) {
  std::string narrow;
  for (wchar_t ch : c.text.substr(0, 60)) narrow += ch < 128 ? static_cast<char>(ch) : '?';
  return stream << '"' << narrow << (c.text.size() > 60 ? "...\"" : "\"") << " (" << c.text.size() << " chars)";
}

class LooksLikeUrlCases : public ::testing::TestWithParam<UrlCase> {};

TEST_P(LooksLikeUrlCases, Decides) { EXPECT_EQ(LooksLikeUrl(GetParam().text.c_str()), GetParam().expected); }

std::wstring Repeat(wchar_t c, size_t count) { return std::wstring(count, c); }

const UrlCase kUrlCases[] = {
    // 1: empty
    {L"", false},
    // 2: a URL with a scheme
    {L"http://www.example.com/a b", true},
    {L"HTTPS://EXAMPLE.COM", true},
    {L"http://", true},
    {L"ftp://files.example.net/pub", true},
    {L"mailto:someone@example.com", true},
    {L"javascript:void(0)", true},
    {L"file:///C:/Windows/win.ini", true},
    // the bare word javascript is never a URL by itself
    {L"javascript", false},
    {L"JavaScript", false},
    // 3: localhost
    {L"localhost", true},
    {L"LocalHost", true},
    {L"LOCALHOST/test", true},
    {L"localhost\\share", true},
    {L"localhostx", false},
    // 4: dotted IPv4 forms, groups not range-checked
    {L"1.2.3.4", true},
    {L"10.0.0.1:8080/x", true},
    {L"999.1.1.1", true},
    {L"1.2.3.4/path/page.html", true},
    {L"1.2.3", false},
    {L"1.2.3.4.5", false},
    {L"1..2.3", false},
    {L"1.2.3.", false},
    {L".1.2.3", false},
    {L"a.1.2.3", false},
    {L"1.2.3.4 x", false},
    {L"1.2.3." + Repeat(L'4', 1017) + L"x", true},   // cut at 1023 characters, the x is gone
    {L"1.2.3." + Repeat(L'4', 1016) + L"x", false},  // within 1023 characters, the x counts
    // 5: cracked schemes
    {L"about:blank", true},
    {L"x+y-z.w:abc", true},
    {L"site:abc", false},
    {L"SITE:abc", false},
    {Repeat(L'a', 30) + L":x", true},
    {Repeat(L'a', 31) + L":x", false},
    // 6: bare host names under a registrable top-level domain
    {L"www.example.COM", true},
    {L"example.com/path", true},
    {L"example.cn", true},
    {L"example.museum", true},
    {L"a.b.c.arpa", true},
    {L"shop.Asia", true},
    {L"user@example.org", true},
    {L"host.local", false},
    {L".com", false},
    {L"com", false},
    {L"foo.", false},
    {L"example.comx", false},
    {L"example.c0m", false},
    {Repeat(L'a', 1015) + L".com", true},  // exactly 1019 characters
    {Repeat(L'a', 1016) + L".com", true},  // cut to "….co": still registrable
    {Repeat(L'a', 1017) + L".com", false},  // cut to "….c"
    // 7: names of the hosts file, any case, first name of a line only
    {L"myhost", true},
    {L"MYHOST", true},
    {L"myhost/page", true},
    {L"intranet-box", true},
    {L"printer.local", true},
    {L"中文主机", true},
    {std::wstring(kLongName.begin(), kLongName.begin() + kLongNameKept), true},
    {std::wstring(kLongName.begin(), kLongName.end()), false},
    {L"alias-ignored", false},
    {L"tabhost", false},
    {L"comment", false},
    {L"other.local", false},
    // 8: suffixes of the whole text
    {L"foo.eu", true},
    {L"x.JOBS", true},
    {L"about.me", true},
    {L".eu", true},
    {L"eu", false},
    {L"me", false},
    {L"foo.eu/page", false},
    // 9: anything else
    {L"hello world", false},
    {L"   ", false},
    {L"a", false},
    {Repeat(L'a', 4200), false},
    {Repeat(L'b', 100000), false},
    {L"http://" + Repeat(L'c', 100000) + L".com", true},
    {L"\xD800", false},
    {L"abc\xDC00.com", true},
};

INSTANTIATE_TEST_SUITE_P(Table, LooksLikeUrlCases, ::testing::ValuesIn(kUrlCases));

TEST(LooksLikeUrl, MissingTextIsNoUrl) { EXPECT_FALSE(LooksLikeUrl(nullptr)); }

TEST(HostsFileNames, TakesTheFirstNameOfEachLine) {
  std::vector<std::wstring> expected = {L"localhost",     L"myhost",   L"intranet-box",
                                        L"printer.local", L"中文主机", std::wstring(kLongNameKept, L'x')};
  EXPECT_EQ(HostsFileNames::Names(), expected);
  EXPECT_TRUE(HostsFileNames::Contains(L"INTRANET-BOX"));
  EXPECT_FALSE(HostsFileNames::Contains(nullptr));
}

TEST(HostsFileNames, LineRules) {
  std::wstring name;
  EXPECT_TRUE(HostsFileNames::ParseLine("10.1.2.3 myhost #comment\n", &name));
  EXPECT_EQ(name, L"myhost");
  EXPECT_TRUE(HostsFileNames::ParseLine("  ::1   ip6-host   other\r\n", &name));
  EXPECT_EQ(name, L"ip6-host");
  EXPECT_TRUE(HostsFileNames::ParseLine("1.2.3.4 end", &name));
  EXPECT_EQ(name, L"end");
  EXPECT_FALSE(HostsFileNames::ParseLine("    # spaces and a comment\n", &name));
  EXPECT_FALSE(HostsFileNames::ParseLine("192.168.0.9\n", &name));
  EXPECT_FALSE(HostsFileNames::ParseLine("192.168.0.9   \n", &name));
  EXPECT_FALSE(HostsFileNames::ParseLine("192.168.0.10\ttabhost\n", &name));
  EXPECT_FALSE(HostsFileNames::ParseLine("1.2.3.4 #name\n", &name));
  EXPECT_FALSE(HostsFileNames::ParseLine("", &name));
  EXPECT_FALSE(HostsFileNames::ParseLine("\n", &name));
}

TEST(HostsFileNames, UnreadableFileGivesNoNames) {
  TempFolder folder;
  std::wstring missing(folder.Path().begin(), folder.Path().end());
  EXPECT_TRUE(HostsFileNames::Load(missing + L"\\hosts").empty());
}

TEST(RegistrableTldTable, SortedUpperCaseAndComplete) {
  ASSERT_EQ(RegistrableTldTable::Size(), 261u);
  for (size_t i = 1; i < RegistrableTldTable::Size(); ++i) {
    EXPECT_LT(std::wstring(RegistrableTldTable::Entry(i - 1)), std::wstring(RegistrableTldTable::Entry(i)));
  }
  for (size_t i = 0; i < RegistrableTldTable::Size(); ++i) {
    EXPECT_TRUE(RegistrableTldTable::Contains(RegistrableTldTable::Entry(i)));
  }
  EXPECT_TRUE(RegistrableTldTable::Contains(L"museum"));
  for (const wchar_t* missing : {L"eu", L"me", L"jobs", L"local", L"", L"a", L"zz", L"comm"}) {
    EXPECT_FALSE(RegistrableTldTable::Contains(missing)) << static_cast<char>(missing[0]);
  }
}

// EscapeForUrl into a buffer of outChars with guard characters after it.
struct Escaped {
  bool result;
  std::wstring text;
  bool guardIntact;
};

Escaped Escape(const std::wstring& text, int outChars, unsigned codePage = 936) {
  std::vector<wchar_t> buffer(outChars + 16, L'#');
  bool result = EscapeForUrl(text.c_str(), buffer.data(), outChars, codePage);
  bool guard = true;
  for (size_t i = outChars; i < buffer.size(); ++i) guard = guard && buffer[i] == L'#';
  size_t length = 0;
  while (length < static_cast<size_t>(outChars) && buffer[length] != L'\0') ++length;
  EXPECT_LT(length, static_cast<size_t>(outChars)) << "no NUL within outChars";
  return {result, std::wstring(buffer.data(), length), guard};
}

TEST(EscapeForUrl, KeepsLettersDigitsDashAndUnderscore) {
  Escaped e = Escape(L"AZaz09-_", 2084);
  EXPECT_TRUE(e.result);
  EXPECT_EQ(e.text, L"AZaz09-_");
  EXPECT_EQ(Escape(L"", 2084).text, L"");
}

TEST(EscapeForUrl, EscapesEveryOtherByteInLowerCaseHex) {
  EXPECT_EQ(Escape(L"a b", 2084).text, L"a%20b");
  EXPECT_EQ(Escape(L"a.b/c", 2084).text, L"a%2eb%2fc");
  EXPECT_EQ(Escape(L"100%", 2084).text, L"100%25");
  EXPECT_EQ(Escape(L"http://x.cn/?q=1&r=2#f", 2084).text, L"http%3a%2f%2fx%2ecn%2f%3fq%3d1%26r%3d2%23f");
  EXPECT_EQ(Escape(L"中", 2084, 936).text, L"%d6%d0");
  EXPECT_EQ(Escape(L"é", 2084, CP_UTF8).text, L"%c3%a9");
  if (GetACP() == 936) {
    EXPECT_EQ(Escape(L"中文", 2084, 0).text, L"%d6%d0%ce%c4");
  }
}

TEST(EscapeForUrl, RefusesMissingArgumentsAndTinyBuffers) {
  wchar_t out[4] = {L'x', L'y', L'z', L'\0'};
  EXPECT_FALSE(EscapeForUrl(L"abc", out, 1, 936));
  EXPECT_STREQ(out, L"xyz");
  EXPECT_FALSE(EscapeForUrl(L"abc", out, 0, 936));
  EXPECT_FALSE(EscapeForUrl(nullptr, out, 4, 936));
  EXPECT_STREQ(out, L"xyz");
  EXPECT_FALSE(EscapeForUrl(L"abc", nullptr, 4, 936));
}

TEST(EscapeForUrl, CutsToTheOutputAndSaysSo) {
  Escaped two = Escape(L"ab", 2);
  EXPECT_FALSE(two.result);
  EXPECT_EQ(two.text, L"a");
  EXPECT_TRUE(two.guardIntact);
  Escaped exact = Escape(L"ab", 3);
  EXPECT_TRUE(exact.result);
  EXPECT_EQ(exact.text, L"ab");
  // A cut never leaves half an escape behind.
  Escaped partial = Escape(L"aa....", 5);
  EXPECT_FALSE(partial.result);
  EXPECT_EQ(partial.text, L"aa");
  Escaped whole = Escape(L"aa....", 6);
  EXPECT_EQ(whole.text, L"aa%2e");
}

TEST(EscapeForUrl, SinglePunctuationNeedsRoomForAPair) {
  // 1388 dots need 1387 * 3 + 6 = 4167 bytes of room: they fit exactly.
  Escaped fits = Escape(std::wstring(1388, L'.'), 5000);
  EXPECT_TRUE(fits.result);
  EXPECT_EQ(fits.text.size(), 4164u);
  // The 1389th would write only 3 bytes, but must find 6: the text is cut.
  Escaped cut = Escape(std::wstring(1389, L'.'), 5000);
  EXPECT_FALSE(cut.result);
  EXPECT_EQ(cut.text.size(), 4164u);
}

TEST(EscapeForUrl, DoubleByteCharactersAreNeverSplit) {
  // 695 Chinese characters: 694 pairs fill 4164 bytes; the next lead byte
  // would need 6 and finds 3.
  Escaped e = Escape(std::wstring(695, L'中'), 5000, 936);
  EXPECT_FALSE(e.result);
  EXPECT_EQ(e.text.size(), 4164u);
  EXPECT_EQ(e.text.substr(e.text.size() - 6), L"%d6%d0");
  // Nor by the output's limit: the half pair that would fit is left out.
  Escaped cut = Escape(L"中中", 10, 936);
  EXPECT_FALSE(cut.result);
  EXPECT_EQ(cut.text, L"%d6%d0");
  EXPECT_EQ(Escape(L"a.中", 10, 936).text, L"a%2e");
  // A pair closes on the byte after its lead, whatever comes between copies.
  EXPECT_EQ(Escape(L"a中b中", 2084, 936).text, L"a%d6%d0b%d6%d0");
}

TEST(EscapeForUrl, AnyLengthStaysWithinTheBuffer) {
  for (size_t length : {0u, 1u, 1019u, 1023u, 4200u, 100000u}) {
    Escaped e = Escape(std::wstring(length, L'a'), 2084);
    EXPECT_TRUE(e.guardIntact) << length;
    EXPECT_EQ(e.text.size(), std::min<size_t>(length, 2083)) << length;
    EXPECT_EQ(e.result, length <= 2083) << length;
    Escaped spaces = Escape(std::wstring(length, L' '), 2084);
    EXPECT_TRUE(spaces.guardIntact) << length;
    EXPECT_EQ(spaces.result, length * 3 <= 2083) << length;
  }
}

TEST(EscapeForUrl, TextCutInTheWorkBufferIsReportedAsCut) {
  // 4200 letters fit no 4168-byte work buffer, however large the output.
  Escaped e = Escape(std::wstring(4200, L'a'), 8000);
  EXPECT_FALSE(e.result);
  EXPECT_EQ(e.text.size(), 4167u);
  Escaped fits = Escape(std::wstring(4167, L'a'), 8000);
  EXPECT_TRUE(fits.result);
  EXPECT_EQ(fits.text.size(), 4167u);
}

TEST(EscapeForUrl, UnpairedSurrogatesStayWithinTheBuffer) {
  for (unsigned codePage : {936u, static_cast<unsigned>(CP_UTF8)}) {
    Escaped e = Escape(L"a\xD800" L"b\xDC00", 32, codePage);
    EXPECT_TRUE(e.result);
    EXPECT_TRUE(e.guardIntact);
    EXPECT_EQ(e.text.front(), L'a');
    EXPECT_NE(e.text.find(L'b'), std::wstring::npos);
    for (wchar_t c : e.text) EXPECT_LT(c, 128) << codePage;
  }
}

}  // namespace

namespace {

// Run on its own (as CTest does), this is the first use in the process: the
// threads race to load the hosts file, and all must see the same names.
TEST(HostsFileNames, LoadsOnceForConcurrentCallers) {
  constexpr int kThreads = 8;
  win::UniqueEvent start(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  struct Work {
    HANDLE start;
    volatile LONG found = 0;
  } work{start.Get()};
  struct Body {
    // A thread routine is stdcall on i686: a lambda does not convert.
    static DWORD WINAPI Run(void* parameter) {
      Work* w = static_cast<Work*>(parameter);
      WaitForSingleObject(w->start, INFINITE);
      if (LooksLikeUrl(L"intranet-box") && HostsFileNames::Names().size() == 6) InterlockedIncrement(&w->found);
      return 0;
    }
  };
  win::UniqueThread threads[kThreads];
  HANDLE waitable[kThreads];
  for (int i = 0; i < kThreads; ++i) {
    threads[i].Reset(CreateThread(nullptr, 0, Body::Run, &work, 0, nullptr));
    waitable[i] = threads[i].Get();
  }
  SetEvent(start.Get());
  WaitForMultipleObjects(kThreads, waitable, TRUE, 10000);
  EXPECT_EQ(work.found, kThreads);
  EXPECT_EQ(&HostsFileNames::Names(), &HostsFileNames::Names());
}

}  // namespace
