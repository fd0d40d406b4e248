#include "button/AccountLogin.h"

#include <vector>

#include "win/ComPtr.h"

bool AccountLogin::Query(IToolbarHost* host, int keyChars) {
  if (host == nullptr || keyChars <= 0) return false;
  win::ComPtr<IAccountService> service;
  host->GetHostService(kAccountServiceNumber, IID_IAccountService, service.PutVoid());
  if (!service) return false;
  std::vector<wchar_t> buffer(static_cast<size_t>(keyChars) + 1, L'\0');
  number = 0;
  result = service->GetLoginInfo(&number, buffer.data(), keyChars);
  // The service may fill the whole buffer without a NUL.
  buffer[static_cast<size_t>(keyChars) - 1] = L'\0';
  key = buffer.data();
  return true;
}

bool AccountLogin::Query(IUnknown* host, int keyChars) {
  win::ComPtr<IToolbarHost> toolbar;
  if (host == nullptr || FAILED(host->QueryInterface(IID_IToolbarHost, toolbar.PutVoid()))) return false;
  return Query(toolbar.Get(), keyChars);
}
