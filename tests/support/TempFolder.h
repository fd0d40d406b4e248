#pragma once

#include <windows.h>

#include <string>

#include "win/Handles.h"

// A folder of its own for one test, removed with everything in it afterwards.
class TempFolder {
 public:
  TempFolder() : TempFolder(TempPath()) {}
  // In another folder than the user's temporary one (base ends in '\').
  explicit TempFolder(const std::string& base) {
    static LONG sequence = 0;
    char name[MAX_PATH];
    wsprintfA(name, "%stvtest-%lu-%ld", base.c_str(), GetCurrentProcessId(), InterlockedIncrement(&sequence));
    path_ = name;
    // A run that was killed may have left a folder of the same name.
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempFolder() { RemoveTree(path_); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  static std::string TempPath() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    return base;
  }
  static void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    win::UniqueFind find(FindFirstFileA((folder + "\\*").c_str(), &entry));
    if (find) {
      do {
        std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        std::string path = folder + "\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(path);
        } else {
          SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileA(path.c_str());
        }
      } while (FindNextFileA(find.Get(), &entry));
    }
    RemoveDirectoryA(folder.c_str());
  }

  std::string path_;
};

// Makes a folder the current directory for the lifetime of the object.
class CurrentDirectory {
 public:
  explicit CurrentDirectory(const std::string& folder) {
    GetCurrentDirectoryA(MAX_PATH, previous_);
    SetCurrentDirectoryA(folder.c_str());
  }
  ~CurrentDirectory() { SetCurrentDirectoryA(previous_); }
  CurrentDirectory(const CurrentDirectory&) = delete;
  CurrentDirectory& operator=(const CurrentDirectory&) = delete;

 private:
  char previous_[MAX_PATH];
};

inline std::string ReadFileBytes(const std::string& path) {
  std::string content;
  win::UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return content;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) content.append(buffer, got);
  return content;
}

inline bool WriteFileBytes(const std::string& path, const std::string& content) {
  win::UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
         written == content.size();
}
