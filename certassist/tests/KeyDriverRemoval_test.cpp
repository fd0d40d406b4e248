// Removal of the vendors' packages in the test prefix: what each type's row
// names is laid out, together with things close to it that it does not
// name (the detection entries, a service, neighbouring keys, files and
// folders). After the removal the prefix must list exactly as it did before
// the named things were laid out.
#include <gtest/gtest.h>

#include "TestText.h"

#include <set>
#include <string>
#include <vector>

#include "CCommonFun.h"
#include "FakeKeyDrivers.h"
#include "PrefixListing.h"
#include "TestProcess.h"

namespace {

const std::wstring kProvider = L"SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider\\";

// What removing one type names, as the vendors' packages leave it.
struct Row {
  int type;
  std::vector<std::wstring> processes;
  std::vector<std::wstring> trees;          // below HKLM
  std::vector<std::wstring> runValues;
  std::vector<std::wstring> uninstallKeys;
  std::vector<std::wstring> systemFiles;    // below the system directory
  std::vector<std::wstring> folders;        // below the drive root; "\" first: below the system directory
  std::wstring fallbackUninstaller;         // the same; HaiTai's is one of its system files
};

const std::vector<Row>& Rows() {
  static const std::vector<Row> rows = {
      {1,
       {L"HTCloseCSP.exe", L"Htcsp.exe", L"KillApp.exe", L"HaiKeyUser_LCCA.exe", L"HaiKeyUser.exe", L"HaiKeyCSP.exe",
        L"haitai.exe"},
       {L"SOFTWARE\\HaiTaiFangYuan", kProvider + L"GeneralGryptographicService Provider"},
       {L"HaiKeyUser", L"HaiKeyUser_LCCA"},
       {L"岚川CA CSP安装程序"},
       {L"HaiKeyUser.exe", L"BKEY0404.ini", L"BKEY0409.ini", L"BKEY0804.ini", L"BKEYLngIndex.ini", L"HKCommand.dll",
        L"HTCloseCSP.exe", L"Htcsp.exe", L"HTCSPAct.dll", L"HTCSPApi.dll", L"HTCSPRel.dll", L"JTDLLUI.dll", L"HTHW.dll",
        L"HTUIReq.dll", L"KillApp.exe", L"PlugTokenHT.kl", L"HaiKeySrv.exe", L"Htcsp.dll", L"HaiKeyUser_LCCA.ini",
        L"HTLCCACSP.dll", L"HaiKeyUser_LCCA.exe", L"HTCSPApi_LCCA.dll", L"HTLCCACSP\\GEControl.ini",
        L"HTLCCACSP\\GECSP.dll"},
       {L"\\HTLCCACSP"},
       L"\\uninst.exe"},
      {2,
       {L"CertManager.exe", L"LCCA_certd3003.exe"},
       {L"SOFTWARE\\EnterSafe\\ePass3003_LCCA", kProvider + L"EnterSafe ePass3003 CSP For LCCA v1.0"},
       {L"LCCACSP11"},
       {L"ePass3003-4FE7-A218-48BDAE051E2B_lcca"},
       {L"LCCACSP11.dll", L"LCCACSP11.sig", L"LCCACSP11_s.dll", L"LCCACSP11_s.sig", L"PlugTokenLCCAES03.KL"},
       {L"Program Files\\EnterSafe\\ePass3003_LCCA"},
       L"Program Files\\EnterSafe\\ePass3003_LCCA\\uninst.exe"},
      {3,
       {L"eSafe_monitor.exe", L"CertMgr.exe"},
       {L"SOFTWARE\\dmwz\\lCCA_AR_RTE", kProvider + L"eSafe Cryptographic Service v2.0",
        kProvider + L"eSafe Cryptographic Service Provider v2.0"},
       {L"CertMgr", L"eSafe_monitor"},
       {L"岚川CA密码钥匙驱动", L"岚川CA密码钥匙驱动_客户端"},
       {L"bdi_api.dll", L"ESFCAPI.dll", L"ESFCSP.dll", L"ESFCSP.sig", L"esfe_api.dll", L"ESF_UI.dll", L"dmcryptlib.dll",
        L"dmssleay.dll", L"PlugTokenDM.KL"},
       {L"Program Files\\dmwz\\lCCA_ar_new", L"Program Files\\dmwz\\lCCA_RTE", L"Program Files\\dmwz"},
       L"Program Files\\dmwz\\lCCA_RTE\\uninst.exe"},
      {4,
       {L"UserMgr.exe"},
       {L"SOFTWARE\\岚川CA-中钞USBKEY管理工具\\Components", kProvider + L"CBPMUsbKeyCSPForLCCA",
        kProvider + L"CBPM UsbKey CSP For LCCA"},
       {L"LCCACBPMRun"},
       {L"岚川CA-中钞USB管理工具"},
       {L"NewKeyCspC0.dll", L"NewKeyFunC0.dll", L"NjaCryptC0.DLL", L"ZC4LCCACONF.dll", L"PlugTokenZCC0.kl"},
       {L"Program Files\\CBPM"},
       L"Program Files\\CBPM\\lcca_z2000\\uninst.exe"},
      {6,
       {L"LCCA_certd2ka.exe"},
       {L"SOFTWARE\\EnterSafe\\ePass2000_LCCA", kProvider + L"EnterSafe ePass2000 CSP For LCCA v1.0"},
       {L"LCCA_Shuttle2000auto"},
       {},
       {L"LCCAP11V211.dll", L"LCCAP11V211_s.dll", L"Plug_LCCA_EP2KA.KL"},
       {L"Program Files\\EnterSafe\\ePass2000_LCCA"},
       L"Program Files\\EnterSafe\\ePass2000_LCCA\\uninst.exe"},
      {7,
       {},
       {kProvider + L"CBPM UsbKey CSP For LCJST"},
       {},
       {},
       {L"HisCSPC1.dll", L"NC1Crypt.dll", L"NewKeyCspC1.dll", L"NewKeyFC1.dll", L"PlugTokenZCC1.kl",
        L"ZC4LCCAULClient_jst.dll", L"jst-reg.reg"},
       {},
       L""},
  };
  return rows;
}

const Row& RowOf(int type) {
  for (const Row& row : Rows())
    if (row.type == type) return row;
  return Rows().front();
}

std::wstring Sys() { return FakeKeyDrivers::SystemFolder(); }
std::wstring Place(const std::wstring& path) {
  return path[0] == L'\\' ? Sys() + path.substr(1) : FakeKeyDrivers::DriveRoot() + path;
}

class KeyDriverRemovalTest : public ::testing::Test {
 protected:
  void SetUp() override { FakeKeyDrivers::ClearUninstallerLog(); }
  void TearDown() override { FakeKeyDrivers::ClearUninstallerLog(); }

