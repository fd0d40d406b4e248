#pragma once

// Writing a file so that a failure never leaves it half-written: the bytes go
// to a temporary file in the same folder, every write is checked, the data is
// flushed, and only then does the temporary file replace the target in one
// rename. On any failure the target keeps its old content and the temporary
// file is removed.

#include <windows.h>

#include <cstddef>
#include <string>

#include "win/Handles.h"

namespace win {

class ReplacingFile {
 public:
  ReplacingFile() = default;
  ~ReplacingFile() { Discard(); }
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Creates the temporary file beside `target`. False when the folder cannot
  // take a new file.
  [[nodiscard]] bool Open(const std::wstring& target) {
    Discard();
    std::wstring folder = FolderOf(target);
    wchar_t temporary[MAX_PATH + 16] = L"";
    if (folder.size() >= MAX_PATH - 14 || GetTempFileNameW(folder.c_str(), L"rpl", 0, temporary) == 0) {
      return false;
    }
    temporary_ = temporary;
    file_.Reset(CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) {
      DeleteFileW(temporary);
      temporary_.clear();
      return false;
    }
    target_ = target;
    failed_ = false;
    return true;
  }
  // Narrow paths are in the ANSI code page (code page 936 for peershare).
  [[nodiscard]] bool Open(const std::string& target) { return Open(Widen(target)); }

  // The same with a temporary file of the caller's naming, which should be in
  // the target's folder (a rename cannot cross volumes). False, with the
  // last error ERROR_FILE_EXISTS, when that name is taken.
  [[nodiscard]] bool OpenWithTemporary(const std::wstring& target, const std::wstring& temporary) {
    Discard();
    file_.Reset(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) return false;
    temporary_ = temporary;
    target_ = target;
    failed_ = false;
    return true;
  }
  [[nodiscard]] bool OpenWithTemporary(const std::string& target, const std::string& temporary) {
    return OpenWithTemporary(Widen(target), Widen(temporary));
  }

  // Appends bytes; a failed write makes Commit() fail.
  bool Write(const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (!failed_ && size > 0) {
      DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
      DWORD written = 0;
      if (!file_ || !WriteFile(file_.Get(), bytes, chunk, &written, nullptr) || written != chunk) failed_ = true;
      bytes += chunk;
      size -= chunk;
    }
    return !failed_;
  }

  // Flushes and puts the new content in place of the target.
  [[nodiscard]] bool Commit() {
    bool ok = file_ && !failed_ && FlushFileBuffers(file_.Get());
    file_.Reset();
    ok = ok && MoveFileExW(temporary_.c_str(), target_.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (ok) temporary_.clear();
    Discard();
    return ok;
  }

  // Drops what was written; the target is untouched.
  void Discard() {
    file_.Reset();
    if (!temporary_.empty()) DeleteFileW(temporary_.c_str());
    temporary_.clear();
    target_.clear();
  }

  // The whole content at once.
  [[nodiscard]] static bool WriteAll(const std::wstring& target, const void* data, std::size_t size) {
    ReplacingFile file;
    return file.Open(target) && file.Write(data, size) && file.Commit();
  }
  [[nodiscard]] static bool WriteAll(const std::string& target, const void* data, std::size_t size) {
    return WriteAll(Widen(target), data, size);
  }

 private:
  static std::wstring FolderOf(const std::wstring& path) {
    std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    if (slash == 0 || (slash == 2 && path[1] == L':')) return path.substr(0, slash + 1);
    return path.substr(0, slash);
  }
  static std::wstring Widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
  }

  UniqueFile file_;
  std::wstring temporary_, target_;
  bool failed_ = false;
};

}  // namespace win
