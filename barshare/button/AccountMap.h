#pragma once

#include <windows.h>

#include "win/Handles.h"

// The toolbar's 80-byte named shared memory; the 32-bit value at offset 8 is
// the number of the signed-in account.
class AccountMap {
 public:
  static constexpr DWORD kSize = 80;
  static constexpr DWORD kAccountOffset = 8;
  static const wchar_t* const kName;

  // Opens the existing mapping; with createIfMissing, creates and zeroes it
  // when absent. Valid() tells whether it succeeded.
  explicit AccountMap(bool createIfMissing);
  ~AccountMap();
  AccountMap(const AccountMap&) = delete;
  AccountMap& operator=(const AccountMap&) = delete;

  bool Valid() const { return view_.IsValid(); }
  LONG Account() const;
  void SetAccount(LONG number);

  // The current account number, 0 when the toolbar has no mapping.
  static LONG CurrentAccount();

 private:
  BYTE* Bytes() const { return static_cast<BYTE*>(view_.Get()); }

  win::UniqueFileMapping mapping_;
  win::UniqueMappedView view_;
};
