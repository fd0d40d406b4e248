#include "button/AccountMap.h"

#include <cstring>

const wchar_t* const AccountMap::kName = L"{138957F9-3748-42b7-884D-1CDE0A092AAA}";

AccountMap::AccountMap(bool createIfMissing) {
  mapping_ = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kName);
  bool created = false;
  if (mapping_ == nullptr && createIfMissing) {
    mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSize, kName);
    created = mapping_ != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
  }
  if (mapping_ == nullptr) return;
  view_ = static_cast<BYTE*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, kSize));
  if (view_ != nullptr && created) std::memset(view_, 0, kSize);
}

AccountMap::~AccountMap() {
  if (view_ != nullptr) UnmapViewOfFile(view_);
  if (mapping_ != nullptr) CloseHandle(mapping_);
}

LONG AccountMap::Account() const {
  if (view_ == nullptr) return 0;
  LONG number = 0;
  std::memcpy(&number, view_ + kAccountOffset, sizeof number);
  return number;
}

void AccountMap::SetAccount(LONG number) {
  if (view_ != nullptr) std::memcpy(view_ + kAccountOffset, &number, sizeof number);
}

LONG AccountMap::CurrentAccount() { return AccountMap(false).Account(); }
