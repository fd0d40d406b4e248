#include "frame/ClientConfig.h"

#include <windows.h>

#include <utility>

#include "win/Handles.h"

namespace {
constexpr const char* kSection = "tovak";
constexpr DWORD kUnfilteredFlag = 0x10000;

std::string ParentFolder(const std::string& folder) {
  size_t last = folder.find_last_of("\\/");
  return last == std::string::npos ? std::string() : folder.substr(0, last);
}
}  // namespace

ClientConfig::ClientConfig(std::string executableFolder)
    : executableFolder_(std::move(executableFolder)), dataFolder_(ParentFolder(executableFolder_)) {}

std::string ClientConfig::RunningProgramFolder() {
  char path[MAX_PATH] = "";
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  return ParentFolder(path);
}

std::string ClientConfig::IniPath() const { return executableFolder_ + "\\custom.ini"; }

int32_t ClientConfig::ReadInt(const char* key, int32_t fallback) const {
  return static_cast<int32_t>(GetPrivateProfileIntA(kSection, key, fallback, IniPath().c_str()));
}

void ClientConfig::Read() {
  showFriend_ = ReadInt("showFriend", 1) != 0;
  syncDownloadLimit_ = ReadInt("SyncDownloadLimit", 3);
  showIE_ = ReadInt("showIE", 1) != 0;
  appServer_ = ReadInt("appServer", 0);
}

bool ReadUnfilteredMode() {
  win::UniqueRegKey key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "Tovak.Document", 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS) return false;
  DWORD type = 0, value = 0, size = sizeof value;
  LONG status = RegQueryValueExA(key.Get(), "FilterFlags", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value && value == kUnfilteredFlag;
}
