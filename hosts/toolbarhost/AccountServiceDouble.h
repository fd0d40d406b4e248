#pragma once

#include <windows.h>

#include <string>

#include "win/Handles.h"

#include "button/ToolbarInterfaces.h"

// The toolbar's account service with a signed-in account chosen by the test.
class AccountServiceDouble : public IAccountService {
 public:
  virtual ~AccountServiceDouble() = default;
  void SignIn(int number, const std::wstring& key) {
    number_ = number;
    key_ = key;
  }
  // What GetLoginInfo answers from now on, whatever the account; by default
  // nonzero exactly when an account number is set.
  void SetAnswer(int answer) {
    answer_ = answer;
    answerSet_ = true;
  }
  int Calls() const { return calls_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(InterlockedDecrement(&references_)); }
  HRESULT STDMETHODCALLTYPE Reserved3() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved4() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved5() override { return E_NOTIMPL; }
  int STDMETHODCALLTYPE GetLoginInfo(int* accountNumber, wchar_t* keyBuffer, int keyChars) override;

 private:
  LONG references_ = 1;
  int number_ = 0;
  std::wstring key_;
  int calls_ = 0;
  int answer_ = 0;
  bool answerSet_ = false;
};

// The toolbar's shared account map, created and kept by the toolbar.
class AccountMapping {
 public:
  explicit AccountMapping(LONG accountNumber);
  AccountMapping(const AccountMapping&) = delete;
  AccountMapping& operator=(const AccountMapping&) = delete;
  bool Valid() const { return view_.IsValid(); }

 private:
  win::UniqueFileMapping mapping_;
  win::UniqueMappedView view_;
};
