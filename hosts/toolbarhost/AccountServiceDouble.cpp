#include "AccountServiceDouble.h"

#include <cstring>

HRESULT AccountServiceDouble::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_IAccountService) return E_NOINTERFACE;
  *out = static_cast<IAccountService*>(this);
  AddRef();
  return S_OK;
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
  mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 80,
                                L"{138957F9-3748-42b7-884D-1CDE0A092AAA}");
  if (mapping_ == nullptr) return;
  view_ = static_cast<BYTE*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, 80));
  if (view_ == nullptr) return;
  std::memset(view_, 0, 80);
  std::memcpy(view_ + 8, &accountNumber, sizeof accountNumber);
}

AccountMapping::~AccountMapping() {
  if (view_ != nullptr) UnmapViewOfFile(view_);
  if (mapping_ != nullptr) CloseHandle(mapping_);
}
