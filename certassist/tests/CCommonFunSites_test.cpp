#include <gtest/gtest.h>

#include "TestText.h"

#include <string>
#include <vector>

#include "CCommonFun.h"
#include "TempFolder.h"
#include "win/Handles.h"

namespace {

const wchar_t kDomains[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Domains\\";

// Host names of this test program only, so parallel tests never meet; every
// key a test expects is removed afterwards.
class DomainSitesTest : public ::testing::Test {
 protected:
  DomainSitesTest() : host_(L"ca" + std::to_wstring(GetCurrentProcessId())) {}
  // Removes the keys and the parents they left empty.
  ~DomainSitesTest() override {
    for (std::wstring path : created_) {
      RegDeleteTreeW(HKEY_CURRENT_USER, (kDomains + path).c_str());
      RegDeleteKeyW(HKEY_CURRENT_USER, (kDomains + path).c_str());
      for (size_t slash = path.rfind(L'\\'); slash != std::wstring::npos; slash = path.rfind(L'\\')) {
        path.resize(slash);
        if (RegDeleteKeyW(HKEY_CURRENT_USER, (kDomains + path).c_str()) != ERROR_SUCCESS) break;
      }
    }
  }

  // The DWORD value of a key below the Domains root; -1 when it cannot be read.
  long long Zone(const std::wstring& key, const wchar_t* scheme) {
    created_.push_back(key);
    DWORD value = 0, bytes = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, (kDomains + key).c_str(), scheme, RRF_RT_REG_DWORD, nullptr, &value, &bytes) !=
        ERROR_SUCCESS)
      return -1;
    return value;
  }
  bool KeyExists(const std::wstring& key) {
    win::UniqueRegKey opened;
    return RegOpenKeyExW(HKEY_CURRENT_USER, (kDomains + key).c_str(), 0, KEY_READ, opened.Put()) == ERROR_SUCCESS;
  }
  void SetZone(const std::wstring& key, const wchar_t* scheme, DWORD type, const void* data, DWORD bytes) {
    created_.push_back(key);
    win::UniqueRegKey opened;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, (kDomains + key).c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, opened.Put(), nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(opened.Get(), scheme, 0, type, static_cast<const BYTE*>(data), bytes));
  }
  int Set(const std::wstring& url, int& status) { return tools_.SetTrustedSite(url.c_str(), status); }
  int Check(const std::wstring& url) {
    int reserved = 77;
    int result = tools_.CheckTrustedSite(url.c_str(), reserved);
    EXPECT_EQ(77, reserved);
    return result;
  }

  std::wstring host_;
  std::vector<std::wstring> created_;
  CCommonFun tools_;
};

TEST_F(DomainSitesTest, AComCnHostGoesBelowComCnWithoutItsEnding) {
  std::wstring url = L"http://" + host_ + L".com.cn";
  EXPECT_EQ(0, Check(url));
  int status = -1;
  EXPECT_EQ(1, Set(url, status));
  EXPECT_EQ(-1, status);
  EXPECT_EQ(2, Zone(L"com.cn\\" + host_, L"http"));
  EXPECT_EQ(-1, Zone(L"com.cn\\" + host_, L"https"));
  EXPECT_EQ(1, Check(url));
  EXPECT_EQ(0, Check(L"https://" + host_ + L".com.cn"));
}

TEST_F(DomainSitesTest, AWwwHostIsStoredBelowTheRestOfItsName) {
  int status = -1;
  EXPECT_EQ(1, Set(L"https://www." + host_ + L".com", status));
  EXPECT_EQ(2, Zone(host_ + L".com\\www", L"https"));
  EXPECT_EQ(-1, Zone(host_ + L".com", L"https"));
  EXPECT_EQ(1, Check(L"https://www." + host_ + L".com"));
  EXPECT_EQ(0, Check(L"https://" + host_ + L".com"));

  EXPECT_EQ(1, Set(L"https://" + host_ + L".com", status));
  EXPECT_EQ(2, Zone(host_ + L".com", L"https"));
  EXPECT_EQ(1, Check(L"https://" + host_ + L".com"));
  EXPECT_EQ(-1, status);
}

// "www" without its dot is part of the host name: cutting a fixed length
// after it would trust another site.
TEST_F(DomainSitesTest, AHostThatMerelyStartsWithWwwIsStoredWhole) {
  int status = -1;
  EXPECT_EQ(1, Set(L"http://www" + host_ + L".com", status));
  EXPECT_EQ(2, Zone(L"www" + host_ + L".com", L"http"));
  EXPECT_FALSE(KeyExists(host_.substr(1) + L".com"));
}

TEST_F(DomainSitesTest, NetAndGovHostsFollowTheSameRules) {
  int status = -1;
  EXPECT_EQ(1, Set(L"http://" + host_ + L".net.cn", status));
  EXPECT_EQ(2, Zone(L"net.cn\\" + host_, L"http"));
  EXPECT_EQ(1, Set(L"https://" + host_ + L".gov.cn", status));
  EXPECT_EQ(2, Zone(L"gov.cn\\" + host_, L"https"));
  EXPECT_EQ(1, Set(L"http://www." + host_ + L".net", status));
  EXPECT_EQ(2, Zone(host_ + L".net\\www", L"http"));
  EXPECT_EQ(1, Set(L"https://" + host_ + L".gov", status));
  EXPECT_EQ(2, Zone(host_ + L".gov", L"https"));
  EXPECT_EQ(-1, status);
}

