#include "button/AccountMap.h"

#include <cstring>

const wchar_t* const AccountMap::kName = L"{138957F9-3748-42b7-884D-1CDE0A092AAA}";

AccountMap::AccountMap(bool createIfMissing) {
  mapping_.Reset(OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kName));
  bool created = false;
  if (!mapping_ && createIfMissing) {
    mapping_.Reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSize, kName));
    created = mapping_ && GetLastError() != ERROR_ALREADY_EXISTS;
  }
  if (!mapping_) return;
  view_.Reset(MapViewOfFile(mapping_.Get(), FILE_MAP_ALL_ACCESS, 0, 0, kSize));
  if (view_ && created) std::memset(Bytes(), 0, kSize);
}

// The view goes before the mapping (members are destroyed in reverse order).
AccountMap::~AccountMap() = default;

LONG AccountMap::Account() const {
  if (!view_) return 0;
  LONG number = 0;
  std::memcpy(&number, Bytes() + kAccountOffset, sizeof number);
  return number;
}

void AccountMap::SetAccount(LONG number) {
  if (view_) std::memcpy(Bytes() + kAccountOffset, &number, sizeof number);
}

LONG AccountMap::CurrentAccount() { return AccountMap(false).Account(); }
