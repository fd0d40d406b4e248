#include "button/CaseInsensitive.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cwchar>
#include <string>

namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

const wchar_t* const kTexts[] = {
    L"",         L"a",          L"A",          L"com",         L"COM",      L"Com",      L"co",       L"coM",
    L"comx",     L"co-m",       L"co m",       L"c1m",         L"localhost", L"LOCALHOST/x", L"localhost\\", L"local",
    L"localhosts", L"zw",       L"ZW",         L"\x00e9t\x00e9", L"\xff43om", L"\x4e2d\x6587", L"a.b",    L"jobs",
};

std::string Shown(const wchar_t* text) {
  std::string shown;
  for (; *text != 0; ++text) shown += *text < 0x80 ? static_cast<char>(*text) : '?';
  return "\"" + shown + "\"";
}

// Every answer is the platform's, whether worked out here or asked for.
TEST(CaseInsensitive, AnswersAsThePlatformDoes) {
  for (const wchar_t* a : kTexts) {
    for (const wchar_t* b : kTexts) {
      EXPECT_EQ(Sign(StrCmpIW(a, b)), Sign(CaseInsensitive::Compare(a, b))) << Shown(a) << " " << Shown(b);
      // Here the platform reads on past the end of a text shorter than the
      // count; it is asked only where both are long enough.
      const int shorter = static_cast<int>(std::min(wcslen(a), wcslen(b)));
      for (int count = 0; count <= shorter; ++count) {
        EXPECT_EQ(Sign(StrCmpNIW(a, b, count)), Sign(CaseInsensitive::Compare(a, b, count)))
            << Shown(a) << " " << Shown(b) << " " << count;
      }
    }
  }
}

// A text that ends where the other goes on sorts first, as "localhost" before
// "localhost/", whatever the count.
TEST(CaseInsensitive, AShorterTextSortsFirst) {
  EXPECT_LT(CaseInsensitive::Compare(L"localhost", L"localhost/", 10), 0);
  EXPECT_GT(CaseInsensitive::Compare(L"LOCALHOST/", L"localhost", 10), 0);
  EXPECT_EQ(CaseInsensitive::Compare(L"LocalHost/x", L"localhost/", 10), 0);
  EXPECT_LT(CaseInsensitive::Compare(L"", L"a", 2), 0);
}

}  // namespace
