#pragma once

// A listing of the places of the test prefix around the vendors' packages:
// the HKLM keys where packages register (every subkey, value and value's
// data), HKLM's start-up entries, the service manager's services, and every
// file and folder (with sizes) of the system directory, the program folders,
// the start-menu folders and the top of the drive.
// Two listings are equal when nothing in those places changed.
#include <windows.h>

#include <set>
#include <string>

#include "win/Handles.h"

class PrefixListing {
 public:
  static std::set<std::wstring> Take() {
    std::set<std::wstring> lines;
    for (const wchar_t* key : kKeys) AddKey(key, lines);
    AddServices(lines);
    std::wstring system = SystemFolder(), root = system.substr(0, 3);
    AddFolder(system, true, lines);
    AddFolder(root, false, lines);
    AddFolder(root + L"Program Files", true, lines);
    AddFolder(root + L"Documents and Settings", true, lines);
    return lines;
  }

  // What only one of the listings holds, one line each, for failure messages.
  static std::wstring Difference(const std::set<std::wstring>& before, const std::set<std::wstring>& after) {
    std::wstring text;
    for (const std::wstring& line : before)
      if (!after.count(line)) text += L"gone: " + line + L"\n";
    for (const std::wstring& line : after)
      if (!before.count(line)) text += L"new:  " + line + L"\n";
    return text;
  }

  static std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    GetSystemDirectoryW(folder, MAX_PATH);
    return folder;
  }

 private:
  static constexpr const wchar_t* kKeys[] = {
      L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
      L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
      L"SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider",
      L"SOFTWARE\\HaiTaiFangYuan",
      L"SOFTWARE\\EnterSafe",
      L"SOFTWARE\\dmwz",
      L"SOFTWARE\\岚川CA-中钞USBKEY管理工具",
  };
  // Start-up entries that other test programs write while these run.
  static bool OtherProgramsEntry(const std::wstring& name) { return name.rfind(L"certassist-test-", 0) == 0; }
  // Folders that other test programs make for themselves at the top of the
  // drive while these run.
  static bool OtherProgramsFolder(const std::wstring& name) { return name.rfind(L"tvtest-", 0) == 0; }

  // Wine starts and ends a service of this name for each driver host; the
  // tests' own services ("certassist-...") are gone only some time after
  // they were deleted, and the tests look at them themselves.
  static bool PassingService(std::wstring name) {
    CharLowerBuffW(&name[0], static_cast<DWORD>(name.size()));
    return name.rfind(L"winedevice", 0) == 0 || name.rfind(L"certassist-", 0) == 0;
  }

 public:
  static bool IsPassingService(const std::wstring& name) { return PassingService(name); }
  // Service names compare without case; the service manager is free to
  // report one as "Eventlog" now and as "EventLog" once it has started it.
  static std::wstring ServiceName(std::wstring name) {
    CharLowerBuffW(&name[0], static_cast<DWORD>(name.size()));
    return name;
  }

 private:
  static void AddKey(const std::wstring& path, std::set<std::wstring>& lines) {
    win::UniqueRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return;
    lines.insert(L"key  " + path);
    wchar_t name[16384];
    BYTE data[65536];
    for (DWORD index = 0;; ++index) {
      DWORD chars = 16384, bytes = sizeof data, type = 0;
      if (RegEnumValueW(key.Get(), index, name, &chars, nullptr, &type, data, &bytes) != ERROR_SUCCESS) break;
      if (OtherProgramsEntry(name)) continue;
      std::wstring line = L"value " + path + L" | " + name + L" = " + std::to_wstring(type) + L":";
      for (DWORD i = 0; i < bytes; ++i) line += L"0123456789abcdef"[data[i] >> 4], line += L"0123456789abcdef"[data[i] & 15];
      lines.insert(line);
    }
    for (DWORD index = 0;; ++index) {
      DWORD chars = 16384;
      if (RegEnumKeyExW(key.Get(), index, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      AddKey(path + L"\\" + name, lines);
    }
  }

  static void AddServices(std::set<std::wstring>& lines) {
    win::UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE));
    DWORD bytes = 0, count = 0, resume = 0;
    EnumServicesStatusExW(manager.Get(), SC_ENUM_PROCESS_INFO, SERVICE_WIN32 | SERVICE_DRIVER, SERVICE_STATE_ALL,
                          nullptr, 0, &bytes, &count, &resume, nullptr);
    std::string buffer(bytes, '\0');
    resume = 0;
    if (!EnumServicesStatusExW(manager.Get(), SC_ENUM_PROCESS_INFO, SERVICE_WIN32 | SERVICE_DRIVER,
                               SERVICE_STATE_ALL, reinterpret_cast<BYTE*>(&buffer[0]), bytes, &bytes, &count,
                               &resume, nullptr))
      return;
    const auto* services = reinterpret_cast<const ENUM_SERVICE_STATUS_PROCESSW*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
      if (!PassingService(services[i].lpServiceName)) lines.insert(L"service " + ServiceName(services[i].lpServiceName));
    }
  }

  static void AddFolder(const std::wstring& folder, bool below, std::set<std::wstring>& lines) {
    WIN32_FIND_DATAW entry;
    std::wstring base = folder.back() == L'\\' ? folder : folder + L"\\";
    win::UniqueFind find(FindFirstFileW((base + L"*").c_str(), &entry));
    if (!find) return;
    do {
      std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      if (isFolder && OtherProgramsFolder(name)) continue;
      lines.insert((isFolder ? L"folder " : L"file ") + base + name +
                   (isFolder ? L"" : L" " + std::to_wstring(entry.nFileSizeLow)));
      if (isFolder && below) AddFolder(base + name, true, lines);
    } while (FindNextFileW(find.Get(), &entry));
  }
};
