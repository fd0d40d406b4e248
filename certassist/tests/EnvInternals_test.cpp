// Parts of the client environment tools that the exported class does not
// show on its own: the restart decision behind its seam, the Windows 2000 name
// rule, the address rules, the .reg quoting and the drive-root guard.
#include <gtest/gtest.h>

#include "TestText.h"

#include <vector>

#include "CCommonFun.h"
#include "ProcessList.h"
#include "RegistrationFile.h"
#include "SystemFolders.h"
#include "TokenPrivilege.h"
#include "TrustedSiteUrl.h"

namespace {

using certassist::ProcessList;
using certassist::RegistrationFile;
using certassist::TokenPrivilege;
using certassist::TrustedSiteUrl;

// Replaces the calls that would change the machine for one test.
class RebootTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = TokenPrivilege::Calls();
    exitCalls_ = 0;
    exitFlags_ = 0;
    exitAnswer_ = TRUE;
    TokenPrivilege::Calls().exitWindowsEx = CountedExit;
  }
  void TearDown() override { TokenPrivilege::Calls() = saved_; }

  // Stand-ins for the system calls. They are WINAPI (stdcall on i686), which
  // a lambda does not convert to.
  static BOOL WINAPI CountedExit(UINT flags, DWORD) {
    ++exitCalls_;
    exitFlags_ = flags;
    return exitAnswer_;
  }
  static BOOL WINAPI AdjustLeavesThePrivilegeOut(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES,
                                                 PDWORD) {
    SetLastError(ERROR_NOT_ALL_ASSIGNED);
    return TRUE;
  }
  static BOOL WINAPI AdjustFails(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES, PDWORD) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }

  static bool ShutdownPrivilegeEnabled() {
    LUID shutdown{};
    LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &shutdown);
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    BYTE buffer[4096];
    DWORD bytes = 0;
    bool enabled = false;
    if (GetTokenInformation(token, TokenPrivileges, buffer, sizeof buffer, &bytes)) {
      const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer);
      for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
        const LUID_AND_ATTRIBUTES& entry = privileges->Privileges[i];
        if (entry.Luid.LowPart == shutdown.LowPart && entry.Luid.HighPart == shutdown.HighPart)
          enabled = (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0;
      }
    }
    CloseHandle(token);
    return enabled;
  }

  TokenPrivilege::SystemCalls saved_{};
  static int exitCalls_;
  static UINT exitFlags_;
  static BOOL exitAnswer_;
};
int RebootTest::exitCalls_ = 0;
UINT RebootTest::exitFlags_ = 0;
BOOL RebootTest::exitAnswer_ = TRUE;

TEST_F(RebootTest, RestartsByForceOnceTheShutdownPrivilegeIsHeld) {
  // A stale error from an earlier call must not count against the privilege.
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(1, CCommonFun().MySystemReboot());
  EXPECT_TRUE(ShutdownPrivilegeEnabled());
  EXPECT_EQ(1, exitCalls_);
  EXPECT_EQ(static_cast<UINT>(EWX_REBOOT | EWX_FORCE), exitFlags_);

  exitAnswer_ = FALSE;
  EXPECT_EQ(0, CCommonFun().MySystemReboot());
  EXPECT_EQ(2, exitCalls_);
}

TEST_F(RebootTest, DoesNotRestartWithoutThePrivilege) {
  TokenPrivilege::Calls().adjustTokenPrivileges = AdjustLeavesThePrivilegeOut;
  EXPECT_EQ(0, CCommonFun().MySystemReboot());
  TokenPrivilege::Calls().adjustTokenPrivileges = AdjustFails;
  EXPECT_EQ(0, CCommonFun().MySystemReboot());
  EXPECT_EQ(0, CCommonFun().GetDebugPriv());
  EXPECT_EQ(0, exitCalls_);
}

TEST(ProgramNameRuleTest, Windows2000ComparesFifteenCharacters) {
  EXPECT_TRUE(ProcessList::NamesMatch(L"LCCA_certd3003.", L"LCCA_certd3003.exe", true, false));
  EXPECT_FALSE(ProcessList::NamesMatch(L"LCCA_certd3003.", L"LCCA_certd3003.exe", false, false));
  EXPECT_TRUE(ProcessList::NamesMatch(L"HaiKeyUser_LCCA.exe", L"HaiKeyUser_LCCA.dll", true, false));
  EXPECT_FALSE(ProcessList::NamesMatch(L"haikeyuser_lcca.exe", L"HaiKeyUser_LCCA.exe", true, false));
  EXPECT_TRUE(ProcessList::NamesMatch(L"haikeyuser_lcca.exe", L"HaiKeyUser_LCCA.exe", false, true));
  EXPECT_TRUE(ProcessList::NamesMatch(L"", L"", false, false));
  EXPECT_FALSE(ProcessList::NamesMatch(L"CertMgr.exe", L"", true, true));
}

