// Key-driver packages laid out in the test prefix (HKLM keys, files in the
// system folder and below the drive root) and removed afterwards.
#include <gtest/gtest.h>

#include "TestText.h"

#include <string>

#include "CCommonFun.h"
#include "FakeKeyDrivers.h"

namespace {

const wchar_t kEpass3003[] = L"SOFTWARE\\EnterSafe\\ePass3003_LCCA";
const wchar_t kEpass2000[] = L"SOFTWARE\\EnterSafe\\ePass2000_LCCA";
const wchar_t kHaiTaiUninstall[] = L"岚川CA CSP 安装程序";
const wchar_t kDmwzUninstall[] = L"岚川CA密码钥匙驱动";
const wchar_t kDmwzClientUninstall[] = L"岚川CA密码钥匙驱动_客户端";
const wchar_t kCbpmUninstall[] = L"岚川CA-中钞USBKEY管理工具";

std::wstring TestFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring program(path);
  return program.substr(0, program.rfind(L'\\') + 1);
}

class KeyDriversTest : public ::testing::Test {
 protected:
  CString Dir(int type) {
    CString install = tools_.GetInstallDir(type);
    EXPECT_EQ(install, tools_.UninstallDir(type)) << "type " << type;
    return install;
  }
  // A folder of the test's own below the drive root.
  std::wstring OwnFolder(const wchar_t* name) { return FakeKeyDrivers::DriveRoot() + L"certassist-tests\\" + name + L"\\"; }
  void UseHKCommand(const wchar_t* library) {
    ASSERT_TRUE(fakes_.PlaceCopy(TestFolder() + library, FakeKeyDrivers::SystemFolder() + L"HKCommand.dll"));
  }

  FakeKeyDrivers fakes_;
  CCommonFun tools_;
};

TEST_F(KeyDriversTest, RegistryProbesNeedAReadableValueOfAtMost256Bytes) {
  for (int type = 0; type <= 8; ++type) EXPECT_EQ(0, tools_.CheckRegKeyExist(type)) << "type " << type;
  ASSERT_TRUE(fakes_.SetString(L"Software\\HaiTaiFangYuan\\Control", L"CSP_NAME", L"HaiTai Cryptographic Service Provider"));
  DWORD number = 7;
  ASSERT_TRUE(fakes_.SetValue(kEpass3003, L"Path", REG_DWORD, &number, sizeof number));
  ASSERT_TRUE(fakes_.SetString(L"Software\\dmwz\\lCCA_AR_RTE", L"InstallDir", std::wstring(150, L'd')));
  ASSERT_TRUE(fakes_.SetString(L"Software\\Microsoft\\Cryptography\\Defaults\\Provider\\CBPM UsbKey CSP For LCCA",
                               L"Image Path", L"NewKeyCspC0.dll"));
  ASSERT_TRUE(fakes_.SetString(kEpass2000, L"Path", L"C:\\ePass2000"));
  EXPECT_EQ(1, tools_.CheckRegKeyExist(1));
  EXPECT_EQ(1, tools_.CheckRegKeyExist(2));  // any type reads
  EXPECT_EQ(0, tools_.CheckRegKeyExist(3));  // 302 bytes do not fit
  EXPECT_EQ(1, tools_.CheckRegKeyExist(4));
  for (int type : {5, 6, 7, 0}) EXPECT_EQ(0, tools_.CheckRegKeyExist(type)) << "type " << type;
}

