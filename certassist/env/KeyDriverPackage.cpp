#include "KeyDriverPackage.h"

#include "CCommonFun.h"
#include "CModuleVersion.h"
#include "RegistryReads.h"
#include "SystemFolders.h"

namespace certassist {

namespace {

using Source = KeyDriverPackage::FolderSource;

const wchar_t kUninstallRoot[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
// The vendors' values are read into buffers of this size.
const DWORD kValueBytes = 256;
// The oldest HaiTai command library that works with the authority's keys.
const wchar_t kLeastHaiTaiVersion[] = L"4.2.8.107";

const std::vector<KeyDriverPackage>& Packages() {
  static const std::vector<KeyDriverPackage> packages = {
      {1, L"HT", L"vid_5448&pid_0003", L"Software\\HaiTaiFangYuan\\Control", L"CSP_NAME", Source::kUninstallString,
       {L"岚川CA CSP 安装程序"}, nullptr, {L"HaiKeyUser_LCCA.exe"}, nullptr,
       {L"HaiKeyUser_LCCA.ini", L"PlugTokenHT.kl", L"HKCommand.dll", L"HTLCCACSP.dll", L"HaiKeyUser_LCCA.exe",
        L"HTLCCACSP\\GEControl.ini", L"GEControl.ini", L"HTLCCACSP\\GECSP.dll", L"uninst.exe",
        L"HTCSPApi_LCCA.dll"},
       {}, true},
      {2, L"FT", L"vid_096e&pid_0702", L"Software\\EnterSafe\\ePass3003_LCCA", L"Path", Source::kPathValue,
       {L"SOFTWARE\\EnterSafe\\ePass3003_LCCA"}, L"Program Files\\EnterSafe\\ePass3003_LCCA\\",
       {L"LCCA_certd3003.exe"}, L"Program Files\\EnterSafe\\ePass3003_LCCA\\",
       {L"lang\\escertd_1033.lng", L"lang\\escertd_2052.lng", L"lang\\escsp_1033.lng", L"lang\\escsp_2052.lng",
        L"lang\\esmgr_1033.lng", L"lang\\esmgr_2052.lng", L"CertManager.exe", L"LCCA_certd3003.exe",
        L"LCCACSP11_s.reg", L"uninst.exe"},
       {L"LCCACSP11.dll", L"LCCACSP11.sig", L"LCCACSP11_s.dll", L"LCCACSP11_s.sig", L"PlugTokenLCCAES03.KL"}, false},
      {3, L"DM", L"vid_8829&pid_0013", L"Software\\dmwz\\lCCA_AR_RTE", L"InstallDir", Source::kUninstallString,
       {L"岚川CA密码钥匙驱动", L"岚川CA密码钥匙驱动_客户端"}, L"Program Files\\LCCA_RTE\\",
       {L"CertMgr.exe", L"eSafe_monitor.exe"}, L"Program Files\\LCCA_RTE\\",
       {L"CertMgr.exe", L"eSafe_monitor.exe", L"uninst.exe"},
       {L"bdi_api.dll", L"dmcryptlib.dll", L"dmssleay.dll", L"ESF_UI.dll", L"ESFCAPI.dll", L"ESFCSP.dll",
        L"ESFCSP.sig", L"esfe_api.dll", L"PlugTokenDM.KL"},
       false},
      {4, L"ZC", L"vid_d1a1&pid_2291", L"Software\\Microsoft\\Cryptography\\Defaults\\Provider\\CBPM UsbKey CSP For LCCA",
       L"Image Path", Source::kUninstallString, {L"岚川CA-中钞USBKEY管理工具"}, L"Program Files\\CBPM\\lcca_z2000\\",
       {L"UserMgr.exe"}, L"Program Files\\CBPM\\lcca_z2000\\",
       {L"UserMgr.exe", L"uninst.exe", L"usbccid.cat", L"usbccid.inf", L"usbccid.sys"},
       {L"NewKeyCspC0.dll", L"NewKeyFunC0.dll", L"NjaCryptC0.dll", L"ZC4LCCACONF.dll", L"PlugTokenZCC0.kl"}, false},
      {6, L"FTP", L"vid_096e&pid_0305", nullptr, nullptr, Source::kPathValue, {L"SOFTWARE\\EnterSafe\\ePass2000_LCCA"},
       L"Program Files\\EnterSafe\\ePass2000_LCCA\\", {L"LCCA_certd2ka.exe"},
       L"Program Files\\EnterSafe\\ePass2000_LCCA\\",
       {L"lang\\escertd_LCCA_1033.lng", L"lang\\escertd_LCCA_2052.lng", L"lang\\escsp_LCCA_1033.lng",
        L"lang\\escsp_LCCA_2052.lng", L"lang\\esmgr_LCCA_1033.lng", L"lang\\esmgr_LCCA_2052.lng",
        L"LCCA_certd2ka.exe", L"LCCAP11V211_s.reg", L"uninst.exe"},
       {L"LCCAP11V211.dll", L"LCCAP11V211_s.dll", L"Plug_LCCA_EP2KA.KL"}, false},
      {7, L"ZCO", nullptr, nullptr, nullptr, Source::kNone, {}, nullptr, {}, nullptr, {},
       {L"mfc70.dll", L"msvcr70.dll", L"HisCSPC1.dll", L"NC1Crypt.dll", L"NewKeyCspC1.dll", L"NewKeyFC1.dll",
        L"PlugTokenZCC1.kl", L"ZC4LCCAULClient_jst.dll"},
       false},
  };
  return packages;
}

CString FolderBelowRoot(const wchar_t* folder) {
  return folder != nullptr ? DriveRoot() + folder : SystemDirectorySlash();
}

bool AllExist(const CString& folder, const std::vector<const wchar_t*>& files) {
  for (const wchar_t* file : files) {
    if (!PathExists(folder + file)) return false;
  }
  return true;
}

// The folder of an uninstall command: up to and including its last "\". A
// command in quotes (as setup programs write paths with blanks) loses the
// opening quote, which is no part of the folder.
CString CommandFolder(CString command) {
  if (command.GetLength() > 0 && command[0] == L'"') command = command.Mid(1);
  return command.Left(command.ReverseFind(L'\\') + 1);
}

}  // namespace

const KeyDriverPackage* KeyDriverPackage::Find(int type) {
  for (const KeyDriverPackage& package : Packages()) {
    if (package.type == type) return &package;
  }
  return nullptr;
}

CString KeyDriverPackage::InstallFolder() const {
  CString folder;
  if (!ReadRecordedFolder(folder)) return CString();
  return folder.IsEmpty() ? FallbackFolder() : folder;
}

// False when the key or the value cannot be read; folder may be empty when
// they can.
bool KeyDriverPackage::ReadRecordedFolder(CString& folder) const {
  if (folderSource == FolderSource::kNone || folderKeys.empty()) return false;
  if (folderSource == FolderSource::kPathValue) {
    CString path;
    if (!ReadRegistryString(HKEY_LOCAL_MACHINE, folderKeys.front(), L"Path", kValueBytes, path)) return false;
    if (!path.IsEmpty() && path[path.GetLength() - 1] != L'\\') path += L'\\';
    folder = path;
    return true;
  }
  for (const wchar_t* name : folderKeys) {
    win::UniqueRegKey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, CString(kUninstallRoot) + name);
    if (!key) continue;
    CString command;
    if (!ReadRegistryString(key.Get(), L"UninstallString", kValueBytes, command)) return false;
    folder = CommandFolder(command);
    return true;
  }
  return false;
}

CString KeyDriverPackage::FallbackFolder() const {
  CString folder = FolderBelowRoot(fallbackFolder);
  return AllExist(folder, fallbackFiles) ? folder : CString();
}

bool KeyDriverPackage::IsInstalled() const {
  if (checksVersion) {
    CModuleVersion version;
    CString found = version.GetFileVersion(SystemDirectorySlash() + L"HKCommand.dll");
    if (CCommonFun().CompareCString(kLeastHaiTaiVersion, found) == 1) return false;
  }
  CString base = InstallFolder();
  if (base.IsEmpty()) base = FolderBelowRoot(defaultFolder);
  return AllExist(base, folderFiles) && AllExist(SystemDirectorySlash(), systemFiles);
}

}  // namespace certassist
