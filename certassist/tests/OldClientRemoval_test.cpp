// Removal of the earlier client packages in the test prefix: their uninstall
// entries, folders, start-menu folders, start-up entries and the driver
// packages they carried go; everything around them stays.
#include <gtest/gtest.h>

#include "TestText.h"

#include <set>
#include <string>

#include "CCommonFun.h"
#include "FakeKeyDrivers.h"
#include "PrefixListing.h"
#include "TestProcess.h"

namespace {

const std::wstring kAppPath = L"Inno Setup: App Path";

std::wstring Root() { return FakeKeyDrivers::DriveRoot(); }
std::wstring Programs() { return Root() + L"Program Files\\"; }
std::wstring StartMenu() { return Root() + L"Documents and Settings\\All Users\\「开始」菜单\\程序\\"; }
std::wstring Sys() { return FakeKeyDrivers::SystemFolder(); }
bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class OldClientRemovalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeKeyDrivers::ClearUninstallerLog();
    // What stays whatever is removed: other programs' folders and
    // start-menu folders, start-up entries, and the libraries of the old
    // products in the system directory, which only go with a product.
    ASSERT_TRUE(fakes_.AddFile(StartMenu() + L"其他软件\\其他.lnk"));
    ASSERT_TRUE(fakes_.AddFile(Programs() + L"E-sign\\keep.txt"));
    ASSERT_TRUE(fakes_.AddFile(Programs() + L"岚川CA证书驱动\\keep.txt"));
    ASSERT_TRUE(fakes_.SetRunValue(L"OtherVendorMonitor", L"C:\\other\\monitor.exe"));
    ASSERT_TRUE(fakes_.AddFile(Sys() + L"dmmon.exe"));
    ASSERT_TRUE(fakes_.AddFile(Sys() + L"NjaCrypt.dll"));
  }
  void TearDown() override { FakeKeyDrivers::ClearUninstallerLog(); }

  // A product's folder with a file, and its start-menu folder with a link.
  void AddProductFolders(const std::wstring& name) {
    ASSERT_TRUE(fakes_.AddFile(Programs() + name + L"\\bin\\client.exe"));
    ASSERT_TRUE(fakes_.AddFile(StartMenu() + name + L"\\客户端.lnk"));
  }
  void AddUninstallKey(const std::wstring& name, const std::wstring& appPath) {
    ASSERT_TRUE(fakes_.SetString(FakeKeyDrivers::kUninstall + name, kAppPath.c_str(), appPath));
  }
  // The start-up entries of the old products ("LCCACBPMRun" goes with the
  // CBPM driver too).
  void AddStartupEntries() {
    for (const wchar_t* name : {L"eSafe_wareapp", L"eSafe_dmmon", L"dmmon", L"newkey_UserMgr", L"HaiKeySrv",
                                L"LCCACSP11", L"LCCACBPMRun"})
      ASSERT_TRUE(fakes_.SetRunValue(name, L"C:\\old\\client.exe"));
  }
  // Drops the listing's line of a file.
  static void Forget(std::set<std::wstring>& listing, const std::wstring& file) {
    for (auto line = listing.begin(); line != listing.end(); ++line) {
      if (line->rfind(L"file " + file + L" ", 0) == 0) {
        listing.erase(line);
        return;
      }
    }
  }
  // The partner client's driver package: one provider key, seven files.
  void AddPartnerDriver() {
    ASSERT_TRUE(fakes_.SetString(L"SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider\\CBPM UsbKey CSP For LCJST",
                                 L"Image Path", L"HisCSPC1.dll"));
    for (const wchar_t* file : {L"HisCSPC1.dll", L"NC1Crypt.dll", L"NewKeyCspC1.dll", L"NewKeyFC1.dll",
                                L"PlugTokenZCC1.kl", L"ZC4LCCAULClient_jst.dll", L"jst-reg.reg"})
      ASSERT_TRUE(fakes_.AddFile(Sys() + file));
  }
  void ExpectUnchangedSince(const std::set<std::wstring>& before) {
    std::set<std::wstring> after = PrefixListing::Take();
    EXPECT_TRUE(before == after) << PrefixListing::Difference(before, after);
  }

  FakeKeyDrivers fakes_;
  CCommonFun tools_;
};

TEST_F(OldClientRemovalTest, APrefixWithoutTheProductsStaysAsItIs) {
  std::set<std::wstring> before = PrefixListing::Take();
  tools_.UninstallWhole();
  ExpectUnchangedSince(before);
  EXPECT_TRUE(FakeKeyDrivers::UninstallersRun().empty());
}

TEST_F(OldClientRemovalTest, AnInstalledProductLosesItsFoldersEntriesProgramsAndDrivers) {
  std::set<std::wstring> before = PrefixListing::Take();
  const std::wstring name = L"岚川CA海关版MQ客户端";
  AddProductFolders(name);
  AddUninstallKey(name + L"_is1", Programs() + name);
  AddStartupEntries();
  AddPartnerDriver();
  TestProcess running(L"zc4lcca.exe");
  ASSERT_TRUE(running.Started());
  tools_.UninstallWhole();
  ExpectUnchangedSince(before);
  EXPECT_EQ(4u, running.ExitCode());
}