TEST_F(KeyDriversTest, Epass3003FolderComesFromItsPathValueOrItsDefault) {
  std::wstring defaultFolder = FakeKeyDrivers::DefaultFolder(2);
  ASSERT_TRUE(fakes_.AddFile(defaultFolder + L"LCCA_certd3003.exe"));
  // Without the vendor key the files alone say nothing.
  EXPECT_TRUE(Dir(2).IsEmpty());
  ASSERT_TRUE(fakes_.SetString(kEpass3003, L"Path", L""));
  EXPECT_EQ(CString(defaultFolder.c_str()), Dir(2));
  ASSERT_TRUE(fakes_.SetString(kEpass3003, L"Path", L"D:\\Vendor\\ePass3003"));
  EXPECT_EQ(CString(L"D:\\Vendor\\ePass3003\\"), Dir(2));
  ASSERT_TRUE(fakes_.SetString(kEpass3003, L"Path", L"D:\\Vendor\\ePass3003\\"));
  EXPECT_EQ(CString(L"D:\\Vendor\\ePass3003\\"), Dir(2));
  // Unreadable values give nothing, not the default.
  ASSERT_TRUE(fakes_.SetString(kEpass3003, L"Path", L"D:\\" + std::wstring(130, L'x')));
  EXPECT_TRUE(Dir(2).IsEmpty());
  DWORD number = 1;
  ASSERT_TRUE(fakes_.SetValue(kEpass3003, L"Path", REG_DWORD, &number, sizeof number));
  EXPECT_TRUE(Dir(2).IsEmpty());
}

TEST_F(KeyDriversTest, Epass2000FolderFollowsTheSameRules) {
  EXPECT_TRUE(Dir(6).IsEmpty());
  ASSERT_TRUE(fakes_.SetString(kEpass2000, L"Path", L""));
  EXPECT_TRUE(Dir(6).IsEmpty());
  ASSERT_TRUE(fakes_.AddFile(FakeKeyDrivers::DefaultFolder(6) + L"LCCA_certd2ka.exe"));
  EXPECT_EQ(CString(FakeKeyDrivers::DefaultFolder(6).c_str()), Dir(6));
}

TEST_F(KeyDriversTest, UninstallStringsGiveTheirFolder) {
  ASSERT_TRUE(fakes_.SetUninstallString(kHaiTaiUninstall, L"C:\\Program Files\\HaiTai LCCA\\uninst.exe"));
  EXPECT_EQ(CString(L"C:\\Program Files\\HaiTai LCCA\\"), Dir(1));
  // Setups quote paths with blanks; the quote is no part of the folder.
  ASSERT_TRUE(fakes_.SetUninstallString(kHaiTaiUninstall, L"\"C:\\Program Files\\HaiTai LCCA\\uninst.exe\" /S"));
  EXPECT_EQ(CString(L"C:\\Program Files\\HaiTai LCCA\\"), Dir(1));
  ASSERT_TRUE(fakes_.SetUninstallString(kCbpmUninstall, L"C:\\CBPM\\z2000\\uninst.exe"));
  EXPECT_EQ(CString(L"C:\\CBPM\\z2000\\"), Dir(4));
  for (int type : {5, 7, 0, 9}) EXPECT_TRUE(Dir(type).IsEmpty()) << "type " << type;
}

TEST_F(KeyDriversTest, AnUninstallStringWithoutAFolderFallsBackWhereTheFilesAre) {
  ASSERT_TRUE(fakes_.SetUninstallString(kHaiTaiUninstall, L"uninst.exe"));
  EXPECT_TRUE(Dir(1).IsEmpty());
  ASSERT_TRUE(fakes_.AddFile(FakeKeyDrivers::SystemFolder() + L"HaiKeyUser_LCCA.exe"));
  EXPECT_EQ(CString(FakeKeyDrivers::SystemFolder().c_str()), Dir(1));

  ASSERT_TRUE(fakes_.SetUninstallString(kCbpmUninstall, L""));
  EXPECT_TRUE(Dir(4).IsEmpty());
  ASSERT_TRUE(fakes_.AddFile(FakeKeyDrivers::DefaultFolder(4) + L"UserMgr.exe"));
  EXPECT_EQ(CString(FakeKeyDrivers::DefaultFolder(4).c_str()), Dir(4));
}

