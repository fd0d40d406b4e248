#include <gtest/gtest.h>

#include "TestText.h"

#include "SystemVersionLine.h"

namespace {

using certassist::SystemVersionLine;

SystemVersionLine::Facts Nt(DWORD major, DWORD minor, BYTE product, WORD suite, const wchar_t* servicePack,
                            DWORD build, WORD architecture = PROCESSOR_ARCHITECTURE_INTEL, int serverR2 = 0) {
  SystemVersionLine::Facts facts;
  facts.known = true;
  facts.version.dwPlatformId = VER_PLATFORM_WIN32_NT;
  facts.version.dwMajorVersion = major;
  facts.version.dwMinorVersion = minor;
  facts.version.wProductType = product;
  facts.version.wSuiteMask = suite;
  facts.version.dwBuildNumber = build;
  wcscpy(facts.version.szCSDVersion, servicePack);
  facts.architecture = architecture;
  facts.serverR2 = serverR2;
  return facts;
}

SystemVersionLine::Facts Old(DWORD platform, DWORD major, DWORD minor) {
  SystemVersionLine::Facts facts;
  facts.known = true;
  facts.version.dwPlatformId = platform;
  facts.version.dwMajorVersion = major;
  facts.version.dwMinorVersion = minor;
  facts.version.dwBuildNumber = 0x040A0898;
  wcscpy(facts.version.szCSDVersion, L" A ");
  return facts;
}

CString Line(const SystemVersionLine::Facts& facts) { return SystemVersionLine::Text(facts); }

const BYTE kWorkstation = VER_NT_WORKSTATION, kServer = VER_NT_SERVER;
const WORD kX64 = PROCESSOR_ARCHITECTURE_AMD64, kItanium = PROCESSOR_ARCHITECTURE_IA64;

TEST(SystemVersionLineTest, WorkstationsOfTheNtFamily) {
  EXPECT_EQ(CString(L"Microsoft Windows XP ProfessionalService Pack 3 (build 2600)\r\n"),
            Line(Nt(5, 1, kWorkstation, 0, L"Service Pack 3", 2600)));
  EXPECT_EQ(CString(L"Microsoft Windows XP Home Edition Service Pack 2 (build 2600)\r\n"),
            Line(Nt(5, 1, kWorkstation, VER_SUITE_PERSONAL, L"Service Pack 2", 2600)));
  EXPECT_EQ(CString(L"Microsoft Windows 2000 ProfessionalService Pack 4 (build 2195)\r\n"),
            Line(Nt(5, 0, kWorkstation, 0, L"Service Pack 4", 2195)));
  EXPECT_EQ(CString(L"Microsoft Windows XP Professional x64 Edition Service Pack 2 (build 3790)\r\n"),
            Line(Nt(5, 2, kWorkstation, 0, L"Service Pack 2", 3790, kX64)));
  EXPECT_EQ(CString(L"Windows Vista  (build 6000)\r\n"), Line(Nt(6, 0, kWorkstation, 0, L"", 6000)));
  EXPECT_EQ(CString(L"Windows Vista , 64-bitService Pack 2 (build 6002)\r\n"),
            Line(Nt(6, 0, kWorkstation, 0, L"Service Pack 2", 6002, kX64)));
  EXPECT_EQ(CString(L"Microsoft Windows 7 Service Pack 1 (build 7601)\r\n"),
            Line(Nt(6, 1, kWorkstation, 0, L"Service Pack 1", 7601, kX64)));
  EXPECT_EQ(CString(L"Microsoft Windows NT Service Pack 6 (build 1381)\r\n"),
            Line(Nt(4, 0, kWorkstation, 0, L"Service Pack 6", 1381)));
}

TEST(SystemVersionLineTest, ServersOfTheNtFamily) {
  EXPECT_EQ(CString(L"Microsoft Windows 2000 Datacenter Server (build 2195)\r\n"),
            Line(Nt(5, 0, kServer, VER_SUITE_DATACENTER | VER_SUITE_ENTERPRISE, L"", 2195)));
  EXPECT_EQ(CString(L"Microsoft Windows 2000 Advanced Server (build 2195)\r\n"),
            Line(Nt(5, 0, kServer, VER_SUITE_ENTERPRISE, L"", 2195)));
  EXPECT_EQ(CString(L"Microsoft Windows 2000 Server (build 2195)\r\n"), Line(Nt(5, 0, kServer, 0, L"", 2195)));
  EXPECT_EQ(CString(L"Windows Server 2008  (build 6001)\r\n"), Line(Nt(6, 0, kServer, 0, L"", 6001)));
  EXPECT_EQ(CString(L"Windows Server 2008 , 64-bit (build 6001)\r\n"), Line(Nt(6, 0, kServer, 0, L"", 6001, kX64)));
  EXPECT_EQ(CString(L"Microsoft Windows Server 2008 R2 Service Pack 1 (build 7601)\r\n"),
            Line(Nt(6, 1, VER_NT_DOMAIN_CONTROLLER, 0, L"Service Pack 1", 7601, kX64)));
}

TEST(SystemVersionLineTest, EditionsOfServer2003) {
  EXPECT_EQ(CString(L"Microsoft Windows Server 2003 R2 Standard x64 EditionService Pack 2 (build 3790)\r\n"),
            Line(Nt(5, 2, kServer, 0, L"Service Pack 2", 3790, kX64, 1)));
  EXPECT_EQ(CString(L"Windows Storage Server 2003 Standard Edition (build 3790)\r\n"),
            Line(Nt(5, 2, kServer, VER_SUITE_STORAGE_SERVER, L"", 3790)));
  // A suite mask with more than the storage bit is no storage server.
  EXPECT_EQ(CString(L"Windows Server 2003 Enterprise Edition (build 3790)\r\n"),
            Line(Nt(5, 2, kServer, VER_SUITE_STORAGE_SERVER | VER_SUITE_ENTERPRISE, L"", 3790)));
  EXPECT_EQ(CString(L"Windows Server 2003 Datacenter Edition for Itanium-based Systems (build 3790)\r\n"),
            Line(Nt(5, 2, kServer, VER_SUITE_DATACENTER, L"", 3790, kItanium)));
  EXPECT_EQ(CString(L"Windows Server 2003 Enterprise Edition for Itanium-based Systems (build 3790)\r\n"),
            Line(Nt(5, 2, kServer, VER_SUITE_ENTERPRISE, L"", 3790, kItanium)));
  EXPECT_EQ(CString(L"Windows Server 2003  (build 3790)\r\n"), Line(Nt(5, 2, kServer, 0, L"", 3790, kItanium)));
  EXPECT_EQ(CString(L"Windows Server 2003 Datacenter x64 Edition (build 3790)\r\n"),
            Line(Nt(5, 2, kServer, VER_SUITE_DATACENTER, L"", 3790, kX64)));
  EXPECT_EQ(CString(L"Windows Server 2003 Enterprise x64 Edition (build 3790)\r\n"),
            Line(Nt(5, 2, kServer, VER_SUITE_ENTERPRISE, L"", 3790, kX64)));
  EXPECT_EQ(CString(L"Windows Server 2003 Compute Cluster Edition (build 3790)\r\n"),
            Line(Nt(5, 2, kServer, VER_SUITE_COMPUTE_SERVER | VER_SUITE_DATACENTER, L"", 3790)));
  EXPECT_EQ(CString(L"Windows Server 2003 Datacenter Edition (build 3790)\r\n"),
            Line(Nt(5, 2, kServer, VER_SUITE_DATACENTER | VER_SUITE_BLADE, L"", 3790)));
  EXPECT_EQ(CString(L"Windows Server 2003 Web Edition (build 3790)\r\n"),
            Line(Nt(5, 2, kServer, VER_SUITE_BLADE, L"", 3790)));
  EXPECT_EQ(CString(L"Windows Server 2003 Standard Edition (build 3790)\r\n"), Line(Nt(5, 2, kServer, 0, L"", 3790)));
}

TEST(SystemVersionLineTest, NewerSystemsKeepTheHeadingWithServicePackAndBuild) {
  EXPECT_EQ(CString(L"-----操作系统版本----- (build 19045)\r\n"), Line(Nt(10, 0, kWorkstation, 0, L"", 19045, kX64)));
  EXPECT_EQ(CString(L"-----操作系统版本-----Service Pack 1 (build 9200)\r\n"),
            Line(Nt(6, 2, kServer, 0, L"Service Pack 1", 9200)));
}

TEST(SystemVersionLineTest, OlderFamiliesGetNeitherServicePackNorBuild) {
  EXPECT_EQ(CString(L"Microsoft Windows 95 \r\n"), Line(Old(VER_PLATFORM_WIN32_WINDOWS, 4, 0)));
  EXPECT_EQ(CString(L"Microsoft Windows 98 \r\n"), Line(Old(VER_PLATFORM_WIN32_WINDOWS, 4, 10)));
  EXPECT_EQ(CString(L"Microsoft Windows me \r\n"), Line(Old(VER_PLATFORM_WIN32_WINDOWS, 4, 90)));
  EXPECT_EQ(CString(L"-----操作系统版本-----\r\n"), Line(Old(VER_PLATFORM_WIN32_WINDOWS, 4, 3)));
  EXPECT_EQ(CString(L" Windows 3.1 \r\n"), Line(Old(VER_PLATFORM_WIN32s, 3, 10)));
  SystemVersionLine::Facts unknown;
  EXPECT_EQ(CString(L"-----操作系统版本-----获取系统版本失败\r\n"), Line(unknown));
}

// The line of the system the tests run on is made from what it reports.
TEST(SystemVersionLineTest, TheRunningSystemHasABuildNumber) {
  SystemVersionLine::Facts facts = SystemVersionLine::CurrentFacts();
  ASSERT_TRUE(facts.known);
  CString build;
  build.Format(L" (build %lu)\r\n", facts.version.dwBuildNumber & 0xFFFF);
  CString line = Line(facts);
  EXPECT_EQ(build, line.Right(build.GetLength())) << line.GetString();
}

}  // namespace
