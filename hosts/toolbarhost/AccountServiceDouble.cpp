#include "AccountServiceDouble.h"

#include <cstring>

#include "win/QiTable.h"

HRESULT AccountServiceDouble::QueryInterface(REFIID iid, void** out) {
  static const win::QiEntry kInterfaces[] = {
      {&IID_IAccountService, win::QiOffset<IAccountService, AccountServiceDouble>()},
      {nullptr, 0},
  };
  return win::QiSearch(this, kInterfaces, iid, out);
}

int AccountServiceDouble::GetLoginInfo(int* accountNumber, wchar_t* keyBuffer, int keyChars) {
  ++calls_;
  if (accountNumber != nullptr) *accountNumber = number_;
  if (keyBuffer != nullptr && keyChars > 0) {
    lstrcpynW(keyBuffer, key_.c_str(), keyChars);
  }
  if (answerSet_) return answer_;
  return number_ != 0 ? 1 : 0;
}

AccountMapping::AccountMapping(LONG accountNumber) {
  mapping_.Reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 80,
                                    L"{138957F9-3748-42b7-884D-1CDE0A092AAA}"));
  if (!mapping_) return;
  view_.Reset(MapViewOfFile(mapping_.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 80));
  if (!view_) return;
  BYTE* bytes = static_cast<BYTE*>(view_.Get());
  std::memset(bytes, 0, 80);
  std::memcpy(bytes + 8, &accountNumber, sizeof accountNumber);
}
