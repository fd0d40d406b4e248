// Range entries of the zone map, written through a registration file that the
// registry editor imports. The addresses are documentation addresses; every
// range a test adds is removed afterwards.
#include <gtest/gtest.h>

#include "TestText.h"

#include <string>
#include <vector>

#include "CCommonFun.h"
#include "TempFolder.h"
#include "win/Handles.h"

namespace {

const wchar_t kRanges[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Ranges";

std::string RangeFile() {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + "temp443fsdf3.reg";
}

class TrustedRangesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const wchar_t* name : {L"Range0", L"Range1", L"Range2", L"Range3"})
      ASSERT_FALSE(RangeExists(name)) << "the test prefix holds a range already";
    DeleteFileA(RangeFile().c_str());
  }
  // SetUp found none of the first ranges: whatever is there now is the test's.
  void TearDown() override {
    for (const wchar_t* name : {L"Range0", L"Range1", L"Range2", L"Range3", L"Range4"})
      RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kRanges) + L"\\" + name).c_str()),
          RegDeleteKeyW(HKEY_CURRENT_USER, (std::wstring(kRanges) + L"\\" + name).c_str());
    DeleteFileA(RangeFile().c_str());
  }

  bool RangeExists(const std::wstring& name) {
    win::UniqueRegKey key;
    return RegOpenKeyExW(HKEY_CURRENT_USER, (std::wstring(kRanges) + L"\\" + name).c_str(), 0, KEY_READ, key.Put()) ==
           ERROR_SUCCESS;
  }
  // A range of the test's own.
  void MakeRange(const std::wstring& name, const std::wstring& host, const wchar_t* scheme, DWORD zone) {
    std::wstring key = std::wstring(kRanges) + L"\\" + name;
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L":Range", REG_SZ, host.c_str(),
                                             static_cast<DWORD>((host.size() + 1) * sizeof(wchar_t))));
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), scheme, REG_DWORD, &zone, sizeof zone));
  }
  std::wstring RangeHost(const std::wstring& name) {
    wchar_t host[512] = {};
    DWORD bytes = sizeof host;
    RegGetValueW(HKEY_CURRENT_USER, (std::wstring(kRanges) + L"\\" + name).c_str(), L":Range", RRF_RT_REG_SZ, nullptr,
                 host, &bytes);
    return host;
  }
  long long RangeZone(const std::wstring& name, const wchar_t* scheme) {
    DWORD zone = 0, bytes = sizeof zone;
    if (RegGetValueW(HKEY_CURRENT_USER, (std::wstring(kRanges) + L"\\" + name).c_str(), scheme, RRF_RT_REG_DWORD,
                     nullptr, &zone, &bytes) != ERROR_SUCCESS)
      return -1;
    return zone;
  }
  int Set(const std::wstring& url, int& status) { return tools_.SetTrustedSite(url.c_str(), status); }
  int Check(const std::wstring& url) {
    int reserved = 0;
    return tools_.CheckTrustedSite(url.c_str(), reserved);
  }

  CCommonFun tools_;
};

TEST_F(TrustedRangesTest, AnHttpAddressGetsTheFirstFreeRangeCountedFromOne) {
  MakeRange(L"Range1", L"192.0.2.1", L"http", 2);
  EXPECT_EQ(0, Check(L"http://198.51.100.7"));
  int status = -1;
  EXPECT_EQ(6, Set(L"http://198.51.100.7", status));
  EXPECT_EQ(-1, status);
  // What was written is what the editor imported.
  EXPECT_EQ(CodePage936(L"Windows Registry Editor Version 5.00\r\n"
                        L"[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet "
                        L"Settings\\ZoneMap\\Ranges\\Range2]\r\n"
                        L"\"http\"=dword:00000002\r\n"
                        L"\":Range\"=\"198.51.100.7\""),
            ReadFileBytes(RangeFile()));
  EXPECT_EQ(L"198.51.100.7", RangeHost(L"Range2"));
  EXPECT_EQ(2, RangeZone(L"Range2", L"http"));
  EXPECT_FALSE(RangeExists(L"Range0"));
  EXPECT_EQ(1, Check(L"http://198.51.100.7"));
  EXPECT_EQ(0, Check(L"https://198.51.100.7"));

  // Once imported, the address is found and nothing is written again.
  ASSERT_TRUE(DeleteFileA(RangeFile().c_str()));
  EXPECT_EQ(1, Set(L"http://198.51.100.7", status));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(RangeFile().c_str()));
  EXPECT_FALSE(RangeExists(L"Range3"));
}