TEST_F(DomainSitesTest, TextAfterTheHostIsCutByLength) {
  int status = -1;
  // Holds "com.cn" without ending in it: the last seven characters go all the same.
  EXPECT_EQ(1, Set(L"http://" + host_ + L".com.cn/index", status));
  EXPECT_EQ(2, Zone(L"com.cn\\" + host_ + L".com.c", L"http"));
  // A path stays in the key name.
  EXPECT_EQ(1, Set(L"http://" + host_ + L".com/a/b", status));
  EXPECT_EQ(2, Zone(host_ + L".com/a/b", L"http"));
}

TEST_F(DomainSitesTest, ChineseHostNamesAreStoredAsTheyAre) {
  std::wstring host = L"岚川" + host_;
  int status = -1;
  EXPECT_EQ(1, Set(L"http://" + host + L".com.cn", status));
  EXPECT_EQ(2, Zone(L"com.cn\\" + host, L"http"));
  EXPECT_EQ(1, Check(L"http://" + host + L".com.cn"));
}

// CheckTrustedSite asks every rule that applies, not only the first one.
TEST_F(DomainSitesTest, CheckAsksEveryRuleThatApplies) {
  std::wstring url = L"http://www." + host_ + L".com.cn";
  DWORD trusted = 2, internet = 3;
  SetZone(host_ + L".com.cn\\www", L"http", REG_DWORD, &internet, sizeof internet);
  EXPECT_EQ(0, Check(url));
  SetZone(host_ + L".com.cn\\www", L"http", REG_DWORD, &trusted, sizeof trusted);
  EXPECT_EQ(1, Check(url));
  // A zone stored as text is no zone.
  SetZone(host_ + L".com", L"https", REG_SZ, L"2", 4);
  EXPECT_EQ(0, Check(L"https://" + host_ + L".com"));
}

TEST_F(DomainSitesTest, AddressesWithoutASchemeAreRefused) {
  int status = -1;
  EXPECT_EQ(0, Set(L"", status));
  EXPECT_EQ(1, status);
  EXPECT_EQ(0, Check(L""));
  for (const std::wstring& url : {host_ + L".com.cn", L"ftp://" + host_ + L".com", L"HTTP://" + host_ + L".com",
                                  L"see http://" + host_ + L".com", L"http:/" + host_ + L".com",
                                  std::wstring(L"http://"), std::wstring(L"https://"), std::wstring(L"h")}) {
    status = -1;
    EXPECT_EQ(0, Set(url, status)) << std::string(url.begin(), url.end());
    EXPECT_EQ(5, status);
    EXPECT_EQ(0, Check(url));
  }
  EXPECT_FALSE(KeyExists(L"com.cn\\" + host_));
  EXPECT_FALSE(KeyExists(host_ + L".com"));
}

// A backslash would name another key, a quote or line end would break the
// registration file: such hosts are refused, whatever rule they meet.
TEST_F(DomainSitesTest, HostsThatCannotBeStoredAsTheyAreAreRefused) {
  for (const std::wstring& host : {host_ + L"\\x", host_ + L"\"x", host_ + L"\nx", host_ + L"\tx"}) {
    for (const wchar_t* ending : {L".com.cn", L".com", L".org"}) {
      int status = -1;
      std::wstring url = L"http://" + host + ending;
      EXPECT_EQ(0, Set(url, status)) << std::string(url.begin(), url.end());
      EXPECT_EQ(5, status);
      EXPECT_EQ(0, Check(url));
    }
  }
  EXPECT_FALSE(KeyExists(host_));
  EXPECT_FALSE(KeyExists(L"com.cn\\" + host_));
}

TEST_F(DomainSitesTest, AnOverlongHostNameCannotBecomeAKey) {
  std::wstring url = L"http://" + host_ + std::wstring(3000, L'a') + L".com";
  int status = -1;
  EXPECT_EQ(0, Set(url, status));
  EXPECT_EQ(3, status);
  EXPECT_EQ(0, Check(url));
}

TEST_F(DomainSitesTest, ShortAddressesAreNeverReadPastTheirEnd) {
  int status = -1;
  // Too short for the ".com.cn" cut: the next rule takes the whole host.
  EXPECT_EQ(1, Set(L"http://.com.cn", status));
  EXPECT_EQ(2, Zone(L".com.cn", L"http"));
  EXPECT_EQ(1, Set(L"https://www." + host_ + L"com", status));
  EXPECT_EQ(2, Zone(host_ + L"com\\www", L"https"));
  EXPECT_EQ(-1, status);
}

TEST(ShellImportRegisterTest, ImportsAFileWhosePathHoldsBlanksAndChineseText) {
  TempFolder folder;
  std::wstring base(folder.Path().begin(), folder.Path().end());
  std::wstring inner = base + L"\\带 空格";
  ASSERT_TRUE(CreateDirectoryW(inner.c_str(), nullptr));
  std::wstring key = L"Software\\certassist-tests\\import-" + std::to_wstring(GetCurrentProcessId());
  std::wstring file = inner + L"\\导入.reg";
  {
    win::UniqueFile out(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(out.IsValid());
    // Without a byte-order mark the editor reads the ANSI code page.
    std::string bytes = CodePage936(L"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" + key +
                                    L"]\r\n\"站点\"=\"lcca\"\r\n");
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(out.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  }
  CCommonFun().ShellImportRegister(file.c_str());
  wchar_t value[32] = {};
  DWORD bytes = sizeof value;
  LONG read = ERROR_FILE_NOT_FOUND;
  for (int attempt = 0; attempt < 400 && read != ERROR_SUCCESS; ++attempt, Sleep(25)) {
    bytes = sizeof value;
    read = RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"站点", RRF_RT_REG_SZ, nullptr, value, &bytes);
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
  RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
  ASSERT_EQ(ERROR_SUCCESS, read);
  EXPECT_STREQ(L"lcca", value);
}

}  // namespace