struct Expected {
  const wchar_t* keyName;
  const wchar_t* scheme;
};

void ExpectDomainKeys(const wchar_t* url, std::vector<Expected> expected) {
  TrustedSiteUrl site(url);
  ASSERT_EQ(expected.size(), site.DomainKeys().size()) << CodePage936(url);
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(CString(expected[i].keyName), site.DomainKeys()[i].keyName) << CodePage936(url);
    EXPECT_STREQ(expected[i].scheme, site.DomainKeys()[i].scheme) << CodePage936(url);
  }
}

TEST(TrustedSiteUrlTest, DomainRulesInTheirOrder) {
  ExpectDomainKeys(L"http://lcca.com.cn", {{L"com.cn\\lcca", L"http"}, {L"lcca.com.cn", L"http"}});
  ExpectDomainKeys(L"https://www.lcca.com.cn",
                   {{L"com.cn\\www.lcca", L"https"}, {L"lcca.com.cn\\www", L"https"}});
  ExpectDomainKeys(L"http://ca.gov.net.cn",
                   {{L"net.cn\\ca.gov", L"http"}, {L"ca.gov.net.cn", L"http"}, {L"ca.gov.net.cn", L"http"}});
  ExpectDomainKeys(L"http://lcca.org", {});
  ExpectDomainKeys(L"lcca.com.cn", {});
  ExpectDomainKeys(L"ftp://lcca.com", {});
  // Too short for the ".com.cn" cut: only the whole-host rule is left.
  ExpectDomainKeys(L"http://com.cn", {{L"com.cn", L"http"}});
  ExpectDomainKeys(L"http://www.", {});
  ExpectDomainKeys(L"http://www.com", {{L"com\\www", L"http"}});
}

TEST(TrustedSiteUrlTest, TheRangeRuleTakesEverythingAfterTheScheme) {
  TrustedSiteUrl ipv4(L"http://192.0.2.7");
  ASSERT_TRUE(ipv4.HasRange());
  EXPECT_STREQ(L"http", ipv4.RangeScheme());
  EXPECT_EQ(CString(L"192.0.2.7"), ipv4.RangeHost());
  TrustedSiteUrl secure(L"https://192.0.2.7:8443/path");
  ASSERT_TRUE(secure.HasRange());
  EXPECT_STREQ(L"https", secure.RangeScheme());
  EXPECT_EQ(CString(L"192.0.2.7:8443/path"), secure.RangeHost());
  EXPECT_FALSE(TrustedSiteUrl(L"http://").HasRange());
  EXPECT_FALSE(TrustedSiteUrl(L"192.0.2.7").HasRange());
  EXPECT_FALSE(TrustedSiteUrl(L"http://192.0.2.7\"\r\n[HKEY_LOCAL_MACHINE]").HasRange());
}

TEST(RegistrationFileTest, QuotesWhatTheCodePageCarriesAndRefusesTheRest) {
  CString quoted(L"unchanged");
  EXPECT_TRUE(RegistrationFile::QuoteForReg(L"2.1.0 \"beta\" C:\\x", quoted));
  EXPECT_EQ(CString(L"2.1.0 \\\"beta\\\" C:\\\\x"), quoted);
  EXPECT_TRUE(RegistrationFile::QuoteForReg(L"岚川.中国", quoted));
  EXPECT_EQ(CString(L"岚川.中国"), quoted);
  quoted = L"unchanged";
  EXPECT_FALSE(RegistrationFile::QuoteForReg(L"line\nbreak", quoted));
  EXPECT_FALSE(RegistrationFile::QuoteForReg(CString(L"\xD83D\xDE00"), quoted));  // not in code page 936
  EXPECT_FALSE(RegistrationFile::QuoteForReg(L"\x0E01", quoted));  // Thai
  EXPECT_EQ(CString(L"unchanged"), quoted);
  EXPECT_EQ(CString(L" /s \"C:\\a b\\x.reg\""), RegistrationFile::ImportParameters(L"C:\\a b\\x.reg"));
}

TEST(DriveRootGuardTest, EmptyNamesAndDriveRootsAreNeverEmptied) {
  for (const wchar_t* root : {L"", L"\\", L"/", L"C:", L"C:\\", L"c:\\\\", L"Z:/"})
    EXPECT_TRUE(certassist::IsDriveRootOrEmpty(root)) << CodePage936(root);
  for (const wchar_t* folder : {L"C:\\Program Files", L"C:\\x\\", L"folder", L"\\\\server\\share"})
    EXPECT_FALSE(certassist::IsDriveRootOrEmpty(folder)) << CodePage936(folder);
}

}  // namespace