TEST_F(TrustedRangesTest, AnHttpsAddressCountsItsRangesFromZero) {
  int status = -1;
  EXPECT_EQ(6, Set(L"https://198.51.100.8", status));
  EXPECT_EQ(L"198.51.100.8", RangeHost(L"Range0"));
  EXPECT_EQ(2, RangeZone(L"Range0", L"https"));
  EXPECT_EQ(-1, RangeZone(L"Range0", L"http"));
  EXPECT_EQ(1, Check(L"https://198.51.100.8"));
  EXPECT_EQ(0, Check(L"http://198.51.100.8"));
  EXPECT_EQ(6, Set(L"https://198.51.100.9", status));
  EXPECT_EQ(L"198.51.100.9", RangeHost(L"Range1"));
}

TEST_F(TrustedRangesTest, ARangeOfAnotherZoneOrHostDoesNotCount) {
  MakeRange(L"Range1", L"198.51.100.10", L"http", 3);
  MakeRange(L"Range2", L"198.51.100.100", L"http", 2);
  EXPECT_EQ(0, Check(L"http://198.51.100.10"));
  int status = -1;
  EXPECT_EQ(6, Set(L"http://198.51.100.10", status));
  EXPECT_EQ(L"198.51.100.10", RangeHost(L"Range3"));
  EXPECT_EQ(1, Check(L"http://198.51.100.10"));
}

// Code page 936 carries Chinese host names through the file unchanged.
TEST_F(TrustedRangesTest, AChineseHostReachesTheRegistryUnchanged) {
  int status = -1;
  std::wstring url = L"http://岚川证书.中国";
  EXPECT_EQ(6, Set(url, status));
  EXPECT_EQ(L"岚川证书.中国", RangeHost(L"Range1"));
  EXPECT_EQ(1, Check(url));
}

// What the file could not carry, or what could never be found again, is
// refused rather than written.
TEST_F(TrustedRangesTest, HostsTheFileCannotCarryAreRefused) {
  std::vector<std::wstring> refused = {L"http://" + std::wstring(120, L'7') + L".example.org",
                                       L"http://" + std::wstring(3000, L'8'), L"http://\x0E01\x0E02.example",
                                       L"https://198.51.100.11\"\n\"http\"=dword:00000002",
                                       L"http://198.51.100.11\\Range9"};
  for (const std::wstring& url : refused) {
    int status = -1;
    EXPECT_EQ(0, Set(url, status)) << url.size();
    EXPECT_EQ(5, status);
    EXPECT_EQ(0, Check(url));
  }
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(RangeFile().c_str()));
  EXPECT_FALSE(RangeExists(L"Range0"));
  EXPECT_FALSE(RangeExists(L"Range1"));
}

// Two sites registered one after the other each get their range: the second
// file is written only after the first was imported.
TEST_F(TrustedRangesTest, SitesRegisteredInARowGetRangesOfTheirOwn) {
  int status = -1;
  EXPECT_EQ(6, Set(L"http://198.51.100.20", status));
  EXPECT_EQ(6, Set(L"http://198.51.100.21", status));
  EXPECT_EQ(L"198.51.100.20", RangeHost(L"Range1"));
  EXPECT_EQ(L"198.51.100.21", RangeHost(L"Range2"));
}

}  // namespace
