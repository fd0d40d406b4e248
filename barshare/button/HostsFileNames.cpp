#include "button/HostsFileNames.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstdio>

#include "button/CaseInsensitive.h"

namespace {

constexpr int kLineBytes = 260;  // 259 bytes and a NUL

bool EndsField(char c) { return c == ' ' || c == '\0' || c == '\r' || c == '\n'; }

}  // namespace

std::wstring HostsFileNames::Path() {
  wchar_t path[MAX_PATH] = L"";
  if (GetVersion() < 0x80000000) {
    GetSystemDirectoryW(path, MAX_PATH);
    PathAppendW(path, L"drivers\\etc\\hosts");
  } else {
    GetWindowsDirectoryW(path, MAX_PATH);
    PathAppendW(path, L"HOSTS");
  }
  return path;
}

bool HostsFileNames::ParseLine(const char* line, std::wstring* name) {
  const char* p = line;
  while (*p == ' ') ++p;
  if (*p == '\0' || *p == '#' || *p == '\r' || *p == '\n') return false;
  // Fields are separated by spaces only: the address runs to the next space.
  while (*p != '\0' && *p != ' ') ++p;
  while (*p == ' ') ++p;
  if (*p == '\0' || *p == '#') return false;
  const char* start = p;
  while (!EndsField(*p)) ++p;
  const int length = static_cast<int>(p - start);
  if (length == 0) return false;
  const int chars = MultiByteToWideChar(CP_ACP, 0, start, length, nullptr, 0);
  if (chars <= 0) return false;
  name->assign(chars, L'\0');
  MultiByteToWideChar(CP_ACP, 0, start, length, &(*name)[0], chars);
  return true;
}

std::vector<std::wstring> HostsFileNames::Load(const std::wstring& path) {
  std::vector<std::wstring> names;
  FILE* file = _wfopen(path.c_str(), L"r");
  if (file == nullptr) return names;
  char line[kLineBytes];
  std::wstring name;
  while (std::fgets(line, kLineBytes, file) != nullptr) {
    if (ParseLine(line, &name)) names.push_back(name);
  }
  std::fclose(file);
  return names;
}

const std::vector<std::wstring>& HostsFileNames::Names() {
  // Initialised once, by whichever thread comes first; the others wait.
  static const std::vector<std::wstring> names = Load(Path());
  return names;
}

bool HostsFileNames::Contains(const wchar_t* host) {
  if (host == nullptr) return false;
  for (const std::wstring& name : Names()) {
    if (CaseInsensitive::Compare(name.c_str(), host) == 0) return true;
  }
  return false;
}
