#include "share/FileBytes.h"

#include <windows.h>

#include "win/Handles.h"
#include "win/ReplacingFile.h"

namespace FileBytes {

bool Read(const std::string& path, std::string& content, size_t limit) {
  content.clear();
  win::UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  LARGE_INTEGER size;
  if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart > 0x7FFFFFFF ||
      static_cast<unsigned long long>(size.QuadPart) > limit) {
    return false;
  }
  content.resize(static_cast<size_t>(size.QuadPart));
  DWORD got = 0;
  if (!content.empty() && (!ReadFile(file.Get(), &content[0], static_cast<DWORD>(content.size()), &got, nullptr) ||
                           got != content.size())) {
    content.clear();
    return false;
  }
  return true;
}

bool Write(const std::string& path, const std::string& content) {
  return win::ReplacingFile::WriteAll(path, content.data(), content.size());
}

bool Exists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace FileBytes
