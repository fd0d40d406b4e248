// CCommonFun: the USB-key driver packages of the authority's key vendors.
#include "CCommonFun.h"

#include "KeyDriverPackage.h"
#include "RegistryReads.h"
#include "SystemFolders.h"
#include "win/SetupHandles.h"

using namespace certassist;

namespace {

const DWORD kProbeBytes = 256;
// The interface class of USB devices (GUID_DEVINTERFACE_USB_DEVICE).
const GUID kUsbDeviceInterface = {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

void Clear(TAG_KEY_DRV_INFO& info) {
  info.first.Empty();
  info.third.Empty();
  info.list.RemoveAll();
}

// The device path of one interface of the list; empty when it cannot be read.
std::wstring DevicePath(HDEVINFO devices, SP_DEVICE_INTERFACE_DATA& device) {
  DWORD bytes = 0;
  SetupDiGetDeviceInterfaceDetailW(devices, &device, nullptr, 0, &bytes, nullptr);
  if (bytes < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return std::wstring();
  std::vector<BYTE> buffer(bytes);
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
  if (!SetupDiGetDeviceInterfaceDetailW(devices, &device, detail, bytes, nullptr, nullptr)) return std::wstring();
  return detail->DevicePath;
}

}  // namespace

int CCommonFun::GetKeyDrvInfo(int type, CStringList& lines, TAG_KEY_DRV_INFO& info) {
  Clear(info);
  const KeyDriverPackage* package = KeyDriverPackage::Find(type);
  if (package == nullptr || package->usbId == nullptr) return 0;
  for (POSITION at = lines.GetHeadPosition(); at != nullptr;) {
    const CString& line = lines.GetNext(at);
    if (line.Find(package->usbId) < 0) continue;
    int firstComma = line.Find(L',');
    int secondComma = firstComma < 0 ? -1 : line.Find(L',', firstComma + 1);
    if (secondComma < 0) continue;
    info.first = line.Left(firstComma);
    info.third = line.Mid(secondComma + 1);
    CString pieces = line.Mid(firstComma + 1, secondComma - firstComma - 1);
    for (int start = 0;;) {
      int hash = pieces.Find(L'#', start);
      info.list.AddHead(pieces.Mid(start, (hash < 0 ? pieces.GetLength() : hash) - start));
      if (hash < 0) break;
      start = hash + 1;
    }
    return 1;
  }
  return 0;
}

int CCommonFun::SearchDevice(std::vector<std::wstring>& paths) {
  win::UniqueDeviceList devices(SetupDiGetClassDevsW(&kUsbDeviceInterface, nullptr, nullptr,
                                                     DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
  if (!devices) return 0;
  SP_DEVICE_INTERFACE_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD index = 0;
       SetupDiEnumDeviceInterfaces(devices.Get(), nullptr, &kUsbDeviceInterface, index, &device); ++index) {
    std::wstring path = DevicePath(devices.Get(), device);
    if (!path.empty()) paths.push_back(path);
  }
  return 0;
}

int CCommonFun::CheckRegKeyExist(int type) {
  const KeyDriverPackage* package = KeyDriverPackage::Find(type);
  if (package == nullptr || package->probeKey == nullptr) return 0;
  return CanReadRegistryValue(HKEY_LOCAL_MACHINE, package->probeKey, package->probeValue, kProbeBytes) ? 1 : 0;
}

CString CCommonFun::GetInstallDir(int type) { return UninstallDir(type); }

CString CCommonFun::UninstallDir(int type) {
  const KeyDriverPackage* package = KeyDriverPackage::Find(type);
  return package != nullptr ? package->InstallFolder() : CString();
}

int CCommonFun::CheckDrvExeExist(int type, CString fileName) {
  CString folder = UninstallDir(type);
  return !folder.IsEmpty() && PathExists(folder + fileName) ? 1 : 0;
}

int CCommonFun::CheckDriverIsInstalled(int type) {
  const KeyDriverPackage* package = KeyDriverPackage::Find(type);
  return package != nullptr && package->IsInstalled() ? 1 : 0;
}

void CCommonFun::ChangeDriverVersion(int type, CString version, CString iniFile) {
  const KeyDriverPackage* package = KeyDriverPackage::Find(type);
  // Without a file name the profile functions would write to win.ini.
  if (package == nullptr || iniFile.IsEmpty()) return;
  WritePrivateProfileStringW(L"version", package->code, version, iniFile);
}
