#include "KeyDriverRemoval.h"

#include "SystemFolders.h"

namespace certassist {

namespace {

const wchar_t kProviders[] = L"SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider\\";

const std::vector<KeyDriverRemoval>& Removals() {
  static const CString provider(kProviders);
  static const CString haiTaiProvider = provider + L"GeneralGryptographicService Provider";
  static const CString epass3003Provider = provider + L"EnterSafe ePass3003 CSP For LCCA v1.0";
  static const CString dmwzProvider = provider + L"eSafe Cryptographic Service v2.0";
  static const CString dmwzProvider2 = provider + L"eSafe Cryptographic Service Provider v2.0";
  static const CString cbpmProvider = provider + L"CBPMUsbKeyCSPForLCCA";
  static const CString cbpmProvider2 = provider + L"CBPM UsbKey CSP For LCCA";
  static const CString epass2000Provider = provider + L"EnterSafe ePass2000 CSP For LCCA v1.0";
  static const CString partnerProvider = provider + L"CBPM UsbKey CSP For LCJST";
  static const std::vector<KeyDriverRemoval> removals = {
      {1,
       {L"HTCloseCSP.exe", L"Htcsp.exe", L"KillApp.exe", L"HaiKeyUser_LCCA.exe", L"HaiKeyUser.exe", L"HaiKeyCSP.exe",
        L"haitai.exe"},
       {L"\\"},
       {L"SOFTWARE\\HaiTaiFangYuan", haiTaiProvider},
       {L"HaiKeyUser", L"HaiKeyUser_LCCA"},
       {L"岚川CA CSP安装程序"},
       {L"\\HaiKeyUser.exe",   L"\\BKEY0404.ini",        L"\\BKEY0409.ini",          L"\\BKEY0804.ini",
        L"\\BKEYLngIndex.ini", L"\\HKCommand.dll",       L"\\HTCloseCSP.exe",        L"\\Htcsp.exe",
        L"\\HTCSPAct.dll",     L"\\HTCSPApi.dll",        L"\\HTCSPRel.dll",          L"\\JTDLLUI.dll",
        L"\\HTHW.dll",         L"\\HTUIReq.dll",         L"\\KillApp.exe",           L"\\PlugTokenHT.kl",
        L"\\uninst.exe",       L"\\HaiKeySrv.exe",       L"\\Htcsp.dll",             L"\\HaiKeyUser_LCCA.ini",
        L"\\HTLCCACSP.dll",    L"\\HaiKeyUser_LCCA.exe", L"\\HTCSPApi_LCCA.dll",     L"\\HTLCCACSP\\GEControl.ini",
        L"\\HTLCCACSP\\GECSP.dll"},
       {L"\\HTLCCACSP\\"}},
      {2,
       {L"CertManager.exe", L"LCCA_certd3003.exe"},
       {L"Program Files\\EnterSafe\\ePass3003_LCCA\\"},
       {L"SOFTWARE\\EnterSafe\\ePass3003_LCCA", epass3003Provider},
       {L"LCCACSP11"},
       {L"ePass3003-4FE7-A218-48BDAE051E2B_lcca"},
       {L"\\LCCACSP11.dll", L"\\LCCACSP11.sig", L"\\LCCACSP11_s.dll", L"\\LCCACSP11_s.sig", L"\\PlugTokenLCCAES03.KL"},
       {L"Program Files\\EnterSafe\\ePass3003_LCCA"}},
      {3,
       {L"eSafe_monitor.exe", L"CertMgr.exe"},
       {L"Program Files\\dmwz\\lCCA_ar_new\\", L"Program Files\\dmwz\\lCCA_RTE\\"},
       {L"SOFTWARE\\dmwz\\lCCA_AR_RTE", dmwzProvider, dmwzProvider2},
       {L"CertMgr", L"eSafe_monitor"},
       {L"岚川CA密码钥匙驱动", L"岚川CA密码钥匙驱动_客户端"},
       {L"\\bdi_api.dll", L"\\ESFCAPI.dll", L"\\ESFCSP.dll", L"\\ESFCSP.sig", L"\\esfe_api.dll", L"\\ESF_UI.dll",
        L"\\dmcryptlib.dll", L"\\dmssleay.dll", L"\\PlugTokenDM.KL"},
       {L"Program Files\\dmwz\\lCCA_ar_new\\", L"Program Files\\dmwz\\lCCA_RTE\\", L"Program Files\\dmwz\\"}},
      {4,
       {L"UserMgr.exe"},
       {L"Program Files\\CBPM\\lcca_z2000\\"},
       {L"SOFTWARE\\岚川CA-中钞USBKEY管理工具\\Components", cbpmProvider, cbpmProvider2},
       {L"LCCACBPMRun"},
       {L"岚川CA-中钞USB管理工具"},
       {L"\\NewKeyCspC0.dll", L"\\NewKeyFunC0.dll", L"\\NjaCryptC0.DLL", L"\\ZC4LCCACONF.dll", L"\\PlugTokenZCC0.kl"},
       {L"Program Files\\CBPM\\"}},
      {6,
       {L"LCCA_certd2ka.exe"},
       {L"Program Files\\EnterSafe\\ePass2000_LCCA\\"},
       {L"SOFTWARE\\EnterSafe\\ePass2000_LCCA", epass2000Provider},
       {L"LCCA_Shuttle2000auto"},
       {},
       {L"\\LCCAP11V211.dll", L"\\LCCAP11V211_s.dll", L"\\Plug_LCCA_EP2KA.KL"},
       {L"Program Files\\EnterSafe\\ePass2000_LCCA\\"}},
      {7,
       {},
       {},
       {partnerProvider},
       {},
       {},
       {L"\\HisCSPC1.dll", L"\\NC1Crypt.dll", L"\\NewKeyCspC1.dll", L"\\NewKeyFC1.dll", L"\\PlugTokenZCC1.kl",
        L"\\ZC4LCCAULClient_jst.dll", L"\\jst-reg.reg"},
       {}},
  };
  return removals;
}

}  // namespace

const KeyDriverRemoval* KeyDriverRemoval::Find(int type) {
  for (const KeyDriverRemoval& removal : Removals()) {
    if (removal.type == type) return &removal;
  }
  return nullptr;
}

CString KeyDriverRemoval::Place(const wchar_t* path) {
  return path[0] == L'\\' ? SystemDirectory() + path : DriveRoot() + path;
}

const std::vector<OldClientProduct>& OldClientProduct::All() {
  static const std::vector<int> general = {2, 3, 1, 4, 6, 7};
  static const std::vector<const wchar_t*> esign = {
      L"unins000.exe",       L"dmmon.exe",           L"WareApp.exe",    L"CertImport.exe",
      L"ChngPin.exe",        L"HaiKey.exe",          L"UserMgr.exe",    L"unins000.exe",
      L"LCCA_certd3003.exe", L"HaiKeyUser_LCCA.exe", L"HTCloseCSP.exe", L"HaiKeySrv.exe"};
  static const std::vector<const wchar_t*> customs = {L"es3003.exe", L"HaiKey.exe", L"zc4lcca.exe", L"unins000.exe",
                                                      L"HaiKeyUser_LCCA.exe"};
  static const std::vector<OldClientProduct> products = {
      {L"E-sign 澄舟_is1", L"E-sign 澄舟", esign, {2, 1, 4, 3, 7, 6}, false, true, false, L"E-sign 澄舟（昆山专用）_is1"},
      {L"澄舟 E-Sign_is1", L"澄舟 E-Sign", esign, {2, 1, 4, 3, 7, 6}, false, true, false, nullptr},
      {L"澄舟在线延期补丁（药监局专用）_is1", L"澄舟在线延期补丁（药监局专用）", {}, {}, false, false, false, nullptr},
      {L"岚川CA海关版MQ客户端_is1", L"岚川CA海关版MQ客户端", customs, general, false, false, true, nullptr},
      {L"岚川CA证书驱动（海关版网页客户端）_is1", L"海关版网页客户端", customs, general, false, false, true, nullptr},
      {L"岚川CA证书驱动_is1", L"岚川CA证书驱动 ", {}, general, false, false, false, L"1.7.7_is1"},
      {L"岚川CA证书驱动补丁_is1", L"岚川CA证书驱动补丁", {}, general, false, false, false, nullptr},
      {L"岚川省房地产企业监管系统暨数字证书驱动_is1", nullptr,
       {L"CertImport.exe", L"ChngPin.exe", L"KLTknSvr.exe", L"haitai.exe", L"unins000.exe"}, {1}, true, false, false,
       nullptr},
      {L"岚川省住房与房地产电子政务平台软件_is1", nullptr,
       {L"CertImport.exe", L"ChngPin.exe", L"KLTknSvr.exe", L"HaiKeyCSP.exe", L"unins000.exe", L"HaiKeyUser_LCCA.exe"},
       {1}, true, false, false, nullptr},
      {L"岚川CA证书驱动单一版_is1", L"岚川CA证书驱动单一版", {L"es2000.exe", L"unins000.exe"}, general, false, false,
       false, nullptr},
      {L"岚川CA证书驱动(药监局专用)_is1", L"岚川CA证书驱动(药监局专用)",
       {L"CertImport.exe", L"ChngPin.exe", L"haitai.exe", L"unins000.exe", L"HaiKeyUser_LCCA.exe"}, general, false,
       false, false, nullptr},
  };
  return products;
}

const std::vector<const wchar_t*>& OldClientProduct::RunValues() {
  static const std::vector<const wchar_t*> values = {L"eSafe_wareapp", L"eSafe_dmmon", L"dmmon",
                                                     L"newkey_UserMgr", L"HaiKeySrv",   L"LCCACSP11"};
  return values;
}

const std::vector<const wchar_t*>& OldClientProduct::SystemFiles() {
  static const std::vector<const wchar_t*> files = {L"PlugTokenDM.KL", L"PlugTokenZC.KL", L"dmmon.exe",
                                                    L"WareApp.exe",    L"bdi_api.dll",    L"dmcryptlib.dll",
                                                    L"dmssleay.dll",   L"esfe_api.dll",   L"NewKeyFun.dll",
                                                    L"NjaCrypt.dll"};
  return files;
}

}  // namespace certassist