TEST_F(OldClientRemovalTest, WithoutARecordedFolderTheFoldersCarryingItsNameGo) {
  std::set<std::wstring> before = PrefixListing::Take();
  AddProductFolders(L"岚川CA证书驱动单一版");
  AddProductFolders(L"岚川CA证书驱动单一版 2.1");
  AddUninstallKey(L"岚川CA证书驱动单一版_is1", L"");
  AddStartupEntries();
  tools_.UninstallWhole();
  ExpectUnchangedSince(before);
}

TEST_F(OldClientRemovalTest, FoldersLeftWithoutTheirEntryGoWithWhatTheProductCarried) {
  std::set<std::wstring> before = PrefixListing::Take();
  // The libraries that the E-sign products put in the system directory.
  Forget(before, Sys() + L"dmmon.exe");
  Forget(before, Sys() + L"NjaCrypt.dll");
  AddProductFolders(L"E-sign 澄舟 3.0");
  ASSERT_TRUE(fakes_.SetString(std::wstring(FakeKeyDrivers::kUninstall) + L"E-sign 澄舟（昆山专用）_is1", L"DisplayName", L"E-sign"));
  AddPartnerDriver();
  AddStartupEntries();
  // The driver certificate edition with a blank after its name, and its
  // patch, have no entry either; they carried no drivers of their own.
  AddProductFolders(L"岚川CA证书驱动 2012");
  AddProductFolders(L"岚川CA证书驱动补丁");
  ASSERT_TRUE(fakes_.SetString(std::wstring(FakeKeyDrivers::kUninstall) + L"1.7.7_is1", L"DisplayName", L"1.7.7"));
  tools_.UninstallWhole();
  ExpectUnchangedSince(before);
}

TEST_F(OldClientRemovalTest, ARecordedFolderThatIsNotTheProductsOwnIsLeft) {
  ASSERT_TRUE(fakes_.AddFile(Root() + L"windows\\certassist-canary.txt"));
  ASSERT_TRUE(fakes_.AddFile(StartMenu() + L"windows\\canary.lnk"));
  ASSERT_TRUE(fakes_.AddFile(Root() + L"certassist-tests\\岚川CA证书驱动补丁\\keep.txt"));
  const std::wstring key = L"岚川CA证书驱动补丁_is1";
  for (const std::wstring& appPath :
       {Root() + L"windows", Sys(), Programs(), Root(), std::wstring(L"岚川CA证书驱动补丁"), Root() + L"Documents and Settings",
        Programs() + L"..\\windows"}) {
    SCOPED_TRACE(appPath);
    std::set<std::wstring> before = PrefixListing::Take();
    AddUninstallKey(key, appPath);
    {
      CurrentDirectory inside(std::string(Root().begin(), Root().end()) + "certassist-tests");
      tools_.UninstallWhole();
    }
    ExpectUnchangedSince(before);
    EXPECT_TRUE(Exists(Root() + L"windows\\certassist-canary.txt"));
    EXPECT_TRUE(Exists(Root() + L"certassist-tests\\岚川CA证书驱动补丁\\keep.txt"));
  }
  // A folder of its own, written with a trailing "\", goes with its
  // start-menu folder; the start menu itself stays.
  std::set<std::wstring> before = PrefixListing::Take();
  AddProductFolders(L"岚川CA证书驱动补丁");
  AddUninstallKey(key, Programs() + L"岚川CA证书驱动补丁\\");
  tools_.UninstallWhole();
  ExpectUnchangedSince(before);
}

TEST_F(OldClientRemovalTest, TheEstateProductsRemoveOnlyAnIncompleteHaiTaiDriver) {
  const std::wstring key = L"岚川省房地产企业监管系统暨数字证书驱动_is1";
  AddUninstallKey(key, Programs() + L"岚川省房地产");
  ASSERT_TRUE(fakes_.AddFile(Programs() + L"岚川省房地产\\client.exe"));
  std::set<std::wstring> before = PrefixListing::Take();
  ASSERT_TRUE(fakes_.SetString(L"SOFTWARE\\HaiTaiFangYuan\\Control", L"CSP_NAME", L"HaiTai"));
  ASSERT_TRUE(fakes_.SetRunValue(L"HaiKeyUser_LCCA", L"C:\\x.exe"));
  ASSERT_TRUE(fakes_.AddFile(Sys() + L"HTLCCACSP.dll"));
  TestProcess running(L"KLTknSvr.exe");
  ASSERT_TRUE(running.Started());
  ASSERT_EQ(0, tools_.CheckDriverIsInstalled(1));
  tools_.UninstallWhole();
  // Its own entry and folder stay: only the driver goes.
  ExpectUnchangedSince(before);
  EXPECT_EQ(4u, running.ExitCode());

  // A complete HaiTai driver is left alone, and so are the programs.
  ASSERT_TRUE(fakes_.AddPackageFiles(1, L"", L"uninst.exe"));
  ASSERT_TRUE(fakes_.PlaceUninstaller(Sys() + L"uninst.exe"));
  ASSERT_EQ(1, tools_.CheckDriverIsInstalled(1));
  TestProcess again(L"KLTknSvr.exe");
  ASSERT_TRUE(again.Started());
  before = PrefixListing::Take();
  tools_.UninstallWhole();
  ExpectUnchangedSince(before);
  EXPECT_TRUE(again.IsRunning());
  EXPECT_TRUE(FakeKeyDrivers::UninstallersRun().empty());
}

}  // namespace
