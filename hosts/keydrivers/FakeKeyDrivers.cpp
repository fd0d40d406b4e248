#include "FakeKeyDrivers.h"

#include "win/Handles.h"

const wchar_t FakeKeyDrivers::kUninstall[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const wchar_t FakeKeyDrivers::kRun[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool KeyExists(const std::wstring& key) {
  win::UniqueRegKey opened;
  return RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, opened.Put()) == ERROR_SUCCESS;
}

void DeleteTree(const std::wstring& folder) {
  WIN32_FIND_DATAW entry;
  win::UniqueFind find(FindFirstFileW((folder + L"\\*").c_str(), &entry));
  if (find) {
    do {
      std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = folder + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteTree(path);
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find.Get(), &entry));
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

std::wstring FakeKeyDrivers::SystemFolder() {
  wchar_t folder[MAX_PATH] = {};
  GetSystemDirectoryW(folder, MAX_PATH);
  return std::wstring(folder) + L"\\";
}

std::wstring FakeKeyDrivers::DriveRoot() { return SystemFolder().substr(0, 3); }

std::wstring FakeKeyDrivers::DefaultFolder(int type) {
  switch (type) {
    case 2: return DriveRoot() + L"Program Files\\EnterSafe\\ePass3003_LCCA\\";
    case 3: return DriveRoot() + L"Program Files\\LCCA_RTE\\";
    case 4: return DriveRoot() + L"Program Files\\CBPM\\lcca_z2000\\";
    case 6: return DriveRoot() + L"Program Files\\EnterSafe\\ePass2000_LCCA\\";
    default: return SystemFolder();
  }
}

std::vector<std::wstring> FakeKeyDrivers::FolderFiles(int type) {
  switch (type) {
    case 1:
      return {L"HaiKeyUser_LCCA.ini", L"PlugTokenHT.kl",          L"HKCommand.dll", L"HTLCCACSP.dll",
              L"HaiKeyUser_LCCA.exe", L"HTLCCACSP\\GEControl.ini", L"GEControl.ini", L"HTLCCACSP\\GECSP.dll",
              L"uninst.exe",          L"HTCSPApi_LCCA.dll"};
    case 2:
      return {L"lang\\escertd_1033.lng", L"lang\\escertd_2052.lng", L"lang\\escsp_1033.lng",
              L"lang\\escsp_2052.lng",   L"lang\\esmgr_1033.lng",   L"lang\\esmgr_2052.lng",
              L"CertManager.exe",        L"LCCA_certd3003.exe",     L"LCCACSP11_s.reg",
              L"uninst.exe"};
    case 3: return {L"CertMgr.exe", L"eSafe_monitor.exe", L"uninst.exe"};
    case 4: return {L"UserMgr.exe", L"uninst.exe", L"usbccid.cat", L"usbccid.inf", L"usbccid.sys"};
    case 6:
      return {L"lang\\escertd_LCCA_1033.lng", L"lang\\escertd_LCCA_2052.lng", L"lang\\escsp_LCCA_1033.lng",
              L"lang\\escsp_LCCA_2052.lng",   L"lang\\esmgr_LCCA_1033.lng",   L"lang\\esmgr_LCCA_2052.lng",
              L"LCCA_certd2ka.exe",           L"LCCAP11V211_s.reg",           L"uninst.exe"};
    default: return {};
  }
}

std::vector<std::wstring> FakeKeyDrivers::SystemFiles(int type) {
  switch (type) {
    case 2:
      return {L"LCCACSP11.dll", L"LCCACSP11.sig", L"LCCACSP11_s.dll", L"LCCACSP11_s.sig", L"PlugTokenLCCAES03.KL"};
    case 3:
      return {L"bdi_api.dll", L"dmcryptlib.dll", L"dmssleay.dll", L"ESF_UI.dll",    L"ESFCAPI.dll",
              L"ESFCSP.dll",  L"ESFCSP.sig",     L"esfe_api.dll", L"PlugTokenDM.KL"};
    case 4: return {L"NewKeyCspC0.dll", L"NewKeyFunC0.dll", L"NjaCryptC0.dll", L"ZC4LCCACONF.dll", L"PlugTokenZCC0.kl"};
    case 6: return {L"LCCAP11V211.dll", L"LCCAP11V211_s.dll", L"Plug_LCCA_EP2KA.KL"};
    case 7:
      return {L"mfc70.dll",       L"msvcr70.dll",   L"HisCSPC1.dll",     L"NC1Crypt.dll",
              L"NewKeyCspC1.dll", L"NewKeyFC1.dll", L"PlugTokenZCC1.kl", L"ZC4LCCAULClient_jst.dll"};
    default: return {};
  }
}

// The highest key of the path that does not exist yet is the one to remove.
void FakeKeyDrivers::RememberKey(const std::wstring& key) {
  for (size_t end = key.find(L'\\');; end = key.find(L'\\', end + 1)) {
    std::wstring prefix = key.substr(0, end);
    if (!KeyExists(prefix)) {
      keys_.push_back(prefix);
      return;
    }
    if (end == std::wstring::npos) return;
  }
}

bool FakeKeyDrivers::CreateKey(const std::wstring& key) {
  RememberKey(key);
  win::UniqueRegKey created;
  return RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, created.Put(),
                         nullptr) == ERROR_SUCCESS;
}

bool FakeKeyDrivers::SetValue(const std::wstring& key, const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
  bool keyExisted = KeyExists(key);
  if (!CreateKey(key)) return false;
  if (keyExisted && RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_ANY, nullptr, nullptr, nullptr) !=
                        ERROR_SUCCESS)
    values_.emplace_back(key, name);
  return RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, type, data, bytes) == ERROR_SUCCESS;
}