TEST_F(KeyDriversTest, DmwzTriesItsClientKeyOnlyWhenTheFirstIsMissing) {
  ASSERT_TRUE(fakes_.SetUninstallString(kDmwzClientUninstall, L"C:\\dmwz client\\uninst.exe"));
  EXPECT_EQ(CString(L"C:\\dmwz client\\"), Dir(3));
  ASSERT_TRUE(fakes_.CreateKey(std::wstring(FakeKeyDrivers::kUninstall) + kDmwzUninstall));
  EXPECT_TRUE(Dir(3).IsEmpty());  // the first key, without a value, decides
  ASSERT_TRUE(fakes_.SetUninstallString(kDmwzUninstall, L"C:\\dmwz\\uninst.exe"));
  EXPECT_EQ(CString(L"C:\\dmwz\\"), Dir(3));

  // An empty folder needs both programs in the default folder.
  ASSERT_TRUE(fakes_.SetUninstallString(kDmwzUninstall, L"uninst.exe"));
  ASSERT_TRUE(fakes_.AddFile(FakeKeyDrivers::DefaultFolder(3) + L"CertMgr.exe"));
  EXPECT_TRUE(Dir(3).IsEmpty());
  ASSERT_TRUE(fakes_.AddFile(FakeKeyDrivers::DefaultFolder(3) + L"eSafe_monitor.exe"));
  EXPECT_EQ(CString(FakeKeyDrivers::DefaultFolder(3).c_str()), Dir(3));
}

TEST_F(KeyDriversTest, CheckDrvExeExistLooksInTheInstallationFolder) {
  std::wstring folder = OwnFolder(L"ePass3003");
  ASSERT_TRUE(fakes_.AddFile(folder + L"CertManager.exe"));
  EXPECT_EQ(0, tools_.CheckDrvExeExist(2, L"CertManager.exe"));
  ASSERT_TRUE(fakes_.SetString(kEpass3003, L"Path", folder.substr(0, folder.size() - 1)));
  EXPECT_EQ(1, tools_.CheckDrvExeExist(2, L"CertManager.exe"));
  EXPECT_EQ(0, tools_.CheckDrvExeExist(2, L"LCCA_certd3003.exe"));
  EXPECT_EQ(0, tools_.CheckDrvExeExist(5, L"CertManager.exe"));
}

TEST_F(KeyDriversTest, CompletePackagesAreInstalledAndAMissingFileIsNot) {
  for (int type : {2, 3, 4, 6, 7}) {
    EXPECT_EQ(0, tools_.CheckDriverIsInstalled(type)) << "type " << type;
    ASSERT_TRUE(fakes_.AddPackageFiles(type)) << "type " << type;
    EXPECT_EQ(1, tools_.CheckDriverIsInstalled(type)) << "type " << type;
  }
  fakes_.RemoveAll();
  ASSERT_TRUE(fakes_.AddPackageFiles(2, L"", L"LCCACSP11_s.sig"));
  EXPECT_EQ(0, tools_.CheckDriverIsInstalled(2));
  ASSERT_TRUE(fakes_.AddPackageFiles(3, L"", L"uninst.exe"));
  EXPECT_EQ(0, tools_.CheckDriverIsInstalled(3));
  ASSERT_TRUE(fakes_.AddPackageFiles(7, L"", L"NC1Crypt.dll"));
  EXPECT_EQ(0, tools_.CheckDriverIsInstalled(7));
  EXPECT_EQ(0, tools_.CheckDriverIsInstalled(5));
  EXPECT_EQ(0, tools_.CheckDriverIsInstalled(0));
}

TEST_F(KeyDriversTest, ThePackageIsLookedForInTheRecordedFolder) {
  std::wstring folder = OwnFolder(L"ePass3003");
  ASSERT_TRUE(fakes_.AddPackageFiles(2, folder));
  EXPECT_EQ(0, tools_.CheckDriverIsInstalled(2));
  ASSERT_TRUE(fakes_.SetString(kEpass3003, L"Path", folder.substr(0, folder.size() - 1)));
  EXPECT_EQ(1, tools_.CheckDriverIsInstalled(2));
}

// The HaiTai package is too old when "4.2.8.107" compares greater, character
// by character, than its command library's version.
TEST_F(KeyDriversTest, HaiTaiNeedsACommandLibraryThatIsNotOlder) {
  ASSERT_TRUE(fakes_.AddPackageFiles(1));
  // A library without a version resource passes the condition.
  EXPECT_EQ(1, tools_.CheckDriverIsInstalled(1));
  UseHKCommand(L"fake_version_4_2_10_1.dll");
  EXPECT_EQ(0, tools_.CheckDriverIsInstalled(1));
  UseHKCommand(L"fake_version_4_2_9_0.dll");
  EXPECT_EQ(1, tools_.CheckDriverIsInstalled(1));
}

}  // namespace