  // Everything the row names, with subkeys, values and files in its trees
  // and folders.
  void LayOutNamed(const Row& row) {
    for (const std::wstring& tree : row.trees) {
      ASSERT_TRUE(fakes_.SetString(tree, L"Image Path", L"vendor.dll"));
      ASSERT_TRUE(fakes_.SetString(tree + L"\\Sub\\Deeper", L"Setting", L"1"));
    }
    for (const std::wstring& name : row.runValues) ASSERT_TRUE(fakes_.SetRunValue(name.c_str(), L"C:\\vendor\\monitor.exe"));
    for (const std::wstring& name : row.uninstallKeys)
      ASSERT_TRUE(fakes_.SetString(FakeKeyDrivers::kUninstall + name, L"DisplayName", name));
    for (const std::wstring& file : row.systemFiles) ASSERT_TRUE(fakes_.AddFile(Sys() + file));
    for (const std::wstring& folder : row.folders) ASSERT_TRUE(fakes_.AddFile(Place(folder) + L"\\data\\file.txt"));
  }

  // Things next to the package that no row names.
  void LayOutNeighbours() {
    ASSERT_TRUE(fakes_.SetString(L"SOFTWARE\\EnterSafe\\ePass9000_Other", L"Path", L"C:\\Other"));
    ASSERT_TRUE(fakes_.SetString(L"SOFTWARE\\dmwz", L"Vendor", L"dmwz"));
    ASSERT_TRUE(fakes_.SetString(L"SOFTWARE\\岚川CA-中钞USBKEY管理工具", L"Version", L"2.0"));
    ASSERT_TRUE(fakes_.SetString(kProvider + L"Other Vendor CSP", L"Image Path", L"other.dll"));
    ASSERT_TRUE(fakes_.SetRunValue(L"OtherVendorMonitor", L"C:\\other\\monitor.exe"));
    ASSERT_TRUE(fakes_.AddFile(Sys() + L"NewKeyCspC2.dll"));
    ASSERT_TRUE(fakes_.AddFile(FakeKeyDrivers::DriveRoot() + L"Program Files\\EnterSafe\\Other\\keep.txt"));
    // The package's key service, which no row names (a name of its own
    // each time: Wine holds a deleted service's name for a while).
    static int services = 0;
    service_ = L"certassist-HaiKeySrv-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++services);
    ASSERT_TRUE(fakes_.AddService(service_.c_str(), Sys() + L"HaiKeySrv.exe"));
  }