bool FakeKeyDrivers::SetString(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  return SetValue(key, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

bool FakeKeyDrivers::SetUninstallString(const std::wstring& uninstallKey, const std::wstring& command) {
  return SetString(kUninstall + uninstallKey, L"UninstallString", command);
}

bool FakeKeyDrivers::SetRunValue(const wchar_t* name, const std::wstring& command) {
  return SetString(kRun, name, command);
}

bool FakeKeyDrivers::AddService(const wchar_t* name, const std::wstring& binaryPath) {
  win::UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) return false;
  win::UniqueServiceHandle service(CreateServiceW(manager.Get(), name, name, SERVICE_ALL_ACCESS,
                                                  SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                                  SERVICE_ERROR_IGNORE, binaryPath.c_str(), nullptr, nullptr,
                                                  nullptr, nullptr, nullptr));
  if (!service) return false;
  // Wine may not find a service by its name for a while after it made it:
  // the handle that made it is the one that deletes it.
  services_.push_back(std::move(service));
  return true;
}

std::wstring FakeKeyDrivers::UninstallerLog() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + L"fake-uninstallers.log";
}

void FakeKeyDrivers::ClearUninstallerLog() { DeleteFileW(UninstallerLog().c_str()); }

std::vector<std::wstring> FakeKeyDrivers::UninstallersRun(size_t expected, DWORD waitMs) {
  std::vector<std::wstring> paths;
  for (DWORD waited = 0;; waited += 50) {
    paths.clear();
    std::string text;
    win::UniqueFile file(CreateFileW(UninstallerLog().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
    char buffer[4096];
    DWORD got = 0;
    while (file && ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
      std::string line = text.substr(start, end - start);
      std::wstring path(line.size(), L'\0');
      int chars = MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), &path[0],
                                      static_cast<int>(path.size()));
      path.resize(chars > 0 ? chars : 0);
      paths.push_back(path);
    }
    if (paths.size() >= expected || waited >= waitMs) return paths;
    Sleep(50);
  }
}

bool FakeKeyDrivers::PlaceUninstaller(const std::wstring& path) {
  wchar_t program[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  std::wstring folder(program);
  folder.resize(folder.rfind(L'\\') + 1);
  return PlaceCopy(folder + L"fake_uninstaller.exe", path);
}

bool FakeKeyDrivers::MakeFolders(const std::wstring& folder) {
  for (size_t end = folder.find(L'\\', 3);; end = folder.find(L'\\', end + 1)) {
    std::wstring prefix = folder.substr(0, end);
    if (!prefix.empty() && !Exists(prefix)) {
      if (!CreateDirectoryW(prefix.c_str(), nullptr)) return false;
      folders_.push_back(prefix);
    }
    if (end == std::wstring::npos || end + 1 >= folder.size()) return true;
  }
}

bool FakeKeyDrivers::AddFile(const std::wstring& path, const std::string& content) {
  if (!MakeFolders(path.substr(0, path.rfind(L'\\')))) return false;
  if (!Exists(path)) files_.push_back(path);
  win::UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
}

bool FakeKeyDrivers::PlaceCopy(const std::wstring& from, const std::wstring& to) {
  if (!MakeFolders(to.substr(0, to.rfind(L'\\')))) return false;
  if (!Exists(to)) files_.push_back(to);
  return CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
}

bool FakeKeyDrivers::AddPackageFiles(int type, const std::wstring& folder, const std::wstring& skip) {
  std::wstring base = folder.empty() ? DefaultFolder(type) : folder;
  bool ok = true;
  for (const std::wstring& file : FolderFiles(type)) {
    if (file != skip && !Exists(base + file)) ok = AddFile(base + file) && ok;
  }
  for (const std::wstring& file : SystemFiles(type)) {
    if (file != skip && !Exists(SystemFolder() + file)) ok = AddFile(SystemFolder() + file) && ok;
  }
  return ok;
}

void FakeKeyDrivers::RemoveAll() {
  for (auto file = files_.rbegin(); file != files_.rend(); ++file) {
    SetFileAttributesW(file->c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(file->c_str());
  }
  for (auto folder = folders_.rbegin(); folder != folders_.rend(); ++folder) DeleteTree(*folder);
  for (const win::UniqueServiceHandle& service : services_) DeleteService(service.Get());
  for (const auto& value : values_) RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, value.first.c_str(), value.second.c_str());
  for (auto key = keys_.rbegin(); key != keys_.rend(); ++key) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, key->c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, key->c_str());
  }
  files_.clear();
  folders_.clear();
  keys_.clear();
  values_.clear();
  services_.clear();
}