  bool ServiceStays() {
    win::UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    win::UniqueServiceHandle service(manager ? OpenServiceW(manager.Get(), service_.c_str(), SERVICE_QUERY_STATUS)
                                             : nullptr);
    return service.IsValid();
  }

  std::wstring OwnFolder(const wchar_t* name) {
    return FakeKeyDrivers::DriveRoot() + L"certassist-tests\\" + name + L"\\";
  }

  FakeKeyDrivers fakes_;
  CCommonFun tools_;
  std::wstring service_;
};

TEST_F(KeyDriverRemovalTest, EachTypeRemovesWhatItsRowNamesAndRunsItsOwnUninstaller) {
  for (int type : {1, 2, 3, 4, 6}) {
    SCOPED_TRACE("type " + std::to_string(type));
    const Row& row = RowOf(type);
    std::wstring folder = OwnFolder((L"type" + std::to_wstring(type)).c_str());
    ASSERT_TRUE(fakes_.PlaceUninstaller(folder + L"uninst.exe"));
    ASSERT_TRUE(fakes_.AddFile(folder + L"readme.txt"));
    LayOutNeighbours();
    // The entries that tell where a package lives; those in keys the row
    // does not name stay.
    if (type == 1) {
      ASSERT_TRUE(fakes_.SetUninstallString(L"岚川CA CSP 安装程序", folder + L"uninst.exe"));
    }
    if (type == 4) {
      ASSERT_TRUE(fakes_.SetUninstallString(L"岚川CA-中钞USBKEY管理工具", folder + L"uninst.exe"));
    }
    std::set<std::wstring> before = PrefixListing::Take();

    LayOutNamed(row);
    // Removed with its folder or as a file of the system directory; it must
    // not run while the package's own uninstaller is there.
    ASSERT_TRUE(fakes_.PlaceUninstaller(Place(row.fallbackUninstaller)));
    if (type == 2) {
      ASSERT_TRUE(fakes_.SetString(L"SOFTWARE\\EnterSafe\\ePass3003_LCCA", L"Path", folder));
    }
    if (type == 3) {
      ASSERT_TRUE(fakes_.SetUninstallString(L"岚川CA密码钥匙驱动", folder + L"uninst.exe"));
    }
    if (type == 6) {
      ASSERT_TRUE(fakes_.SetString(L"SOFTWARE\\EnterSafe\\ePass2000_LCCA", L"Path", folder));
    }
    ASSERT_EQ(CString(folder.c_str()), tools_.UninstallDir(type));
    ASSERT_NE(before, PrefixListing::Take());

    tools_.KeyDrvUninstall(type);
    std::set<std::wstring> after = PrefixListing::Take();
    EXPECT_TRUE(before == after) << PrefixListing::Difference(before, after);
    EXPECT_EQ(std::vector<std::wstring>{folder + L"uninst.exe"}, FakeKeyDrivers::UninstallersRun());
    EXPECT_TRUE(ServiceStays());
    fakes_.RemoveAll();
    FakeKeyDrivers::ClearUninstallerLog();
  }
}

TEST_F(KeyDriverRemovalTest, WithoutAnInstallationFolderTheFirstFallbackUninstallerRuns) {
  const Row& row = RowOf(3);
  std::wstring newer = FakeKeyDrivers::DriveRoot() + L"Program Files\\dmwz\\lCCA_ar_new\\uninst.exe";
  std::wstring older = Place(row.fallbackUninstaller);
  ASSERT_TRUE(fakes_.PlaceUninstaller(older));
  LayOutNamed(row);
  ASSERT_TRUE(tools_.UninstallDir(3).IsEmpty());
  tools_.KeyDrvUninstall(3);
  EXPECT_EQ(std::vector<std::wstring>{older}, FakeKeyDrivers::UninstallersRun());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(older.c_str()));

  FakeKeyDrivers::ClearUninstallerLog();
  ASSERT_TRUE(fakes_.PlaceUninstaller(older));
  ASSERT_TRUE(fakes_.PlaceUninstaller(newer));
  tools_.KeyDrvUninstall(3);
  EXPECT_EQ(std::vector<std::wstring>{newer}, FakeKeyDrivers::UninstallersRun());

  // HaiTai's fallback is the one in the system directory.
  FakeKeyDrivers::ClearUninstallerLog();
  ASSERT_TRUE(fakes_.PlaceUninstaller(Sys() + L"uninst.exe"));
  tools_.KeyDrvUninstall(1);
  EXPECT_EQ(std::vector<std::wstring>{Sys() + L"uninst.exe"}, FakeKeyDrivers::UninstallersRun());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((Sys() + L"uninst.exe").c_str()));
}

TEST_F(KeyDriverRemovalTest, WithoutAnyUninstallerTheRegistryEntriesAndFilesStillGo) {
  for (int type : {2, 4, 6}) {
    SCOPED_TRACE("type " + std::to_string(type));
    LayOutNeighbours();
    std::set<std::wstring> before = PrefixListing::Take();
    LayOutNamed(RowOf(type));
    ASSERT_TRUE(tools_.UninstallDir(type).IsEmpty());
    tools_.KeyDrvUninstall(type);
    std::set<std::wstring> after = PrefixListing::Take();
    EXPECT_TRUE(before == after) << PrefixListing::Difference(before, after);
    EXPECT_TRUE(FakeKeyDrivers::UninstallersRun().empty());
    fakes_.RemoveAll();
  }
}

TEST_F(KeyDriverRemovalTest, ThePartnerClientLosesOneProviderKeyAndSevenFilesAndRunsNothing) {
  LayOutNeighbours();
  // Its libraries of the class library's runtime are shared with others.
  ASSERT_TRUE(fakes_.AddFile(Sys() + L"mfc70.dll"));
  ASSERT_TRUE(fakes_.AddFile(Sys() + L"msvcr70.dll"));
  ASSERT_TRUE(fakes_.PlaceUninstaller(Sys() + L"uninst.exe"));
  std::set<std::wstring> before = PrefixListing::Take();
  const Row& row = RowOf(7);
  ASSERT_EQ(1u, row.trees.size());
  ASSERT_EQ(7u, row.systemFiles.size());
  LayOutNamed(row);
  tools_.KeyDrvUninstall(7);
  std::set<std::wstring> after = PrefixListing::Take();
  EXPECT_TRUE(before == after) << PrefixListing::Difference(before, after);
  EXPECT_TRUE(FakeKeyDrivers::UninstallersRun().empty());
}

TEST_F(KeyDriverRemovalTest, TypeFiveAndUnknownTypesChangeNothing) {
  LayOutNeighbours();
  ASSERT_TRUE(fakes_.PlaceUninstaller(Sys() + L"uninst.exe"));
  for (const Row& row : Rows()) {
    LayOutNamed(row);
    if (!row.fallbackUninstaller.empty()) {
      ASSERT_TRUE(fakes_.PlaceUninstaller(Place(row.fallbackUninstaller)));
    }
  }
  TestProcess running(L"CertManager.exe");
  ASSERT_TRUE(running.Started());
  std::set<std::wstring> before = PrefixListing::Take();
  for (int type : {5, 0, 8, -1, 100}) tools_.KeyDrvUninstall(type);
  std::set<std::wstring> after = PrefixListing::Take();
  EXPECT_TRUE(before == after) << PrefixListing::Difference(before, after);
  EXPECT_TRUE(FakeKeyDrivers::UninstallersRun().empty());
  EXPECT_TRUE(running.IsRunning());
}

TEST_F(KeyDriverRemovalTest, EveryCopyOfThePackagesProgramsIsEnded) {
  TestProcess first(L"CertManager.exe"), second(L"CertManager.exe"), other(L"LCCA_certd3003.exe");
  TestProcess bystander(L"CertManager2.exe");
  ASSERT_TRUE(first.Started() && second.Started() && other.Started() && bystander.Started());
  tools_.KeyDrvUninstall(2);
  EXPECT_EQ(4u, first.ExitCode());
  EXPECT_EQ(4u, second.ExitCode());
  EXPECT_EQ(4u, other.ExitCode());
  EXPECT_TRUE(bystander.IsRunning());
}

}  // namespace
